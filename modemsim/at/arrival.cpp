#include "modemsim/at/arrival.h"

#include <algorithm>
#include <utility>

#include "modemsim/at/message_view.h"
#include "modemsim/at/reply.h"

namespace modemsim {

bool RoutesToTerminal(const Settings& settings) {
    return settings.newMessageIndication[0] != 0 && settings.newMessageIndication[1] == 2;
}

Routed RouteArrival(ModemState& state, StoredSms sms, bool again) {
    Routed routed{RoutedReport(state, sms), std::nullopt};
    if (state.settings.messageService == 1) {
        const std::uint64_t id = state.nextDeliveryId++;
        state.unacknowledged.push_back({id, std::move(sms), again});
        routed.awaitsAck = id;
    }
    return routed;
}

std::string StoreArrival(ModemState& state, int slot, StoredSms sms) {
    ReceivingStorage(state).Put(slot, std::move(sms));
    return NewMessageReport(state.settings, slot);
}

std::optional<StoredSms> TakeUnacknowledged(ModemState& state, std::uint64_t id) {
    auto& waiting = state.unacknowledged;
    const auto found = std::find_if(waiting.begin(), waiting.end(),
                                    [id](const Unacknowledged& entry) { return entry.id == id; });
    if (found == waiting.end()) {
        return std::nullopt;
    }
    Unacknowledged entry = std::move(*found);
    waiting.erase(found);
    return entry.again ? std::nullopt : std::optional<StoredSms>(std::move(entry.sms));
}

}  // namespace modemsim
