#pragma once
// Where the modem's echo of a message text ends in the answer that follows the text, so that the
// text itself, echoed back, is never taken for the modem's own result lines.
//
// The echo is the sent bytes (GSM codes or UCS2 hex, all below 0x80) as they come back. A modem
// may echo a line break as CR LF and put its "> " prompt at each line start inside the echo (one
// more line of text may follow), and one with echo off (ATE0) sends none.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class EchoState {
    kPartial,   // all of the answer may still be the echo: more is to come
    kComplete,  // the echo is whole; the modem's own lines begin at `end`
    kDiverged,  // the answer is no echo from some point on: the modem's lines begin with that line
};

struct EchoMatch {
    EchoState state = EchoState::kPartial;
    std::size_t end = 0;  // a line start, except for kPartial
};

EchoMatch MatchEcho(const std::u16string& answer, const std::vector<std::uint8_t>& sent);
