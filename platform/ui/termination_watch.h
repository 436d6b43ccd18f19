#pragma once
// Ends the program on SIGINT, SIGTERM or SIGHUP as closing its window does. A thread of its own
// waits for the signals: the first asks the main window to close, so the dialog goes the usual
// way and its port with it (the device given back to other openers, the reader thread joined);
// a window held up by a modem command closes once the command returns. A second signal does not
// wait for that: it gives every open device back and ends the process at once with the status
// the second signal asks for (TerminationSignal::ExitStatusFor).
//
// Thread contract: construct and Stop on the main thread, after the TerminationSignal was made
// there before any other thread.

#include <optional>
#include <thread>

class CWinApp;

namespace platform {
class TerminationSignal;
}

namespace platform::ui {

class TerminationWatch {
public:
    TerminationWatch(TerminationSignal& termination, CWinApp& app);
    ~TerminationWatch();
    TerminationWatch(const TerminationWatch&) = delete;
    TerminationWatch& operator=(const TerminationWatch&) = delete;

    // Ends the watch: the exit status the first signal asked for, if one came.
    std::optional<int> Stop();

private:
    void Run();

    TerminationSignal& m_signals;
    CWinApp& m_app;
    std::optional<int> m_status;  // the watcher's until it is joined
    std::thread m_thread;         // last: starts once the members above exist
};

}  // namespace platform::ui
