#pragma once
// The line that names the other processes holding the modem's device, and what each kind would
// do to our conversation with the modem:
//   quillet: /dev/ttyUSB2 is also open in process 812 (ModemManager); it may take the modem's
//   answers and messages: stop it (...) or keep it off this device with a udev rule: ...
//   dorrin: /dev/ttyACM0 is also open in process 4242 (minicom); its commands and ours would mix
// Pure: the holders are found elsewhere (device_holders.h).

#include <string>
#include <vector>

namespace platform {

struct DeviceHolder {
    long pid = 0;
    std::string name;  // the process's command name; empty when it could not be read
};

// Empty when nobody else holds the device. Names at most kNamedHoldersAtMost, counts the rest.
std::string HolderNotice(const std::string& program, const std::string& path,
                         const std::vector<DeviceHolder>& holders);

constexpr std::size_t kNamedHoldersAtMost = 4;

}  // namespace platform
