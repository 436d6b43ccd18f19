#pragma once
// The one way a profile table's rows are found by name and listed: each table is an array of
// rows in the order of its enum, each row with a `name`.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace modemsim {

template <typename Profile, typename Row, std::size_t N>
std::optional<Profile> RowNamed(const Row (&rows)[N], std::string_view name) {
    for (std::size_t i = 0; i < N; ++i) {
        if (name == rows[i].name) {
            return static_cast<Profile>(i);
        }
    }
    return std::nullopt;
}

// "standard|huawei|zte"
template <typename Row, std::size_t N>
std::string RowNames(const Row (&rows)[N]) {
    std::string names;
    for (const Row& row : rows) {
        names += (names.empty() ? "" : "|") + std::string(row.name);
    }
    return names;
}

}  // namespace modemsim
