#pragma once
// Event latency on offscreen Qt: the dialer window (CDialDlg) on the simulated modem through
// "COM1:", from the modem's write of "RING" + "+CLIP" to the caller box holding the number, and
// to the box's next paint, less the 100 ms read interval. The modem rings every 400 ms within one
// call; the box is emptied after each paint so that every ring shows anew.

#include <string>
#include <vector>

struct RingLatencies {
    std::vector<double> textSetMs;  // one per ring seen
    std::vector<double> paintedMs;
    std::string problem;  // why there are no samples, or empty
};

// Needs a QApplication. Sets COM1 to the simulated modem's device for the rest of the process.
RingLatencies RingToCallerBoxMs(int rings);
