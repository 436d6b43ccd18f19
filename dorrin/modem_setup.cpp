#include "dorrin/modem_setup.h"

const SetupCommands& DorrinSetupCommands() {
    static const SetupCommands commands = {
        u"AT+CLIP=1",
        u"AT+CMGF=1",
    };
    return commands;
}
