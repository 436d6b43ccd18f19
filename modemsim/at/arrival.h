#pragma once
// What a message that the network hands over does to the modem. With AT+CNMI <mt> 2 (and a
// <mode> other than 0, which would keep the report in the module) it goes to the terminal as +CMT
// (message_view.h) and is not stored; otherwise it is stored in <mem3> and announced as +CMTI
// when <mt> is 1. Under AT+CSMS=1 each +CMT waits for AT+CNMA; the network hands one that is not
// acknowledged in time over once more, later, and then gives up on it. Pure logic: the simulator
// keeps the time and runs these under the model's lock.

#include <cstdint>
#include <optional>
#include <string>

#include "modemsim/at/modem_state.h"

namespace modemsim {

bool RoutesToTerminal(const Settings& settings);

struct Routed {
    std::string report;                      // the framed +CMT
    std::optional<std::uint64_t> awaitsAck;  // for TakeUnacknowledged once the wait is over
};

// again: this is the network's second try.
Routed RouteArrival(ModemState& state, StoredSms sms, bool again);

// Into slot (free, of <mem3>); what to write: "\r\n+CMTI: "SM",3\r\n", or nothing.
std::string StoreArrival(ModemState& state, int slot, StoredSms sms);

// The wait for AT+CNMA is over: the message to hand over again, when it is still unacknowledged
// after the first try; nothing when acknowledged, or after the second try (then forgotten).
std::optional<StoredSms> TakeUnacknowledged(ModemState& state, std::uint64_t id);

}  // namespace modemsim
