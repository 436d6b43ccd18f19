// The line naming other holders of the modem's device: the remedy by who they are, and a bound.

#include <gtest/gtest.h>

#include "platform/core/holder_notice.h"

TEST(HolderNotice, NamesEachHolderWithItsRemedy) {
    const std::string mix = " commands and ours would mix";
    const std::string manager =
        " may take the modem's answers and messages: stop it (systemctl stop ModemManager) or "
        "keep it off this device with a udev rule: ENV{ID_MM_DEVICE_IGNORE}=\"1\"";
    const std::pair<std::vector<platform::DeviceHolder>, std::string> rows[] = {
        {{}, ""},
        {{{812, "ModemManager"}}, "q: d is also open in process 812 (ModemManager); it" + manager},
        {{{4242, "minicom"}}, "q: d is also open in process 4242 (minicom); its" + mix},
        {{{1, "a"}, {2, ""}, {3, "c"}, {4, "d"}, {812, "ModemManager"}},
         "q: d is also open in processes 1 (a), 2, 3 (c), 4 (d) and 1 more; their" + mix +
             ", and ModemManager" + manager},
    };
    for (const auto& [holders, line] : rows) {
        EXPECT_EQ(platform::HolderNotice("q", "d", holders), line);
    }
}
