#pragma once
// Telephone numbers as AT commands carry them: the destination of AT+CMGS, the service centre of
// AT+CSCA, the caller of +CLIP.

#include <string>
#include <string_view>

namespace modemsim {

// 1 to 20 of 0-9 + * #.
bool IsAddress(const std::string& number);

// Type of address: 145 for international numbers ("+..."), else 129.
int NumberType(std::string_view number);

}  // namespace modemsim
