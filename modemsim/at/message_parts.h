#pragma once
// Long texts as the network delivers them: cut into parts that each carry a concatenation
// header, and each part's user data as the modem gives it in text mode.
//
//   GSM alphabet: one message holds 160 septets, a part 153 (the 6-octet header and its fill bit
//   take 7); an escape and its extension code stay together.
//   UCS2: one message holds 70 UTF-16 units, a part 67; a surrogate pair stays together.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "modemsim/at/modem_state.h"

namespace modemsim {

inline constexpr std::size_t kMaxParts = 255;  // what the header's part count can say

// The texts (UTF-8) of the parts, in order: one text when it fits one message, none when it
// would take more than kMaxParts parts. A GSM text must fit the GSM alphabet.
std::vector<std::string> SplitIntoParts(const std::string& utf8, bool ucs2);

struct PartUserData {
    std::vector<std::uint8_t> octets;  // header, then packed septets or UCS2 big-endian octets
    std::size_t length = 0;            // as TP-UDL counts it: septets (fill included) or octets
};

// The user data of a stored part (sms.part set).
PartUserData UserDataOf(const StoredSms& sms);

}  // namespace modemsim
