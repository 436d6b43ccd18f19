#pragma once
// A pseudo-terminal pair: the master side belongs to this object (a simulated modem or a test's
// scripted peer), the slave side is a real tty device that a serial port opens by path.
// The object keeps its own descriptor of the slave, in raw mode, so the pair stays usable while
// no port holds the device (between start-up attempts, say).
//
// Thread contract: one thread may Read while others Write, Interrupt or CloseMaster.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <shared_mutex>
#include <string>
#include <string_view>

namespace platform {

class PseudoTerminal {
public:
    // Nothing when the system has no pseudo-terminal left.
    static std::unique_ptr<PseudoTerminal> Create();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& SlavePath() const { return m_slavePath; }

    // Writes everything to the master side; false when the pair is broken or interrupted.
    bool Write(std::string_view bytes);
    // Waits up to timeoutMs (-1: without limit) for the first byte, then returns what is waiting.
    // Empty on time-out, on interrupt and on error.
    std::string Read(int timeoutMs);
    // Wakes a blocked Read and makes every later Read and Write return at once.
    void Interrupt();
    // Interrupts, then closes the master side for good, like a modem pulled off the line: the
    // slave side is hung up (its reads fail at once) and its device path goes away.
    void CloseMaster();

private:
    PseudoTerminal(int master, int slave, int wake, std::string slavePath);

    // Held shared by Read and Write for as long as they use the master descriptor, exclusively by
    // CloseMaster: a descriptor closed under a running call could be reused by any later open.
    std::shared_mutex m_masterLock;
    bool m_masterClosed = false;
    const int m_master;
    const int m_slave;
    const int m_wake;
    const std::string m_slavePath;
};

}  // namespace platform
