#include "dorrin/dial_dialog.h"

#include "dorrin/dial_template.h"
#include "platform/core/failure_report.h"
#include "dorrin/modem_setup.h"
#include "dorrin/resource_ids.h"
#include "dorrin/texts.h"
#include "window_common/link_watch.h"

namespace {

constexpr char16_t kPortName[] = u"COM1:";
constexpr std::uint32_t kBaudRate = 115200;
constexpr std::uint32_t kNoticeMs = 2000;

// The notice for an event that ends a call; nothing for one that does not.
const char16_t* NoticeOf(std::int32_t code) {
    switch (code) {
        case EVT_NO_CARRIER:
            return kOtherPartyHungUp;
        case EVT_BUSY:
            return kBusy;
        case EVT_NO_ANSWER:
            return kNoAnswer;
        case EVT_NO_DIALTONE:
            return kNoDialTone;
        default:
            return nullptr;
    }
}

}  // namespace

CDialDlg::CDialDlg(CDialog* parent)
    : CDialog(DialDialogTemplate(), parent),
      m_hAppIcon(platform::ui::LoadIcon(IDI_APP)),
      m_modem(DorrinSetupCommands()) {}

CDialDlg::~CDialDlg() = default;

const platform::ui::MessageMap& CDialDlg::GetMessageMap() const {
    static const platform::ui::MessageMap map = {
        platform::ui::OnClicked<&CDialDlg::OnDialClicked>(IDC_DIAL),
        platform::ui::OnClicked<&CDialDlg::OnAnswerClicked>(IDC_ANSWER),
        platform::ui::OnMessage<&CDialDlg::OnCallEvent>(WM_CALL_EVENT),
        platform::ui::OnTimer<&CDialDlg::OnNoticeTimer>(static_cast<std::int32_t>(ID_NOTICE_TIMER)),
        platform::ui::OnTimer<&CDialDlg::OnReconnectTimer>(
            static_cast<std::int32_t>(ID_RECONNECT_TIMER)),
        platform::ui::OnTimer<&CDialDlg::OnSetupTimer>(static_cast<std::int32_t>(ID_SETUP_TIMER)),
    };
    return map;
}

std::int32_t CDialDlg::InitDialog() {
    CDialog::InitDialog();
    SetDlgItemText(IDC_DIAL_NUMBER, kDefaultNumber);
    SetIcon(m_hAppIcon, true);
    SetIcon(m_hAppIcon, false);
    CenterWindow();
    const std::int32_t started = m_modem.Start(kPortName, kBaudRate, this);
    if (started == 0) {
        MessageBox(kStartFailed);
        m_link.StartFailed();
    } else {
        CheckSim();
    }
    if (m_modem.IsLost() == 1) {
        // Gone during the start-up, or never there: looked for like any modem that went.
        OnModemEvent(this, EVT_MODEM_LOST, u"");
    }
    m_modem.m_pfnEvent = &CDialDlg::OnModemEvent;
    ScheduleSetupRetry();
    return started;
}

bool CDialDlg::IsDown(std::int32_t buttonId) const {
    return (GetButtonState(buttonId) & 3) == BST_CHECKED;
}

// The press has already flipped the button; its new state says what the user wants.
void CDialDlg::OnDialClicked() {
    m_dialPressedInNotice = m_noticeBox != 0;
    const std::u16string number = GetDlgItemText(IDC_DIAL_NUMBER);
    if (!IsDown(IDC_DIAL)) {
        // A hang-up the module did not take may leave the call up: its end still tells.
        if (m_modem.HangUp() == 1) {
            m_call = CallPhase::kNone;
        } else {
            ReportFailure(kHangUpFailed, "hang-up");
        }
        SetDlgItemText(IDC_DIAL, kDialCaption);
        return;
    }
    if (number.empty()) {
        MessageBox(kEnterNumber);
        SetButtonCheck(IDC_DIAL, BST_UNCHECKED);
        SetDlgItemText(IDC_DIAL, kDialCaption);
        return;
    }
    if (m_modem.Dial(number) == 1) {
        m_call = CallPhase::kPlaced;
        SetDlgItemText(IDC_DIAL, kHangUpCaption);
    } else {
        platform::ReportCommandFailure("dial", m_modem.LastFailure());
        SetButtonCheck(IDC_DIAL, BST_UNCHECKED);
        SetDlgItemText(IDC_DIAL, kDialCaption);
    }
}

void CDialDlg::OnAnswerClicked() {
    m_answerPressedInNotice = m_noticeBox != 0;
    if (!IsDown(IDC_ANSWER)) {
        if (m_modem.Reject() == 1) {
            m_call = CallPhase::kNone;
        } else {
            ReportFailure(kEndFailed, "end of the call");
        }
        SetDlgItemText(IDC_ANSWER, kAnswerCaption);
        return;
    }
    if (m_modem.Answer() == 1) {
        m_call = CallPhase::kAnswered;
        SetDlgItemText(IDC_ANSWER, kEndCaption);
        return;
    }
    // Refused or ended as it was answered: no call is left to end.
    m_call = CallPhase::kNone;
    // Released before the message, so the user sees the button up while reading it.
    SetButtonCheck(IDC_ANSWER, BST_UNCHECKED);
    SetDlgItemText(IDC_ANSWER, kAnswerCaption);
    ReportFailure(kAnswerFailed, "answer");
}

void CDialDlg::ReportFailure(const char16_t* text, const char* what) {
    platform::ReportCommandFailure(what, m_modem.LastFailure());
    WatchForModem();
    MessageBox(m_link.CommandMessage(false, text));
}

void CDialDlg::OnModemEvent(void* owner, std::int32_t code, std::u16string text) {
    auto* dialog = static_cast<CDialDlg*>(owner);
    if (dialog == nullptr) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(dialog->m_eventLock);
        dialog->m_events.push_back({code, std::move(text)});
    }
    dialog->PostMessage(WM_CALL_EVENT);
}

void CDialDlg::OnCallEvent() {
    std::deque<CallEvent> events;
    {
        std::lock_guard<std::mutex> lock(m_eventLock);
        events.swap(m_events);
    }
    for (const CallEvent& event : events) {
        if (event.code == EVT_RING) {
            OnRing(event.text);
        } else if (event.code == EVT_MODEM_LOST) {
            OnModemLost();
        } else if (event.code == EVT_MODEM_READY) {
            m_sim.Changed();
            RetrySetup();
        } else if (event.code == EVT_MODEM_RESET) {
            m_sim.Changed();
            OnModemReset();
        } else if (event.code == EVT_SIM_ERROR && m_sim.WantsCheck()) {
            CheckSim();
        } else if (const char16_t* notice = NoticeOf(event.code)) {
            OnCallEnded(notice);
        }
    }
}

// A ring of a call already shown (call waiting, the call the user just answered) changes nothing
// of its state.
void CDialDlg::OnRing(const std::u16string& number) {
    SetDlgItemText(IDC_CALLER, number);
    if (m_call == CallPhase::kNone) {
        m_call = CallPhase::kRinging;
    }
}

// In the box of the call that ended: the number's when the window placed it, else the caller's.
void CDialDlg::OnCallEnded(const char16_t* notice) {
    if (m_call == CallPhase::kNone) {
        return;
    }
    const std::int32_t box = m_call == CallPhase::kPlaced ? IDC_DIAL_NUMBER : IDC_CALLER;
    m_call = CallPhase::kNone;
    ShowNotice(notice, box);
}

// A notice that stands already (of the call before) is restarted where it stands, with the new
// text.
void CDialDlg::ShowNotice(const std::u16string& text, std::int32_t box) {
    if (m_noticeBox == 0) {
        m_noticeBox = box;
        m_dialPressedInNotice = false;
        m_answerPressedInNotice = false;
    }
    SetDlgItemText(m_noticeBox, text);
    SetTimer(ID_NOTICE_TIMER, kNoticeMs);
}

void CDialDlg::OnNoticeTimer(std::uintptr_t) {
    KillTimer(ID_NOTICE_TIMER);
    if (m_noticeBox == 0) {
        return;
    }
    SetDlgItemText(m_noticeBox, u"");
    m_noticeBox = 0;
    if (!m_answerPressedInNotice) {
        Release(IDC_ANSWER, kAnswerCaption);
    }
    if (!m_dialPressedInNotice) {
        Release(IDC_DIAL, kDialCaption);
    }
}

void CDialDlg::OnModemLost() {
    WatchForModem();
    if (const char16_t* notice = m_link.LossNoticeOnce()) {
        MessageBox(notice);
    }
}

void CDialDlg::WatchForModem() {
    if (!m_link.StartsWatching()) {
        return;
    }
    m_call = CallPhase::kNone;  // a module that went took its call with it
    SetTimer(ID_RECONNECT_TIMER, kReconnectCheckMs);
    // A standing notice releases the toggles when it ends; else no call is left to hold them.
    if (m_noticeBox == 0) {
        Release(IDC_ANSWER, kAnswerCaption);
        Release(IDC_DIAL, kDialCaption);
    }
}

void CDialDlg::OnReconnectTimer(std::uintptr_t) {
    if (const char16_t* notice = m_link.Reconnected()) {
        KillTimer(ID_RECONNECT_TIMER);
        ScheduleSetupRetry();
        MessageBox(notice);
        m_sim.Changed();
        CheckSim();
    }
}

void CDialDlg::Release(std::int32_t toggle, const char16_t* caption) {
    SetDlgItemText(toggle, caption);
    SetButtonCheck(toggle, BST_UNCHECKED);
}

void CDialDlg::RetrySetup() {
    if (m_modem.RetrySetup() == 1) {
        SetTimer(ID_SETUP_TIMER, CModem::kSetupRetryMs);
    } else {
        KillTimer(ID_SETUP_TIMER);
    }
}

void CDialDlg::ScheduleSetupRetry() {
    if (m_modem.SetupPending() == 1) {
        SetTimer(ID_SETUP_TIMER, CModem::kSetupRetryMs);
    }
}

void CDialDlg::OnSetupTimer(std::uintptr_t) {
    RetrySetup();
}

void CDialDlg::OnModemReset() {
    m_call = CallPhase::kNone;
    if (m_modem.Restart() == 0) {
        OnModemLost();
        return;
    }
    CheckSim();
}

void CDialDlg::CheckSim() {
    const char16_t* notice = m_sim.Check([this](const std::u16string& text) {
        return AskSecret({kPinCaption, text, platform::SecretForm{}});
    });
    if (notice != nullptr) {
        MessageBox(notice);
    }
    ScheduleSetupRetry();  // what the set-up list refused after a PIN waits for the timer
}
