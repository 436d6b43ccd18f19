#pragma once
// From a message's arrival in the simulated modem's storage to its text in the message window,
// on offscreen Qt, under two polling rules in one run:
//   slot 1 only - the former rule, replayed on the channel: read slot 1 each second, a read that
//                 finds no read message ending after 2 s of silence; an unread message shows at
//                 the read after the one that marked it read
//   inbox       - the window as it is (CSmsDlg): reads decided by their final result, every slot
// Each message arrives at a random moment after the one before was shown. The inbox is also
// timed on a burst: messages 0.3 s apart, each timed from its own arrival.

#include <string>
#include <vector>

struct MessageLatencies {
    std::vector<double> slotOnlyMs;
    std::vector<double> inboxMs;
    std::vector<double> burstMs;
    std::string problem;  // why samples are missing, or empty
};

// Needs a QApplication. Sets COM1 to the simulated modem's device for the rest of the process.
MessageLatencies MessageToWindowMs(int messages);
