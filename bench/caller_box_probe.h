#pragma once
// Watches the dialer's caller box for one number: notes when the text becomes that number and
// when the box is next painted with it, reports both, then empties the box so that the next ring
// changes the text again.
//
// Thread contract: the window's thread only (signals and events of the box).

#include <QLineEdit>
#include <QObject>
#include <QString>
#include <chrono>
#include <functional>
#include <optional>

class CallerBoxProbe : public QObject {
public:
    using Clock = std::chrono::steady_clock;
    using Shown = std::function<void(Clock::time_point textSet, Clock::time_point painted)>;

    CallerBoxProbe(QLineEdit& box, QString number, Shown onShown);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit& m_box;
    const QString m_number;
    const Shown m_onShown;
    std::optional<Clock::time_point> m_textSet;
};
