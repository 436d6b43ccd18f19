#pragma once
// The message window against the simulated modem on offscreen Qt, in one run:
//   arrival to window - from a message's arrival in the modem's storage to its text in the window,
//     N messages each arriving at a random moment 0-3 s after the one before was shown:
//       slot 1 only  - the rule before the window read every slot, replayed on the channel to
//                      the module that never announces: read slot 1 each second, a read that
//                      finds no read message ending after 2 s of silence; an unread message
//                      shows at the read after the one that marked it read
//       announced    - the window (CSmsDlg) on a module that announces arrivals (+CMTI: standard
//                      profile): it reads the slot at once
//       unannounced  - the window on one that never does (no-indications): its poll finds it
//     and on a burst, messages 0.3 s apart on the announcing module, each timed from its arrival;
//   frozen while idle - the share of an idle stretch in which the window's thread answers nothing
//     (a command holds it), on both modules: on the announcing one an idle poll is one read and a
//     scan every few polls, on the other a read and AT+CPMS? at every poll.

#include <chrono>
#include <string>
#include <vector>

struct IdleFreezes {
    // Each stretch in which the window's thread answered nothing for longer than a user notices.
    std::vector<double> stallsMs;
    double watchedMs = 0.0;
    double FrozenPercent() const;
};

// The window on one module: its messages' arrival to window, and its idle stretch.
struct WindowFigures {
    std::vector<double> arrivalMs;
    IdleFreezes idle;
};

struct MessageFigures {
    std::vector<double> slotOnlyMs;
    WindowFigures announcing;     // standard profile
    WindowFigures unannouncing;   // no-indications profile
    std::vector<double> burstMs;  // on the announcing module
    std::string problem;          // why samples are missing, or empty
};

// Needs a QApplication. Sets COM1 to the simulated modem's device for the rest of the process.
// Takes a few seconds a message, and idle + 6 s on each module.
MessageFigures MessageWindowFigures(int messages, std::chrono::seconds idle);
