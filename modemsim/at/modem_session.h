#pragma once
// The modem's side of the dialogue: bytes from the terminal in, what to send back out. Pure logic
// over the state, with no I/O and no clock; the simulator feeds it under the model's lock and
// writes what it returns. Echo goes out as the bytes come, each read's worth in one write (Ctrl-Z
// and ESC, which end a message text, are not echoed); a line longer than LineAssembler::kMaxLine is
// dropped with ERROR. While the silent fault is on the modem hears nothing: input is dropped
// unprocessed.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "modemsim/at/modem_state.h"
#include "modemsim/at/reply.h"

namespace modemsim {

// Turns the bytes from the terminal, however they are chunked, into command lines and message
// texts. In command mode a CR ends the line; an LF right after it is dropped (terminals send CR
// LF), so it neither shows up in the echo nor starts the next line or, after AT+CMGS, the
// message text. After AT+CMGS the owner switches to prompt mode: there CR and LF belong to the
// text, Ctrl-Z ends it and ESC cancels it.
// Backspace takes back the last character in both modes. Lines and texts are bounded: the bytes
// past the bound are dropped and the line or text is reported as overflowed once it ends.

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
    // The byte is the LF of a CR LF line end, which is no part of what the terminal types.
    bool DropsNext(char byte) const { return m_afterCr && byte == '\n'; }

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

enum class OutputKind {
    kEcho,
    kAnswer,
    kNetworkAnswer,   // the result of a message sent: comes after the network's delay
    kPrompt,          // AT+CMGS's "> ": as late as the module family gives it
    kLateCallReport,  // what the family says a moment after the OK of a hang-up
};

struct Output {
    OutputKind kind;
    std::string bytes;
};

// A line or message text half-typed when the modem loses power (PowerOn in modem_state.h) is
// gone: the next byte starts a fresh line. While a dial is being placed (a family that answers it
// only on connect), any byte the terminal types aborts it, as V.250 has it: the dial's answer is
// NO CARRIER and the byte is dropped, so "ATH" there is "TH", no command and no OK.
class ModemSession {
public:
    std::vector<Output> Feed(ModemState& state, std::string_view bytes);

private:
    void Complete(ModemState& state, const AssemblerStep& step, std::vector<Output>& out);
    void AnswerLine(ModemState& state, const std::string& line, std::vector<Output>& out);

    LineAssembler m_assembler;
    std::uint64_t m_powerOns = 0;  // the state's count when the assembler last took a byte
};

}  // namespace modemsim
