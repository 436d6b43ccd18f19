#include "dorrin/modem_setup.h"

const SetupCommands& DorrinSetupCommands() {
    static const SetupCommands commands = {
        u"AT+CLIP=1",
        u"AT+CMGF=1",
        // ATH ends a voice call too; some firmware comes up with 1, where it leaves one up.
        u"AT+CVHU=0",
    };
    return commands;
}
