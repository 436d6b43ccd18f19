#include "modemsim/at/message_profile.h"

#include "modemsim/at/profile_rows.h"

namespace modemsim {

namespace {

constexpr Memory kSm = Memory::kSim;
constexpr Memory kMe = Memory::kPhone;
constexpr std::array<int, 5> kQuiet = {0, 0, 0, 0, 0};

// In the order of SmsProfile.
// clang-format off
constexpr MessageHabits kProfiles[] = {
    // name            from SM  ME  memories        AT+CNMI          dcs fixed  busy   delete prompt
    {"standard",       1,   20, 20, {kSm, kSm, kSm}, kQuiet,          0, false, false, false, 0},
    {"zero-based",     0,   20, 20, {kSm, kSm, kSm}, kQuiet,          0, false, false, false, 0},
    {"arrive-me",      0,   20, 25, {kSm, kSm, kMe}, kQuiet,          0, false, false, false, 0},
    {"read-me",        1,   20, 25, {kMe, kMe, kSm}, kQuiet,          0, false, false, false, 0},
    {"routed",         1,   20, 20, {kSm, kSm, kSm}, {2, 2, 0, 0, 0}, 0, true,  false, false, 0},
    {"no-indications", 1,   20, 20, {kSm, kSm, kSm}, kQuiet,          0, true,  false, false, 0},
    {"sim-busy",       1,   20, 20, {kSm, kSm, kSm}, kQuiet,          0, false, true,  false, 0},
    {"delete-twice",   1,   20, 20, {kSm, kSm, kSm}, kQuiet,          0, false, false, true,  0},
    {"late-prompt",    1,   20, 20, {kSm, kSm, kSm}, kQuiet,          0, false, false, false, 3000},
    {"dcs-ucs2",       1,   20, 20, {kSm, kSm, kSm}, kQuiet,          8, false, false, false, 0},
};
// clang-format on

}  // namespace

const MessageHabits& HabitsOf(SmsProfile profile) {
    return kProfiles[static_cast<int>(profile)];
}

std::optional<SmsProfile> SmsProfileNamed(std::string_view name) {
    return RowNamed<SmsProfile>(kProfiles, name);
}

std::string SmsProfileNames() {
    return RowNames(kProfiles);
}

}  // namespace modemsim
