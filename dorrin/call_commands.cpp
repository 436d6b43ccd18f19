// Voice calls: one command line each, decided by the channel's OK/ERROR rule.
//   ATD0123456789;   the ';' makes it a voice call and returns the modem to command state
//   ATH              hook control: hang up (V.250)
//   ATA              answer the ringing call
//   AT+CHUP          hang up the call (27.007); some modules ignore ATH during a voice call

#include <utility>

#include "modemlink/modem.h"

std::int32_t CModem::Dial(std::u16string number) {
    std::u16string line = u"ATD";
    line += std::move(number) + u";";
    return RunCommand(std::move(line));
}

std::int32_t CModem::HangUp() {
    return RunCommand(u"ATH");
}

std::int32_t CModem::Answer() {
    return RunCommand(u"ATA");
}

std::int32_t CModem::Reject() {
    return RunCommand(u"AT+CHUP");
}
