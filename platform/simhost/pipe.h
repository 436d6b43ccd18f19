#pragma once
// An anonymous pipe whose two ends this object owns, both blocking like inherited standard
// streams. It stands in for a reader who stops reading, to show that a writer copes.
//
// Thread contract: one thread reads while others write through WriteEnd().

#include <cstddef>
#include <memory>
#include <string>

namespace platform {

class Pipe {
public:
    // Nothing when the system has no descriptors left.
    static std::unique_ptr<Pipe> Create();
    ~Pipe();
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    int ReadEnd() const { return m_read; }
    int WriteEnd() const { return m_write; }
    // Waits up to timeoutMs (-1: without limit) for the first byte, then returns what is waiting,
    // `most` bytes at most. Empty on time-out, at end of input and on error.
    std::string Read(int timeoutMs, std::size_t most = 65536);
    // The reader then sees end of input once the pipe is empty. Not while a write is under way.
    void CloseWriteEnd();
    // Writers then find the reader gone. Not while a read is under way.
    void CloseReadEnd();

private:
    Pipe(int readEnd, int writeEnd) : m_read(readEnd), m_write(writeEnd) {}

    int m_read;
    int m_write;
};

}  // namespace platform
