#include "quillet/sms_dialog.h"

#include "platform/core/failure_report.h"

#include "platform/core/backend.h"
#include "platform/ui/edit_text.h"
#include "quillet/message_text.h"
#include "quillet/modem_setup.h"
#include "quillet/resource_ids.h"
#include "quillet/sms_template.h"
#include "quillet/texts.h"
#include "window_common/link_watch.h"

namespace {

constexpr char16_t kPortName[] = u"COM1:";
constexpr std::uint32_t kBaudRate = 115200;
constexpr std::int32_t kSlot = 1;
constexpr std::uint32_t kPollPeriodMs = 1000;

}  // namespace

CSmsDlg::CSmsDlg(CDialog* parent)
    : CDialog(SmsDialogTemplate(), parent),
      m_hAppIcon(platform::ui::LoadIcon(IDI_APP)),
      m_modem(QuilletSetupCommands()) {}

CSmsDlg::~CSmsDlg() = default;

const platform::ui::MessageMap& CSmsDlg::GetMessageMap() const {
    static const platform::ui::MessageMap map = {
        platform::ui::OnClicked<&CSmsDlg::OnSendClicked>(IDC_SEND),
        platform::ui::OnTimer<&CSmsDlg::OnReconnectTimer>(
            static_cast<std::int32_t>(ID_RECONNECT_TIMER)),
        platform::ui::OnTimer<&CSmsDlg::OnSetupTimer>(static_cast<std::int32_t>(ID_SETUP_TIMER)),
        platform::ui::OnTimer<&CSmsDlg::OnPollTimer>(),
        platform::ui::OnClicked<&CSmsDlg::OnSetCentreClicked>(IDC_SET_CENTRE),
        platform::ui::OnMessage<&CSmsDlg::OnModemLost>(WM_MODEM_LOST),
        platform::ui::OnMessage<&CSmsDlg::OnMessageReport>(WM_MESSAGE_REPORT),
    };
    return map;
}

std::int32_t CSmsDlg::InitDialog() {
    CDialog::InitDialog();
    SetDlgItemText(IDC_NUMBER, kDefaultNumber);
    SetDlgItemText(IDC_TEXT, kDefaultText);
    SetIcon(m_hAppIcon, true);
    SetIcon(m_hAppIcon, false);
    CenterWindow();
    if (m_modem.Start(kPortName, kBaudRate, this) == 0) {
        MessageBox(kStartFailed);
        m_link.StartFailed();
    } else {
        CheckSim();
    }
    ScheduleSetupRetry();
    m_modem.m_pfnEvent = &CSmsDlg::OnModemEvent;
    SetDlgItemText(IDC_CENTRE, kDefaultCentre);
    // A message left in the slot from before is discarded unseen.
    m_modem.DeleteSms(kSlot);
    SetTimer(ID_POLL_TIMER, kPollPeriodMs);
    if (m_modem.IsLost() == 1) {
        PostMessage(WM_MODEM_LOST);  // gone during the start-up, before the handler was in
    }
    return 1;
}

// Rings and dropped lines mean nothing to the message window.
void CSmsDlg::OnModemEvent(void* owner, std::int32_t code, std::u16string text) {
    auto* dialog = static_cast<CSmsDlg*>(owner);
    if (dialog == nullptr) {
        return;
    }
    if (code == EVT_MODEM_LOST) {
        dialog->PostMessage(WM_MODEM_LOST);
    } else if (code == EVT_MESSAGE_STORED || code == EVT_MESSAGE_ROUTED ||
               code == EVT_MODEM_READY || code == EVT_MODEM_RESET || code == EVT_SIM_ERROR) {
        dialog->QueueReport(code, std::move(text));
    }
}

// One window message for a burst: a storm of reports cannot flood the window's queue.
void CSmsDlg::QueueReport(std::int32_t code, std::u16string text) {
    bool first = false;
    {
        std::lock_guard<std::mutex> lock(m_reportLock);
        first = m_reports.empty();
        m_reports.push_back({code, std::move(text)});
    }
    if (first) {
        PostMessage(WM_MESSAGE_REPORT);
    }
}

void CSmsDlg::OnMessageReport() {
    std::deque<PendingReport> reports;
    {
        std::lock_guard<std::mutex> lock(m_reportLock);
        reports.swap(m_reports);
    }
    const platform::TimePoint now = platform::System().Now();
    bool arrived = false;
    bool ready = false;
    bool reset = false;
    bool simError = false;
    for (const PendingReport& report : reports) {
        if (report.code == EVT_MESSAGE_STORED) {
            m_inbox.Announced(report.text);
        } else if (report.code == EVT_MESSAGE_ROUTED) {
            m_inbox.Routed(report.text, now);
        }
        arrived = arrived || report.code == EVT_MESSAGE_STORED || report.code == EVT_MESSAGE_ROUTED;
        ready = ready || report.code == EVT_MODEM_READY;
        reset = reset || report.code == EVT_MODEM_RESET;
        simError = simError || report.code == EVT_SIM_ERROR;
    }
    if (ready || reset) {
        m_sim.Changed();
    }
    if (reset) {
        OnModemReset();
    } else if (ready) {
        RetrySetup();
    }
    if (simError && !reset && m_sim.WantsCheck()) {
        CheckSim();
    }
    // A message shown stays its second on screen: the poll then due reads the announced slot.
    if (arrived && m_modem.IsLost() == 0 &&
        now - m_lastShown >= std::chrono::milliseconds(kPollPeriodMs)) {
        PollNow();
    }
}

void CSmsDlg::OnModemLost() {
    WatchForModem();
    if (const char16_t* notice = m_link.LossNoticeOnce()) {
        MessageBox(notice);
    }
}

void CSmsDlg::WatchForModem() {
    if (m_link.StartsWatching()) {
        KillTimer(ID_POLL_TIMER);
        SetTimer(ID_RECONNECT_TIMER, kReconnectCheckMs);
    }
}

void CSmsDlg::OnReconnectTimer(std::uintptr_t) {
    const char16_t* notice = m_link.Reconnected();
    if (notice == nullptr) {
        return;
    }
    KillTimer(ID_RECONNECT_TIMER);
    ScheduleSetupRetry();
    // The slot is read before anything deletes it: a message may have come just before the loss.
    m_inbox.Reconnected();
    OnPollTimer(ID_POLL_TIMER);
    MessageBox(notice);
    m_sim.Changed();
    CheckSim();
}

void CSmsDlg::RetrySetup() {
    if (m_modem.RetrySetup() == 1) {
        SetTimer(ID_SETUP_TIMER, CModem::kSetupRetryMs);
    } else {
        KillTimer(ID_SETUP_TIMER);
    }
}

void CSmsDlg::ScheduleSetupRetry() {
    if (m_modem.SetupPending() == 1) {
        SetTimer(ID_SETUP_TIMER, CModem::kSetupRetryMs);
    }
}

void CSmsDlg::OnSetupTimer(std::uintptr_t) {
    RetrySetup();
}

// Its storage settings are back at their defaults: what the inbox learnt of them is stale. A
// message that arrived meanwhile stays in storage and is found by the next scan.
void CSmsDlg::OnModemReset() {
    if (m_modem.Restart() == 0) {
        OnModemLost();
        return;
    }
    m_inbox.Reconnected();
    CheckSim();
}

void CSmsDlg::CheckSim() {
    const char16_t* notice = m_sim.Check([this](const std::u16string& text) {
        return AskSecret({kPinCaption, text, platform::SecretForm{}});
    });
    if (notice != nullptr) {
        MessageBox(notice);
    }
    ScheduleSetupRetry();  // what the set-up list refused after a PIN waits for the timer
}

void CSmsDlg::Report(bool done, const char16_t* text, const char* what) {
    if (!done) {
        platform::ReportCommandFailure(what, m_modem.LastFailure());
    }
    WatchForModem();
    MessageBox(m_link.CommandMessage(done, text));
}

void CSmsDlg::OnSendClicked() {
    const std::u16string number = GetDlgItemText(IDC_NUMBER);
    const std::u16string text = GetDlgItemText(IDC_TEXT);
    if (number.empty() || text.empty()) {
        MessageBox(kEmptyInput);
        return;
    }
    if (PlanOutgoingText(text).tooLong) {
        MessageBox(kTooLong);
        return;
    }
    const std::int32_t sent = m_modem.SendSms(number, text);
    RestartPoll();
    Report(sent == 1, sent == 1 ? kSent : kNotSent, "send");
}

void CSmsDlg::OnPollTimer(std::uintptr_t timerId) {
    PollNow();
    DefaultTimer(timerId);
}

void CSmsDlg::PollNow() {
    m_inbox.Poll(
        [this](const std::u16string& sender, const std::u16string& text) {
            m_lastShown = platform::System().Now();
            SetDlgItemText(IDC_FROM, sender);
            // Bare line feeds break no line in an edit box; CR LF does.
            SetDlgItemText(IDC_RECEIVED, platform::ui::LfToCrLf(text));
        },
        platform::System().Now());
    RestartPoll();
}

void CSmsDlg::OnSetCentreClicked() {
    const std::u16string centre = GetDlgItemText(IDC_CENTRE);
    const std::int32_t set = m_modem.SetSmsCentre(centre);
    RestartPoll();
    Report(set == 1, set == 1 ? kCentreSet : kCentreNotSet, "setting the SMS centre");
}

// After every command of the window, before its message: the next poll comes a second after the
// command has ended, not at once because one fell due while the command waited, which would hold
// the window up for another read right after the command (and, while its message stands, under
// it).
void CSmsDlg::RestartPoll() {
    if (m_modem.IsLost() == 0) {
        SetTimer(ID_POLL_TIMER, kPollPeriodMs);
    }
}
