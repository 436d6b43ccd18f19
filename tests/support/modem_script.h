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

// What the modem received, as a scripted modem takes it: a line ends with CR (an LF after it is
// dropped), a message text with Ctrl-Z, and one cancelled with ESC keeps its ESC ("\x1B" alone
// when the text entry was cancelled before any text).
struct ReceivedLine {
    std::string line;  // without its end
    bool text;         // ended by Ctrl-Z
    // As modems echo: a command with its CR, a text as it was.
    std::string Echo() const { return text ? line : line + "\r"; }
};

// The whole lines at the front of `pending`, taken out of it; a line cut short stays.
inline std::vector<ReceivedLine> TakeReceivedLines(std::string& pending) {
    std::vector<ReceivedLine> lines;
    for (std::size_t end; (end = pending.find_first_of("\r\x1A\x1B")) != std::string::npos;) {
        const std::size_t start = pending[0] == '\n' ? 1 : 0;
        const bool escaped = pending[end] == '\x1B';
        lines.push_back({pending.substr(start, end - start + (escaped ? 1 : 0)),
                         pending[end] != '\r'});
        pending.erase(0, end + 1);
    }
    return lines;
}
