#pragma once
// A modal dialog built from a template (dialog_template.h) and rendered with Qt.
//
// DoModal creates the window and its controls hidden, calls InitDialog once, shows the window
// and runs until the user closes it (close button, Escape) or EndDialog is called, then destroys
// the window and returns the result. Clicks and timers go through the message map.
//
// While a modem command of the window's thread waits for its answer (window_command_wait.h), the
// window's event loop is served: it paints, resizes, and takes the desktop's requests and a close,
// which makes the command give up. The handlers wait meanwhile: posted messages run once the
// command has ended, timers that came due fire then, and clicks and keys are dropped. Every
// handler enters through the message map, so no command can start inside another's wait.
//
// Thread contract: DoModal and the handlers run on the window's thread (the thread that called
// DoModal). The window operations below may be called from any thread. Called from another
// thread, an operation is carried out by the window's thread and has taken effect when it
// returns; calls from one thread take effect in their order. While the window's thread is busy
// (a modem command blocks it) the caller waits; once the window is closing or gone, pending and
// later calls return at once without touching it (getters then give empty results). So a thread
// that the window's thread waits for (the serial reader, when the port closes) can never
// deadlock on the window.

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/secret_prompt.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/icon.h"
#include "platform/ui/message_map.h"

namespace platform::ui {
class DialogWindow;
class WindowCallGate;
class WindowCommandWait;
}  // namespace platform::ui

// Button states as GetButtonState reports them; a toggle is down when (state & 3) == BST_CHECKED.
inline constexpr std::uint32_t BST_UNCHECKED = 0;
inline constexpr std::uint32_t BST_CHECKED = 1;

class CDialog {
public:
    CDialog(const platform::ui::DialogTemplate& dialogTemplate, CDialog* parent);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // IDOK or IDCANCEL, or the value given to EndDialog; -1 when the window could not be made.
    std::int32_t DoModal();
    void EndDialog(std::int32_t result);
    // From any thread, never waiting: asks the window to close with `result` as EndDialog does.
    // Asked before DoModal or while InitDialog runs, DoModal ends right after InitDialog without
    // running the window; asked while the window's thread is busy (a modem command), the window
    // closes as soon as that thread is free. The request stands for good.
    void PostClose(std::int32_t result);
    // Whether PostClose has been called (any thread): what would hold the close up can skip.
    bool CloseAsked() const { return m_closeAsked.load(); }

    // Window operations (any thread, see above). Control ids are those of the template.
    void SetDlgItemText(std::int32_t controlId, const std::u16string& text);
    std::u16string GetDlgItemText(std::int32_t controlId) const;
    std::uint32_t GetButtonState(std::int32_t controlId) const;
    void SetButtonCheck(std::int32_t controlId, std::uint32_t state);
    void SetIcon(platform::ui::HICON icon, bool bigIcon);
    void CenterWindow();
    // Starting a timer again with the same id restarts its period.
    void SetTimer(std::uintptr_t timerId, std::uint32_t periodMs);
    void KillTimer(std::uintptr_t timerId);
    // Modal message box owned by this dialog: the application title, the text, one OK button.
    // Goes through the platform's message sink, like every user-facing message. A handler shows
    // its message after its command; a close the user asked for while the command held the window
    // up is carried out first (clicks and keys given meanwhile are dropped, as the box would drop
    // them), and a closing window shows nothing. A box asked for while one of
    // this dialog's stands (from a timer or a posted message) waits until that one is closed.
    std::int32_t MessageBox(const std::u16string& text);
    // Modal prompt for a secret owned by this dialog (the SIM's PIN): the user's secret, or
    // nothing when they cancel. Goes through the platform's secret answerer as MessageBox goes
    // through the sink, and follows MessageBox's rules: a close that waited behind a command is
    // carried out first and the prompt is then not shown, a closing window asks nothing, and a
    // close while the prompt stands cancels it. Boxes asked for while it stands wait until it is
    // answered; its caller needs the answer now, so a prompt asked for while a box stands is
    // shown over it. A second prompt asked for while one stands is cancelled at once: the user
    // would otherwise answer the same question twice, at the cost of the SIM's attempts.
    std::optional<std::u16string> AskSecret(const platform::SecretPrompt& prompt);
    // From any thread, without waiting: the message map's OnMessage entry for the id runs on the
    // window's thread once it is free; dropped once the window is closing or gone.
    void PostMessage(std::int32_t messageId);

    // The Qt window while the dialog runs, else nullptr (for the layer and tests).
    platform::ui::DialogWindow* Window() const { return m_pWindow; }
    // Whether a modem command of the window's thread is waiting (window's thread).
    bool CommandWaits() const { return m_commandWaits; }

protected:
    // The framework's own initialisation; returns 1 (the framework then focuses the first tab
    // stop). Overrides call it first.
    virtual std::int32_t InitDialog();
    virtual const platform::ui::MessageMap& GetMessageMap() const;
    // What an unhandled (or passed-on) timer message gets: nothing.
    void DefaultTimer(std::uintptr_t timerId);

private:
    friend class platform::ui::DialogWindow;
    friend class platform::ui::WindowCommandWait;
    void Dispatch(platform::ui::MessageKind kind, std::uintptr_t id);
    // Run the operation on the window's thread while the window exists (see the contract).
    template <class Operation>
    void RunOnWindow(Operation&& operation) const;
    template <class Result, class Operation>
    Result QueryWindow(Operation&& operation, Result whenGone) const;

    // Message boxes (dialog_messages.cpp). True when the window is to close: a close that waited
    // behind a command has now been carried out.
    bool TakeWaitingClose(platform::ui::DialogWindow& window);
    void ShowBoxes(platform::ui::DialogWindow& window, const std::u16string& text);
    void ShowWaitingBoxes(platform::ui::DialogWindow& window);
    // The posted messages held back, posted again in their order.
    void RepostHeld();

    const platform::ui::DialogTemplate& m_template;
    CDialog* const m_pParent;
    platform::ui::DialogWindow* m_pWindow = nullptr;
    std::unique_ptr<platform::ui::WindowCallGate> m_gate;
    bool m_endRequested = false;  // EndDialog before the modal loop began (in InitDialog)
    std::int32_t m_endResult = platform::ui::IDCANCEL;
    std::atomic<std::int32_t> m_closeResult{platform::ui::IDCANCEL};  // stored before the flag
    std::atomic<bool> m_closeAsked{false};
    // Window's thread only.
    bool m_boxOpen = false;  // a box or a prompt stands: further boxes wait
    bool m_promptOpen = false;
    std::vector<std::u16string> m_boxesWaiting;
    // While TakeWaitingClose looks for a close, handlers are held back: a handler's message must
    // not run another handler in the middle of the first one.
    bool m_holdHandlers = false;
    bool m_commandWaits = false;
    std::vector<std::pair<platform::ui::MessageKind, std::uintptr_t>> m_heldMessages;
};
