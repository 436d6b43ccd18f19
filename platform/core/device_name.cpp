#include "platform/core/device_name.h"

#include <cstdlib>

#include "platform/core/codepage.h"

namespace platform {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The port number of "COMn" or "COMn:", or 0 when the name is something else.
unsigned long ComPortNumber(const std::string& name) {
    if (name.size() < 4) {
        return 0;
    }
    for (std::size_t i = 0; i < 3; ++i) {
        if ((name[i] | 0x20) != "com"[i]) {
            return 0;
        }
    }
    std::size_t end = name.size();
    if (name.back() == ':') {
        --end;
    }
    if (end <= 3 || end - 3 > 3 || name[3] == '0') {
        return 0;
    }
    unsigned long number = 0;
    for (std::size_t i = 3; i < end; ++i) {
        if (!IsDigit(name[i])) {
            return 0;
        }
        number = number * 10 + static_cast<unsigned long>(name[i] - '0');
    }
    return number;
}

}  // namespace

std::string DevicePathFor(const std::u16string& name, const EnvironmentLookup& lookup) {
    const std::string utf8 = Utf16ToUtf8(name);
    const unsigned long number = ComPortNumber(utf8);
    if (number == 0) {
        return utf8;
    }
    const std::string variable = "COM" + std::to_string(number);
    const char* mapped = lookup ? lookup(variable.c_str()) : nullptr;
    if (mapped != nullptr && *mapped != '\0') {
        return mapped;
    }
    return "/dev/ttyS" + std::to_string(number - 1);
}

std::string DevicePathFor(const std::u16string& name) {
    return DevicePathFor(name, [](const char* variable) { return std::getenv(variable); });
}

}  // namespace platform
