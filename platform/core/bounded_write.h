#pragma once
// Writing to a descriptor whose reader may be slow or stuck (a terminal on hold, a full pipe)
// without getting stuck as well: room is awaited with poll, never longer than the caller allows,
// and each write() gets at most PIPE_BUF bytes, which a pipe that polls writable takes at once.

#include <cstddef>
#include <string_view>

namespace platform {

inline constexpr int kStandardInput = 0;
inline constexpr int kStandardOutput = 1;
inline constexpr int kStandardError = 2;

// Writes bytes to fd, waiting for room at most timeoutMs in all (-1: without limit); a signal on
// wakeFd (-1: none) ends the wait at once. How many bytes went out: fewer than given after a
// time-out, a wake-up, a reader that has gone, or an error.
std::size_t WriteWithin(int fd, std::string_view bytes, int timeoutMs, int wakeFd = -1);

}  // namespace platform
