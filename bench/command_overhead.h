#pragma once
// Command overhead over a pseudo-terminal against the simulated modem: from the modem's last
// byte of "OK\r\n" for "AT" to SendLine + WaitResult returning, less the 100 ms read interval.

#include <vector>

// Milliseconds, one per command answered with OK; empty when the channel did not start.
std::vector<double> CommandOverheadMs(int commands);
