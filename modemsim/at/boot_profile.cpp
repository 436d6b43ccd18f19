#include "modemsim/at/boot_profile.h"

#include "modemsim/at/profile_rows.h"
#include "modemsim/at/reply.h"

namespace modemsim {

namespace {

// In the order of BootProfile.
// clang-format off
constexpr BootHabits kProfiles[] = {
    // name         power-on        started     +CPIN  ready                        busy
    {"silent",      "",             "",         false, "",                          0},
    {"simcom",      "RDY",          "+CFUN: 1", true,  "Call Ready\nSMS Ready",     0},
    {"simcom-a76",  "*ATREADY: 1",  "",         true,  "SMS DONE\nPB DONE",         0},
    {"quectel",     "RDY",          "",         true,  "",                          0},
    {"huawei",      "",             "",         false, "",                          kCmeSimBusy},
};
// clang-format on

}  // namespace

const BootHabits& BootOf(BootProfile profile) {
    return kProfiles[static_cast<int>(profile)];
}

std::optional<BootProfile> BootProfileNamed(std::string_view name) {
    return RowNamed<BootProfile>(kProfiles, name);
}

std::string BootProfileNames() {
    return RowNames(kProfiles);
}

}  // namespace modemsim
