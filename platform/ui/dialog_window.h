#pragma once
// The Qt window of a running CDialog: its controls laid out from the template, its timers, and
// the delivery of cross-thread calls. Created and destroyed by CDialog::DoModal.

#include <QDialog>
#include <QTimer>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/ui/dialog_template.h"
#include "platform/ui/dialog_units.h"
#include "platform/ui/icon.h"
#include "platform/ui/timer_schedule.h"

class CDialog;

namespace platform::ui {

class WindowCallGate;

class DialogWindow final : public QDialog {
public:
    DialogWindow(CDialog& owner, const DialogTemplate& dialogTemplate, WindowCallGate& gate,
                 QWidget* parent);
    ~DialogWindow() override;

    // The first control with the id, or nullptr.
    QWidget* Control(std::int32_t controlId) const;
    // Every control in template order (labels and group boxes included).
    const std::vector<QWidget*>& Controls() const { return m_controls; }
    DialogBaseUnits BaseUnits() const { return m_baseUnits; }

    // Timers run on the backend's clock (timer_schedule.h).
    void StartTimer(std::uintptr_t timerId, std::uint32_t periodMs);
    void StopTimer(std::uintptr_t timerId);
    void StopAllTimers();
    // Runs the handler of every timer due now on the backend's clock, earliest first. The window's
    // own wake-up calls it; a test on virtual time calls it once it has moved the clock on.
    void FireDueTimers();
    std::optional<TimePoint> NextTimerDue() const { return m_timers.NextDue(); }
    // While a command of the window's thread waits, due timers wait with it; this fires them (from
    // the event loop) once it has ended.
    void ResumeTimers() { WakeForNextTimer(); }
    void FocusFirstTabStop();
    void SetIcon(HICON icon, bool bigIcon);
    // Asks the window's thread to run the gate's pending calls.
    void PostPendingCalls();

    // Escape (and a close without the caption-bar OK button) ends with IDCANCEL.
    void reject() override;
    // Every way the window ends comes here; a message box or prompt it owns that still stands goes
    // with it (a prompt as cancelled).
    void done(int result) override;
    bool IsEnding() const { return m_ending; }

protected:
    bool event(QEvent* event) override;
    // The caption-bar OK button of the template is the window's close button: IDOK.
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls(const DialogTemplate& dialogTemplate);
    void ChainTabOrder();
    void WakeForNextTimer();

    CDialog& m_owner;
    WindowCallGate& m_gate;
    DialogBaseUnits m_baseUnits;
    std::vector<QWidget*> m_controls;
    std::vector<std::int32_t> m_controlIds;
    TimerSchedule m_timers;
    QTimer m_timerWake;
    bool m_closeMeansOk = false;
    bool m_ending = false;
    HICON m_bigIcon = nullptr;
    HICON m_smallIcon = nullptr;
};

// The font of a template and its dialog base units.
QFont TemplateFont(const DialogTemplate& dialogTemplate);
DialogBaseUnits BaseUnitsOf(const QFont& font);

}  // namespace platform::ui
