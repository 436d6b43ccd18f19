#pragma once
// The dialer window: one toggle dials and hangs up, the other answers and ends a call; a ring
// shows the caller's number. A call that ends (the other side hung up, or it never connected:
// busy, no answer, no dial tone) shows a notice for two seconds, then releases both toggles.
//
// The window keeps the state of the call it shows (CallPhase): a report that a call ended counts
// only while there is one. The user's own hang-up, once the module has taken it, leaves none, so
// the reports that merely confirm it (Huawei's ^CEND, ZTE's HANGUP:, a NO CARRIER after the OK,
// however late they come) show nothing; so do the second and later reports of one end.
//
// Thread contract: the handlers run on the window's thread, except OnModemEvent, which the
// channel calls on the serial reader thread. It queues the event and posts a message to the
// window, and returns at once: the reader goes on reading while the window is busy or shows a
// notice, so a command given meanwhile gets its answer. The notice is a timer of the window.

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

#include "modemlink/modem.h"
#include "platform/ui/dialog.h"
#include "platform/ui/icon.h"
#include "window_common/link_watch.h"
#include "window_common/sim_watch.h"

class CDialDlg : public CDialog {
public:
    explicit CDialDlg(CDialog* parent = nullptr);
    ~CDialDlg() override;

    void OnDialClicked();
    void OnAnswerClicked();
    void OnCallEvent();
    void OnNoticeTimer(std::uintptr_t timerId);
    void OnReconnectTimer(std::uintptr_t timerId);
    void OnSetupTimer(std::uintptr_t timerId);
    static void OnModemEvent(void* owner, std::int32_t code, std::u16string text);

protected:
    std::int32_t InitDialog() override;
    const platform::ui::MessageMap& GetMessageMap() const override;

private:
    struct CallEvent {
        std::int32_t code;
        std::u16string text;
    };

    // No call, one the window placed, one ringing, one the user answered.
    enum class CallPhase { kNone, kPlaced, kRinging, kAnswered };

    bool IsDown(std::int32_t buttonId) const;
    void OnRing(const std::u16string& number);
    // A report that a call ended (NoticeOf): the notice of the call shown, if there is one.
    void OnCallEnded(const char16_t* notice);
    void ShowNotice(const std::u16string& text, std::int32_t box);
    void Release(std::int32_t toggle, const char16_t* caption);
    void OnModemLost();
    void WatchForModem();
    // Runs what the module refused of the set-up again (AT+CLIP=1 among it: no caller numbers
    // without it), and keeps the timer while it still does.
    void RetrySetup();
    void ScheduleSetupRetry();
    // The module said it started afresh: the whole start-up again.
    void OnModemReset();
    // Asks the SIM's state and deals with it (sim_watch.h).
    void CheckSim();
    // A command's failure message; the notice of the loss instead when the modem went during it.
    // The reason goes to stderr (`what`: the user's action).
    void ReportFailure(const char16_t* text, const char* what);

    platform::ui::HICON m_hAppIcon;
    // Before the channel, so they outlive its reader thread, which the channel's end joins.
    std::mutex m_eventLock;  // guards m_events: the reader thread adds, the window's thread takes
    std::deque<CallEvent> m_events;
    CModem m_modem;
    // The notice (window's thread only): the box it stands in, and whether a toggle was pressed
    // while it stood. A pressed toggle belongs to the command it gave, not to the call that ended.
    CallPhase m_call = CallPhase::kNone;  // window's thread only
    std::int32_t m_noticeBox = 0;         // 0: no notice
    bool m_dialPressedInNotice = false;
    bool m_answerPressedInNotice = false;
    LinkWatch m_link{m_modem};
    SimWatch m_sim{m_modem};
};
