#pragma once
// Program icons. An icon group is an .ico file in the program's Qt resources under
// ":/icons/<group id>.ico" holding its images (32 x 32 and 16 x 16). Loaded icons live until the
// program ends, as resource icons do; a handle is never released.

#include <cstdint>

namespace platform::ui {

struct Icon;
using HICON = const Icon*;

// nullptr when the program has no such icon group.
HICON LoadIcon(std::int32_t groupId);

}  // namespace platform::ui
