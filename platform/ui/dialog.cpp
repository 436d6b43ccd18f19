#include "platform/ui/dialog.h"

#include <QGuiApplication>
#include <QIcon>
#include <QScreen>

#include "platform/ui/control_widgets.h"
#include "platform/ui/dialog_window.h"
#include "platform/ui/icon_store.h"
#include "platform/ui/window_command_wait.h"
#include "platform/ui/window_call_gate.h"

using platform::ui::DialogWindow;
using platform::ui::MessageKind;

CDialog::CDialog(const platform::ui::DialogTemplate& dialogTemplate, CDialog* parent)
    : m_template(dialogTemplate),
      m_pParent(parent),
      m_gate(std::make_unique<platform::ui::WindowCallGate>()) {}

CDialog::~CDialog() = default;

std::int32_t CDialog::DoModal() {
    QWidget* parentWindow = m_pParent != nullptr ? m_pParent->Window() : nullptr;
    auto* window = new DialogWindow(*this, m_template, *m_gate, parentWindow);
    m_pWindow = window;
    platform::ui::WindowCommandWait commandWait(*this);
    const platform::ScopedCommandWaitHost hosted(commandWait);
    m_gate->Open([window] { window->PostPendingCalls(); });
    m_endRequested = false;
    if (InitDialog() != 0) {
        window->FocusFirstTabStop();
    }
    std::int32_t result = m_endResult;
    if (!m_endRequested && CloseAsked()) {
        // The close posted meanwhile would only be run by the loop; asked later, it reaches the
        // loop through the gate.
        result = m_closeResult.load();
    } else if (!m_endRequested) {
        result = window->exec();
    }
    // Refuse cross-thread calls before the window goes, so no caller waits on a dead window.
    m_gate->Close();
    window->StopAllTimers();
    m_pWindow = nullptr;
    delete window;
    return result;
}

void CDialog::EndDialog(std::int32_t result) {
    RunOnWindow([this, result](DialogWindow& window) {
        m_endRequested = true;
        m_endResult = result;
        window.done(result);
    });
}

void CDialog::PostClose(std::int32_t result) {
    m_closeResult.store(result);
    m_closeAsked.store(true);
    // Refused while the gate is shut (before DoModal): DoModal then sees the flag.
    m_gate->Post([this, result] {
        if (m_pWindow != nullptr) {
            EndDialog(result);
        }
    });
}

std::int32_t CDialog::InitDialog() {
    return 1;
}

const platform::ui::MessageMap& CDialog::GetMessageMap() const {
    static const platform::ui::MessageMap empty;
    return empty;
}

void CDialog::DefaultTimer(std::uintptr_t) {}

void CDialog::Dispatch(MessageKind kind, std::uintptr_t id) {
    if (m_commandWaits) {
        // Timers wait in the window (they fire once the command has ended); a click aimed at the
        // window as it was before the command is dropped, as the filter drops the user's input.
        if (kind == MessageKind::kPosted) {
            m_heldMessages.emplace_back(kind, id);
        }
        return;
    }
    if (m_holdHandlers) {
        // A timer comes round again by itself.
        if (kind != MessageKind::kTimer) {
            m_heldMessages.emplace_back(kind, id);
        }
        return;
    }
    for (const platform::ui::MessageMapEntry& entry : GetMessageMap()) {
        if (entry.kind == kind &&
            (entry.id == platform::ui::kAnyId || static_cast<std::uintptr_t>(entry.id) == id)) {
            entry.invoke(*this, id);
            return;
        }
    }
    if (kind == MessageKind::kTimer) {
        DefaultTimer(id);
    }
}

void CDialog::RepostHeld() {
    for (const auto& [kind, id] : m_heldMessages) {
        m_gate->Post([this, kind = kind, id = id] {
            if (m_pWindow != nullptr) {
                Dispatch(kind, id);
            }
        });
    }
    m_heldMessages.clear();
}

void CDialog::PostMessage(std::int32_t messageId) {
    m_gate->Post([this, messageId] {
        if (m_pWindow != nullptr) {
            Dispatch(MessageKind::kPosted, static_cast<std::uintptr_t>(messageId));
        }
    });
}

template <class Operation>
void CDialog::RunOnWindow(Operation&& operation) const {
    m_gate->Call([&] {
        if (m_pWindow != nullptr) {
            operation(*m_pWindow);
        }
    });
}

template <class Result, class Operation>
Result CDialog::QueryWindow(Operation&& operation, Result whenGone) const {
    Result result = whenGone;
    m_gate->Call([&] {
        if (m_pWindow != nullptr) {
            result = operation(*m_pWindow);
        }
    });
    return result;
}

void CDialog::SetDlgItemText(std::int32_t controlId, const std::u16string& text) {
    RunOnWindow([&](DialogWindow& window) {
        if (QWidget* control = window.Control(controlId)) {
            platform::ui::SetControlText(control, text);
        }
    });
}

std::u16string CDialog::GetDlgItemText(std::int32_t controlId) const {
    return QueryWindow(
        [&](DialogWindow& window) {
            const QWidget* control = window.Control(controlId);
            return control != nullptr ? platform::ui::ControlText(control) : std::u16string();
        },
        std::u16string());
}

std::uint32_t CDialog::GetButtonState(std::int32_t controlId) const {
    return QueryWindow(
        [&](DialogWindow& window) { return platform::ui::ButtonState(window.Control(controlId)); },
        BST_UNCHECKED);
}

void CDialog::SetButtonCheck(std::int32_t controlId, std::uint32_t state) {
    RunOnWindow([&](DialogWindow& window) {
        platform::ui::SetButtonState(window.Control(controlId), state);
    });
}

void CDialog::SetIcon(platform::ui::HICON icon, bool bigIcon) {
    RunOnWindow([&](DialogWindow& window) { window.SetIcon(icon, bigIcon); });
}

void CDialog::CenterWindow() {
    RunOnWindow([](DialogWindow& window) {
        const QScreen* screen = window.screen();
        if (screen == nullptr) {
            screen = QGuiApplication::primaryScreen();
        }
        if (screen == nullptr) {
            return;
        }
        QRect frame = window.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    });
}

void CDialog::SetTimer(std::uintptr_t timerId, std::uint32_t periodMs) {
    RunOnWindow([&](DialogWindow& window) { window.StartTimer(timerId, periodMs); });
}

void CDialog::KillTimer(std::uintptr_t timerId) {
    RunOnWindow([&](DialogWindow& window) { window.StopTimer(timerId); });
}
