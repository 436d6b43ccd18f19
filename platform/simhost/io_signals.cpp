#include "platform/simhost/io_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <initializer_list>

namespace platform {

bool IgnoreIoSignals() {
    bool ok = true;
    for (const int signalNumber : {SIGPIPE, SIGTTIN, SIGTTOU}) {
        ok = ::signal(signalNumber, SIG_IGN) != SIG_ERR && ok;
    }
    return ok;
}

bool InTerminalForeground() {
    const int terminal = ::open("/dev/tty", O_RDONLY | O_NOCTTY | O_CLOEXEC);
    if (terminal < 0) {
        return false;  // no controlling terminal
    }
    const bool foreground = ::tcgetpgrp(terminal) == ::getpgrp();
    ::close(terminal);
    return foreground;
}

}  // namespace platform
