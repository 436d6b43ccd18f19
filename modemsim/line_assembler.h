#pragma once
// Turns the bytes from the terminal, however they are chunked, into command lines and message
// texts. In command mode a CR ends the line; an LF right after it is dropped (terminals send CR
// LF), so it neither shows up in the echo nor starts the next line or, after AT+CMGS, the
// message text. After AT+CMGS the owner switches to prompt mode: there CR and LF belong to the
// text, Ctrl-Z ends it and ESC cancels it.
// Backspace takes back the last character in both modes. Lines and texts are bounded: the bytes
// past the bound are dropped and the line or text is reported as overflowed once it ends.

#include <cstddef>
#include <string>

namespace modemsim {

inline constexpr char kCtrlZ = '\x1A';
inline constexpr char kEscape = '\x1B';

enum class Completion {
    kNone,
    kLine,          // text holds the command line without its CR
    kLineOverflow,  // a command line longer than the bound ended
    kText,          // text holds the message text without its Ctrl-Z
    kTextOverflow,  // a message text longer than the bound ended
    kTextCancelled,
};

struct AssemblerStep {
    bool echo = false;  // a modem with echo on sends this byte back
    Completion completion = Completion::kNone;
    std::string text;
};

class LineAssembler {
public:
    static constexpr std::size_t kMaxLine = 512;
    // A text-mode message in UCS2 hex, or a PDU in hex, with room for line ends.
    static constexpr std::size_t kMaxText = 1024;

    AssemblerStep Push(char byte);
    // Collects a message text from the next byte on.
    void EnterPrompt();
    bool InPrompt() const { return m_prompt; }

private:
    AssemblerStep PushCommand(char byte);
    AssemblerStep PushText(char byte);
    AssemblerStep Complete(Completion completion, Completion overflow);
    void Append(char byte, std::size_t bound);

    std::string m_buffer;
    bool m_overflow = false;
    bool m_prompt = false;
    bool m_afterCr = false;
};

}  // namespace modemsim
