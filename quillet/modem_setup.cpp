#include "quillet/modem_setup.h"

const SetupCommands& QuilletSetupCommands() {
    static const SetupCommands commands = {
        u"AT+CREG=1", u"AT+CLIP=1", u"AT+CMGF=1", u"AT+CSCS=\"GSM\"",
        u"AT+CSDH=1",  // the coding scheme and length of each message read (read_answer.h)
    };
    return commands;
}
