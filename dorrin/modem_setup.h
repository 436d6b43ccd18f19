#pragma once
// The dialer program's modem settings after start-up: caller identification with each ring, text
// mode so the modem's answers stay readable, and a hang-up that ends voice calls (AT+CVHU=0; a
// module that refuses it has no such setting, and its ATH ends them already).

#include "modemlink/modem.h"

const SetupCommands& DorrinSetupCommands();
