#pragma once
// The message window: send an SMS, show every message that arrives in the modem's storage (polled
// once a second; each shown once, then deleted: inbox.h), set the SMS centre. When the modem's
// device goes away the window says so once, stops polling and looks for it twice a second; once
// it is back and started again, the poll resumes at once (a message that waited meanwhile is
// shown) and the window says so.
//
// A message that the modem announces (+CMTI) is read at once, and one that it hands over without
// storing it (+CMT) is shown in turn (inbox.h).
//
// Thread contract: everything runs on the window's thread except OnModemEvent, which the channel
// calls on the serial reader thread (or on the window's: a loss found in a write, a report that
// came inside a command's answer) and which only queues the report and posts a message to the
// window.

#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

#include "modemlink/modem.h"
#include "platform/core/clock.h"
#include "platform/ui/dialog.h"
#include "platform/ui/icon.h"
#include "quillet/inbox.h"
#include "quillet/modem_store.h"
#include "window_common/link_watch.h"
#include "window_common/sim_watch.h"

class CSmsDlg : public CDialog {
public:
    explicit CSmsDlg(CDialog* parent = nullptr);
    ~CSmsDlg() override;

    void OnSendClicked();
    void OnPollTimer(std::uintptr_t timerId);
    void OnSetCentreClicked();
    void OnModemLost();
    void OnMessageReport();
    void OnSetupTimer(std::uintptr_t timerId);
    void OnReconnectTimer(std::uintptr_t timerId);
    static void OnModemEvent(void* owner, std::int32_t code, std::u16string text);

    // How long the parts of a long message wait for the rest; tests shorten it.
    void SetPartWait(std::chrono::milliseconds wait) { m_inbox.SetPartWait(wait); }

protected:
    std::int32_t InitDialog() override;
    const platform::ui::MessageMap& GetMessageMap() const override;

private:
    void RestartPoll();
    void PollNow();
    // Runs what the module refused of the set-up again, and keeps the timer while it still does.
    void RetrySetup();
    void ScheduleSetupRetry();
    // The module said it started afresh: the whole start-up again.
    void OnModemReset();
    // Asks the SIM's state and deals with it (sim_watch.h).
    void CheckSim();
    void WatchForModem();
    // A command's message; for a failed one, the notice of the loss when the modem has gone, and
    // the reason on stderr (`what`: the user's action).
    void Report(bool done, const char16_t* text, const char* what);

    struct PendingReport {
        std::int32_t code;
        std::u16string text;
    };
    void QueueReport(std::int32_t code, std::u16string text);

    platform::ui::HICON m_hAppIcon;
    CModem m_modem;
    ModemStore m_store{m_modem};
    Inbox m_inbox{m_store};
    std::mutex m_reportLock;  // guards m_reports: the reader thread adds, the window's takes
    std::deque<PendingReport> m_reports;
    platform::TimePoint m_lastShown{};  // the backend's clock
    LinkWatch m_link{m_modem};  // while the device is gone it is looked for, not polled
    SimWatch m_sim{m_modem};
};
