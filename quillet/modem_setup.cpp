#include "quillet/modem_setup.h"

const SetupCommands& QuilletSetupCommands() {
    static const SetupCommands commands = {
        u"AT+CREG=1",
        u"AT+CLIP=1",
        u"AT+CMGF=1",
        u"AT+CSCS=\"GSM\"",
    };
    return commands;
}
