#pragma once
// The end of AT+CMGS: the text that came after the "> " prompt is sent, or the sending is
// cancelled. Runs under the model's lock like the command handlers.
//
// The text is kept as the terminal typed it, a trailing CR LF included: a program that writes
// "hello\r\n\x1A" sends "hello\r\n" to the network, as with real modules that keep it.

#include <string>

#include "modemsim/modem_state.h"
#include "modemsim/reply.h"

namespace modemsim {

// Files the message in the outbox: "\r\n+CMGS: <mr>\r\n\r\nOK\r\n", or the injected
// "+CMS ERROR: <n>" (then nothing is filed).
Reply FinishSend(ModemState& state, const std::string& text);
// The text went past the bound: nothing is sent.
Reply RejectOversizedSend(ModemState& state);
// ESC: nothing is sent and the modem says OK, as most modules do.
Reply CancelSend(ModemState& state);

}  // namespace modemsim
