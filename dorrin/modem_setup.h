#pragma once
// The dialer program's modem settings after start-up: caller identification with each ring, and
// text mode so the modem's answers stay readable.

#include "modemlink/modem.h"

const SetupCommands& DorrinSetupCommands();
