#pragma once
// Messages in PDU mode: the hex of the service centre's address followed by the transfer unit
// (TPDU) itself. The modem gives received messages as SMS-DELIVER and takes messages to send as
// SMS-SUBMIT; the octet count that AT+CMGR, AT+CMGL and AT+CMGS carry is the TPDU's, the
// service centre's address not counted.
//
//   07 91 447700909999F9      service centre: 7 octets, international (91), +447700909999
//   04                        SMS-DELIVER, no more messages waiting (44 with a user-data header)
//   0C 91 447707214365        sender: 12 digits, international; 81 national, D0 a name in 7 bits
//   00 00                     protocol, coding scheme (00 GSM 7-bit, 08 UCS2)
//   91909251031243            time stamp, digits swapped in each octet, then the zone
//   0A E8329BFD4697D9EC37     user-data length (septets, or octets) and the user data
//
// Numbers go digit by digit, two to an octet, the second digit in the high half and F filling an
// odd count; '*' and '#' are A and B. Pure functions; any thread.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "modemlink/smscodec/user_data.h"
#include "modemsim/at/modem_state.h"

namespace modemsim {

struct Pdu {
    std::string hex;  // upper case
    std::size_t tpduOctets = 0;
};

// A received message as the service centre `centre` ("+..." international, empty for none)
// delivered it. A sender that is no number goes as a name of at most 11 GSM characters; a time
// stamp that is not "yy/MM/dd,hh:mm:ss+zz" goes as zeros.
Pdu DeliverPdu(const std::string& centre, const StoredSms& sms);

struct Submission {
    std::string destination;            // "+..." for an international number
    std::string text;                   // UTF-8; 8-bit data as the hex of its octets
    std::optional<std::string> centre;  // the service centre it names; nothing: the modem's
    std::optional<MessagePart> part;    // the concatenation header, when it has one
};

// Nothing unless hex is an SMS-SUBMIT whose TPDU is tpduOctets octets long and whose every field,
// user data included, is whole and consistent.
std::optional<Submission> DecodeSubmit(std::string_view hex, std::size_t tpduOctets);

}  // namespace modemsim
