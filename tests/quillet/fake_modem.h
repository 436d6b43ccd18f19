#pragma once
// A modem behind the test backend's fake device: each block the channel writes is answered by the
// test's table, through the device and the port's reader thread, with pauses where the table asks
// for them. Blocks are looked up without their line end: a command line without CR LF, a message
// text without CR LF Ctrl-Z. With echo on, the block comes back first, as a modem echoes it.

#include <map>
#include <string>
#include <thread>
#include <vector>

#include "fake_backend.h"

struct Chunk {
    int afterMs;  // after the previous chunk
    std::string bytes;
};

struct Dialogue {
    bool echo = true;
    std::map<std::string, std::vector<Chunk>> replies;
};

class FakeModem {
public:
    explicit FakeModem(platform::FakeBackend& backend) : m_backend(backend) {}
    ~FakeModem() { Stop(); }
    FakeModem(const FakeModem&) = delete;
    FakeModem& operator=(const FakeModem&) = delete;

    // Answers from now on. The write hook runs on the writing (test) thread.
    void Answer(Dialogue dialogue);
    // No more answers; waits until every pending chunk is delivered.
    void Stop();

private:
    std::vector<Chunk> Reply(const Dialogue& dialogue, const std::string& block) const;

    platform::FakeBackend& m_backend;
    std::vector<std::thread> m_players;
};
