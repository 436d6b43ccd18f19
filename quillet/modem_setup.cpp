#include "quillet/modem_setup.h"

const SetupCommands& QuilletSetupCommands() {
    static const SetupCommands commands = {
        u"AT+CREG=1", u"AT+CLIP=1", u"AT+CMGF=1", u"AT+CSCS=\"GSM\"",
        // A send cut short in UCS2 (or other software) may have left the coding scheme at 8,
        // which refuses every text in the GSM alphabet.
        u"AT+CSMP=17,167,0,0",
        u"AT+CSDH=1",  // the coding scheme and length of each message read (read_answer.h)
        // Store each message that arrives and announce it (+CMTI): the window reads it at once.
        u"AT+CNMI=2,1,0,0,0",
        // Errors by number: "+CMS ERROR: 321" (invalid index) tells an empty slot from a read
        // refused for now, which a plain "ERROR" does not.
        u"AT+CMEE=1",
    };
    return commands;
}
