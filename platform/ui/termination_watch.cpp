#include "platform/ui/termination_watch.h"

#include <cstdlib>

#include "platform/core/backend.h"
#include "platform/core/termination_signal.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/win_app.h"

namespace platform::ui {

TerminationWatch::TerminationWatch(TerminationSignal& termination, CWinApp& app)
    : m_signals(termination), m_app(app), m_thread([this] { Run(); }) {}

TerminationWatch::~TerminationWatch() {
    Stop();
}

std::optional<int> TerminationWatch::Stop() {
    if (m_thread.joinable()) {
        m_signals.Cancel();
        m_thread.join();
    }
    return m_status;
}

void TerminationWatch::Run() {
    const int first = m_signals.Wait();
    if (first == 0) {
        return;
    }
    m_status = TerminationSignal::ExitStatusFor(first);
    m_app.PostCloseMainWindow(IDCANCEL);
    const int second = m_signals.Wait();
    if (second == 0) {
        return;
    }
    // No destructor runs after this: the devices' exclusive use would outlive the process.
    System().ReleaseAllDevices();
    std::_Exit(TerminationSignal::ExitStatusFor(second));
}

}  // namespace platform::ui
