#include "bench/caller_box_probe.h"

#include <QEvent>
#include <QTimer>
#include <utility>

CallerBoxProbe::CallerBoxProbe(QLineEdit& box, QString number, Shown onShown)
    : m_box(box), m_number(std::move(number)), m_onShown(std::move(onShown)) {
    QObject::connect(&m_box, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text == m_number) {
            m_textSet = Clock::now();
        }
    });
    m_box.installEventFilter(this);
}

bool CallerBoxProbe::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_box && event->type() == QEvent::Paint && m_textSet) {
        const Clock::time_point painted = Clock::now();
        const Clock::time_point textSet = *m_textSet;
        m_textSet.reset();
        // Emptied after this paint, not before it: an earlier change would merge into the same
        // paint and the number would never be drawn.
        QTimer::singleShot(0, &m_box, [box = &m_box] { box->clear(); });
        m_onShown(textSet, painted);
    }
    return QObject::eventFilter(watched, event);
}
