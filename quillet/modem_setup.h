#pragma once
// The message program's modem settings after start-up: network registration reports, caller
// identification, text-mode SMS in the GSM character set.

#include "modemlink/modem.h"

const SetupCommands& QuilletSetupCommands();
