#pragma once
// One open tty. Exclusive: TIOCEXCL keeps other unprivileged openers out, and an flock() on the
// open file catches everyone else, root and this very process included (TIOCEXCL does not stop
// root). Reads follow the device's time-outs with poll(); Interrupt() wakes a blocked read or
// write for good, so a close never waits for a read to run out.
//
// Thread contract: one thread may read while another writes, configures or interrupts; the
// descriptor itself is closed only by the destructor, after the last user let go.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/core/serial_settings.h"

namespace platform {

class PosixSerialDevice {
public:
    // Nothing when the path does not exist, is no tty-like file we can open, or is held; error
    // then holds the errno of the step that failed, EBUSY when someone else holds the lock.
    static std::shared_ptr<PosixSerialDevice> Open(const std::string& path, int& error);
    ~PosixSerialDevice();
    PosixSerialDevice(const PosixSerialDevice&) = delete;
    PosixSerialDevice& operator=(const PosixSerialDevice&) = delete;

    bool GetLineSettings(LineSettings& settings) const;
    bool SetLineSettings(const LineSettings& settings);
    Timeouts GetTimeouts() const;
    void SetTimeouts(const Timeouts& timeouts);
    bool Purge();
    bool Read(std::uint8_t* buffer, std::uint32_t size, std::uint32_t& received);
    bool Write(const std::uint8_t* bytes, std::uint32_t size, std::uint32_t& written);
    void Interrupt();
    // Lets other openers in (TIOCNXCL) while the descriptor stays open, for a process that ends
    // without this object's destructor. Exclusive use is not taken back.
    void ReleaseExclusive();
    // True once the device has said it is gone: a hang-up or error without data, the end of its
    // input, or EIO/ENXIO/ENODEV on a read or write (a USB adapter pulled out, a module that
    // reset, the pty's other side closed). It never comes back: a returning device is a new open.
    bool IsGone() const { return m_gone.load(); }

private:
    void NoteFailure(int error);
    PosixSerialDevice(int fd, int wakeFd) : m_fd(fd), m_wakeFd(wakeFd) {}
    const int m_fd;
    const int m_wakeFd;
    std::atomic<bool> m_interrupted{false};
    std::atomic<bool> m_gone{false};
    mutable std::mutex m_timeoutsLock;
    Timeouts m_timeouts;
};

}  // namespace platform
