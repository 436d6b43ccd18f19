#pragma once
// What a scripted test modem answers to each line it receives: chunks, each after its own pause.
// Served on a pseudo-terminal in real time (scripted_modem.h) or on the test backend's device and
// clock (scripted_device.h).

#include <functional>
#include <string>
#include <vector>

struct Chunk {
    int afterMs;  // after the line, or after the chunk before
    std::string bytes;
};
using Reply = std::vector<Chunk>;
// Gets each line without its end; an empty reply is silence.
using ModemScript = std::function<Reply(const std::string& line)>;

// One chunk, at once.
inline Reply Say(const std::string& bytes) {
    return bytes.empty() ? Reply{} : Reply{{0, bytes}};
}

// Every line gets the same answer ("" is silence).
inline ModemScript AnswerEverything(const std::string& answer) {
    return [answer](const std::string&) { return Say(answer); };
}
