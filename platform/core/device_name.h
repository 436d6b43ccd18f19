#pragma once
// Device names as the programs know them ("COM1:") mapped onto paths. "COMn:" (n >= 1, any case,
// the colon optional) is the path in the environment variable COMn when set and not empty, else
// /dev/ttyS{n-1}. Any other name is used as a path.

#include <functional>
#include <string>

namespace platform {

using EnvironmentLookup = std::function<const char*(const char* name)>;

std::string DevicePathFor(const std::u16string& name, const EnvironmentLookup& lookup);

// The same with the process's environment.
std::string DevicePathFor(const std::u16string& name);

}  // namespace platform
