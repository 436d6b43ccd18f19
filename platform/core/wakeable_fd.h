#pragma once
// Blocking I/O on a descriptor that another thread can cut short: each waiter also polls an
// eventfd, and one signal on it ends every wait for good. Shared by the serial device and the
// pseudo-terminal.

#include <cstddef>

namespace platform {

// Waits up to timeoutMs (-1: without limit) for `events` on fd. Gives fd's revents, 0 when the
// time ran out, -1 on a wake-up or a poll failure. Signals do not stretch the wait.
int PollOrWake(int fd, int wakeFd, short events, int timeoutMs);

// Writes everything, waiting for room as needed. False on an error or a wake-up; `written`
// tells how much went out.
bool WriteAllOrWake(int fd, int wakeFd, const void* bytes, std::size_t size, std::size_t& written);

// A fresh wake-up descriptor (an eventfd), or -1.
int CreateWakeFd();

void SignalWake(int wakeFd);

}  // namespace platform
