#pragma once
// Texts the modem sends on its own, not as an answer to a command:
//   \r\nRING\r\n\r\n+CLIP: "+393351391306",145,,,,0\r\n   (the CLIP line only with AT+CLIP=1
//                                                         and a number that is not withheld)
//   \r\n+CREG: 1\r\n                                      (with AT+CREG=1 or 2)
//   \r\nNO CARRIER\r\n                                    (the other side ended the call)

#include <string>

#include "modemsim/modem_state.h"

namespace modemsim {

std::string RingText(const ModemState& state);
// Nothing when AT+CREG has reports off.
std::string RegistrationReport(const Settings& settings);
std::string NoCarrierText();

// The registration status, with location and cell for mode 2 while registered: `1,"00A1","1B2C"`.
std::string RegistrationFields(const Settings& settings);

}  // namespace modemsim
