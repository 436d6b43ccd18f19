#pragma once
// How long CModem::Start takes with a program's set-up list against the simulated modem, fresh
// for each run: a responsive one, or a silent one (two failed attempts, about 3.4 s by design).

#include <vector>

#include "modemlink/modem.h"

// Milliseconds, one per run that ended as expected (1 when responsive, 0 when silent).
std::vector<double> StartUpMs(const SetupCommands& setupCommands, bool silent, int runs);
