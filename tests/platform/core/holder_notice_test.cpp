// The line naming other holders of the modem's device: the remedy by who they are, and a bound.

#include <gtest/gtest.h>

#include "platform/core/holder_notice.h"

namespace {

TEST(HolderNotice, NamesEachHolderWithItsRemedy) {
    const std::string manager =
        " may take the modem's answers and messages: stop it (systemctl stop ModemManager) or keep "
        "it off this device with a udev rule: ENV{ID_MM_DEVICE_IGNORE}=\"1\"";
    const struct {
        std::vector<platform::DeviceHolder> holders;
        std::string line;
    } rows[] = {
        {{}, ""},
        {{{812, "ModemManager"}},
         "q: /dev/x is also open in process 812 (ModemManager); it" + manager},
        {{{4242, "minicom"}},
         "q: /dev/x is also open in process 4242 (minicom); its commands and ours would mix"},
        {{{7, ""}, {8, "ModemManager"}},
         "q: /dev/x is also open in processes 7, 8 (ModemManager); their commands and ours would "
         "mix, and ModemManager" +
             manager},
        {{{1, "a"}, {2, "b"}, {3, "c"}, {4, "d"}, {5, "ModemManager"}, {6, "e"}},
         "q: /dev/x is also open in processes 1 (a), 2 (b), 3 (c), 4 (d) and 2 more; their "
         "commands and ours would mix, and ModemManager" +
             manager},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(platform::HolderNotice("q", "/dev/x", row.holders), row.line);
    }
}

}  // namespace
