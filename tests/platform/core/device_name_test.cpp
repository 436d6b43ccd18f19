// "COMn:" names onto device paths.

#include "platform/core/device_name.h"

#include <gtest/gtest.h>

#include <map>

namespace {

TEST(DeviceName, MapsComPortsThroughTheEnvironment) {
    const std::map<std::string, std::string> environment = {
        {"COM1", "/dev/ttyUSB2"}, {"COM3", ""}, {"COM12", "/dev/ttyACM0"}};
    const auto lookup = [&](const char* name) -> const char* {
        auto it = environment.find(name);
        return it == environment.end() ? nullptr : it->second.c_str();
    };
    const struct {
        std::u16string name;
        std::string path;
    } rows[] = {
        {u"COM1:", "/dev/ttyUSB2"},  {u"com1:", "/dev/ttyUSB2"},    {u"COM1", "/dev/ttyUSB2"},
        {u"COM2:", "/dev/ttyS1"},    {u"COM3:", "/dev/ttyS2"},  // set but empty: the default
        {u"COM12:", "/dev/ttyACM0"}, {u"COM0:", "COM0:"},       // there is no port 0
        {u"COM:", "COM:"},           {u"COM1x:", "COM1x:"},         {u"COM1::", "COM1::"},
        {u"COM1234:", "COM1234:"},   {u"/dev/pts/7", "/dev/pts/7"}, {u"", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(platform::DevicePathFor(row.name, lookup), row.path);
    }
}

}  // namespace
