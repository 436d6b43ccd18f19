// A dialog's message boxes and secret prompts: shown one at a time, and never before a close that
// is waiting.
#include <QCoreApplication>
#include <QEventLoop>

#include "platform/core/message_box.h"
#include "platform/core/secret_prompt.h"
#include "platform/ui/dialog.h"
#include "platform/ui/dialog_window.h"
#include "platform/ui/stale_input_filter.h"
#include "platform/ui/window_call_gate.h"

using platform::ui::DialogWindow;
using platform::ui::MessageKind;

// 0 when the window has gone (the text then goes nowhere).
std::int32_t CDialog::MessageBox(const std::u16string& text) {
    std::int32_t result = 0;
    m_gate->Call([&] {
        if (m_pWindow == nullptr) {
            return;
        }
        if (!TakeWaitingClose(*m_pWindow)) {
            ShowBoxes(*m_pWindow, text);
        }
        result = platform::ui::IDOK;
    });
    return result;
}

// Nothing when the window has gone or is closing.
std::optional<std::u16string> CDialog::AskSecret(const platform::SecretPrompt& prompt) {
    std::optional<std::u16string> secret;
    m_gate->Call([&] {
        if (m_pWindow == nullptr || m_promptOpen || TakeWaitingClose(*m_pWindow)) {
            return;
        }
        DialogWindow& window = *m_pWindow;
        const bool overBox = m_boxOpen;
        m_boxOpen = true;
        m_promptOpen = true;
        secret = platform::AskSecret(prompt);
        m_promptOpen = false;
        // Over a box, the boxes that waited follow that one, as they would have.
        if (!overBox) {
            ShowWaitingBoxes(window);
        }
    });
    return secret;
}

// A close asked for while a command held the window up is still in the event queue. The box
// would come first and, being modal, make the window system drop that close: the user would have
// to read a message about a command on a window already asked to go, and close it again. So the
// queue is run now (Qt counts the window system's close as user input, so all of it), with the
// user's clicks and keys dropped and handlers held back until this one has ended.
bool CDialog::TakeWaitingClose(DialogWindow& window) {
    const bool outer = m_holdHandlers;  // a box asked for from inside this very pump
    m_holdHandlers = true;
    platform::ui::StaleInputFilter filter;
    QCoreApplication::instance()->installEventFilter(&filter);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::instance()->removeEventFilter(&filter);
    m_holdHandlers = outer;
    if (!outer) {
        RepostHeld();
    }
    return window.IsEnding() || CloseAsked();
}

// The sink shows the box over the running dialog (win_app.cpp) or records it (tests). A box asked
// for meanwhile (a timer or a posted message runs while the first one stands) is shown after it.
void CDialog::ShowBoxes(DialogWindow& window, const std::u16string& text) {
    if (m_boxOpen) {
        m_boxesWaiting.push_back(text);
        return;
    }
    m_boxOpen = true;
    platform::ShowMessage(text);
    ShowWaitingBoxes(window);
}

void CDialog::ShowWaitingBoxes(DialogWindow& window) {
    for (std::size_t next = 0; next < m_boxesWaiting.size() && !window.IsEnding(); ++next) {
        // By value: the list may grow while this box stands.
        const std::u16string waiting = m_boxesWaiting[next];
        platform::ShowMessage(waiting);
    }
    m_boxesWaiting.clear();
    m_boxOpen = false;
}
