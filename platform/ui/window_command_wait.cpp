#include "platform/ui/window_command_wait.h"

#include <QCoreApplication>
#include <QEventLoop>

#include "platform/core/backend.h"
#include "platform/ui/dialog.h"
#include "platform/ui/dialog_window.h"
#include "platform/ui/stale_input_filter.h"

namespace platform::ui {

bool WindowCommandWait::Wanted() {
    const DialogWindow* window = m_dialog.Window();
    return window != nullptr && !window->IsEnding() && !m_dialog.CloseAsked();
}

void WindowCommandWait::WaitBegins() {
    m_dialog.m_commandWaits = true;
    m_waitStart = platform::System().Now();
}

void WindowCommandWait::WaitEnds() {
    m_dialog.m_commandWaits = false;
    DialogWindow* window = m_dialog.Window();
    if (window == nullptr) {
        return;
    }
    if (m_busyCursor) {
        window->unsetCursor();
        m_busyCursor = false;
    }
    m_dialog.RepostHeld();
    window->ResumeTimers();
}

void WindowCommandWait::Serve() {
    DialogWindow* window = m_dialog.Window();
    if (window == nullptr) {
        return;
    }
    if (!m_busyCursor &&
        platform::System().Now() >= platform::AfterMs(m_waitStart, kBusyCursorAfterMs)) {
        window->setCursor(Qt::WaitCursor);
        m_busyCursor = true;
    }
    StaleInputFilter filter;
    QCoreApplication::instance()->installEventFilter(&filter);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::instance()->removeEventFilter(&filter);
}

}  // namespace platform::ui
