#include "platform/core/holder_notice.h"

#include <algorithm>

namespace platform {
namespace {

// It probes every new serial device and keeps AT ports open, reading and deleting stored
// messages on its own: the one holder common enough to deserve its own remedy.
constexpr char kModemManager[] = "ModemManager";
constexpr char kManagerRemedy[] =
    " may take the modem's answers and messages: stop it (systemctl stop ModemManager) or keep it "
    "off this device with a udev rule: ENV{ID_MM_DEVICE_IGNORE}=\"1\"";

bool IsManager(const DeviceHolder& holder) {
    return holder.name == kModemManager;
}

std::string Named(const DeviceHolder& holder) {
    return std::to_string(holder.pid) + (holder.name.empty() ? "" : " (" + holder.name + ")");
}

std::string Who(const std::vector<DeviceHolder>& holders) {
    std::string who = holders.size() == 1 ? "process " : "processes ";
    const std::size_t named = std::min(holders.size(), kNamedHoldersAtMost);
    for (std::size_t i = 0; i < named; ++i) {
        who += (i == 0 ? "" : ", ") + Named(holders[i]);
    }
    if (holders.size() > named) {
        who += " and " + std::to_string(holders.size() - named) + " more";
    }
    return who;
}

std::string Consequence(const std::vector<DeviceHolder>& holders) {
    const bool manager = std::any_of(holders.begin(), holders.end(), IsManager);
    const bool others = !std::all_of(holders.begin(), holders.end(), IsManager);
    std::string text;
    if (others) {
        text += std::string("; ") + (holders.size() == 1 ? "its" : "their") +
                " commands and ours would mix";
    }
    if (manager) {
        const char* subject = others                ? ", and ModemManager"
                              : holders.size() == 1 ? "; it"
                                                    : "; ModemManager";
        text += subject + std::string(kManagerRemedy);
    }
    return text;
}

}  // namespace

std::string HolderNotice(const std::string& program, const std::string& path,
                         const std::vector<DeviceHolder>& holders) {
    if (holders.empty()) {
        return "";
    }
    return program + ": " + path + " is also open in " + Who(holders) + Consequence(holders);
}

}  // namespace platform
