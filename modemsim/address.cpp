#include "modemsim/address.h"

#include <algorithm>

namespace modemsim {

bool IsAddress(const std::string& number) {
    return !number.empty() && number.size() <= 20 &&
           std::all_of(number.begin(), number.end(), [](char c) {
               return (c >= '0' && c <= '9') || c == '+' || c == '*' || c == '#';
           });
}

int NumberType(std::string_view number) {
    return !number.empty() && number.front() == '+' ? 145 : 129;
}

}  // namespace modemsim
