#include "platform/simhost/io_signals.h"

#include <signal.h>

#include <initializer_list>

namespace platform {

bool IgnoreIoSignals() {
    bool ok = true;
    for (const int signalNumber : {SIGPIPE, SIGTTIN, SIGTTOU}) {
        ok = ::signal(signalNumber, SIG_IGN) != SIG_ERR && ok;
    }
    return ok;
}

}  // namespace platform
