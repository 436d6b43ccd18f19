// The messages the network delivers: one at a time, a long text's parts, and bursts.

#include <algorithm>
#include <chrono>
#include <utility>

#include "modemsim/at/arrival.h"
#include "modemsim/at/at_syntax.h"
#include "modemsim/at/message_parts.h"
#include "modemsim/at/reply.h"
#include "modemsim/at/sms_text.h"
#include "modemsim/simulator.h"

namespace modemsim {
namespace {

VerbResult Done(std::string message) {
    return {true, std::move(message)};
}
VerbResult Refused(std::string message) {
    return {false, std::move(message)};
}

bool UsesUcs2(const SmsDelivery& delivery) {
    return delivery.coding == SmsCoding::kUcs2 ||
           (delivery.coding == SmsCoding::kAuto && !GsmSeptets(delivery.text));
}

std::optional<std::string> CheckDelivery(const SmsDelivery& delivery, const PartDelivery& how) {
    if (!IsSenderName(delivery.sender)) {
        return "the sender must be 1 to 32 printable characters without '\"'";
    }
    if (delivery.coding == SmsCoding::kGsm && !GsmSeptets(delivery.text)) {
        return "the text does not fit the GSM alphabet";
    }
    if (how.gapMs < 0 || how.gapMs > kMaxDelayMs) {
        return "the gap must be 0.." + std::to_string(kMaxDelayMs) + " ms";
    }
    return std::nullopt;
}

std::string PartName(const MessagePart& part) {
    return "part " + std::to_string(part.sequence) + "/" + std::to_string(part.total) + " ref " +
           std::to_string(part.reference);
}

// The parts in the order they arrive, the lost one left out.
std::vector<StoredSms> ArrivingParts(const StoredSms& common, const std::vector<std::string>& texts,
                                     int reference, const PartDelivery& how) {
    std::vector<StoredSms> parts;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const int sequence = static_cast<int>(i) + 1;
        if (how.missingPart == sequence) {
            continue;
        }
        StoredSms part = common;
        part.text = texts[i];
        part.part = MessagePart{static_cast<std::uint16_t>(reference), false,
                                static_cast<std::uint8_t>(texts.size()),
                                static_cast<std::uint8_t>(sequence)};
        parts.push_back(std::move(part));
    }
    if (how.reversed) {
        std::reverse(parts.begin(), parts.end());
    }
    return parts;
}

}  // namespace

VerbResult Simulator::DeliverSms(const SmsDelivery& delivery) {
    return Deliver(delivery, PartDelivery{});
}

VerbResult Simulator::DeliverParts(const SmsDelivery& delivery, const PartDelivery& how) {
    if (SplitIntoParts(delivery.text, UsesUcs2(delivery)).size() == 1) {
        return Refused("the text fits one message: it has no parts");
    }
    return Deliver(delivery, how);
}

VerbResult Simulator::Deliver(const SmsDelivery& delivery, const PartDelivery& how) {
    if (const std::optional<std::string> problem = CheckDelivery(delivery, how)) {
        return Refused(*problem);
    }
    const std::vector<std::string> texts = SplitIntoParts(delivery.text, UsesUcs2(delivery));
    if (texts.empty()) {
        return Refused("the text would take more than " + std::to_string(kMaxParts) + " parts");
    }
    if (texts.size() > 1 && delivery.slot) {
        return Refused("a long text goes into the first free slots");
    }
    if (how.missingPart &&
        (*how.missingPart < 1 || *how.missingPart > static_cast<int>(texts.size()))) {
        return Refused("the text has parts 1.." + std::to_string(texts.size()));
    }
    StoredSms common;
    common.sender = delivery.sender;
    common.ucs2 = UsesUcs2(delivery);
    common.timestamp = delivery.timestamp.value_or(SmsTimestamp(std::chrono::system_clock::now()));
    return m_model.With([&](ModemState& state) {
        SmsStorage& storage = ReceivingStorage(state);
        if (delivery.slot && (Routes(state) || !storage.IsValidIndex(*delivery.slot))) {
            return Refused(Routes(state) ? "messages go to the terminal as +CMT: there is no slot"
                                         : "slot " + std::to_string(*delivery.slot) +
                                               " is not in " + storage.Range());
        }
        if (texts.size() > 1) {
            return DeliverLong(state, common, texts, how);
        }
        StoredSms sms = common;
        sms.text = delivery.text;
        if (Routes(state)) {
            Route(state, std::move(sms));
            return Done("written to the terminal as +CMT");
        }
        const std::optional<int> slot = delivery.slot ? delivery.slot : storage.FirstFree();
        if (!slot) {
            return Refused("the storage is full");
        }
        if (!storage.IsFree(*slot)) {
            return Refused("slot " + std::to_string(*slot) + " holds a message");
        }
        Store(state, *slot, std::move(sms));
        return Done("stored in slot " + std::to_string(*slot));
    });
}

VerbResult Simulator::DeliverLong(ModemState& state, const StoredSms& common,
                                  const std::vector<std::string>& texts, const PartDelivery& how) {
    std::vector<StoredSms> parts = ArrivingParts(common, texts, state.nextPartReference, how);
    const std::size_t atOnce = how.gapMs == 0 ? parts.size() : 1;
    const SmsStorage& storage = ReceivingStorage(state);
    const auto room = static_cast<std::size_t>(storage.Size() - storage.Used());
    if (!Routes(state) && room < atOnce) {
        return Refused("the storage has room for " + std::to_string(room) + " of the " +
                       std::to_string(atOnce) + " parts that arrive now");
    }
    const int reference =
        std::exchange(state.nextPartReference, (state.nextPartReference + 1) % 256);
    std::string slots;
    for (std::size_t i = 0; i < atOnce; ++i) {
        if (Routes(state)) {
            Route(state, std::move(parts[i]));
            continue;
        }
        const int slot = ReceivingStorage(state).FirstFree().value_or(0);
        slots += (slots.empty() ? "slot " : ", ") + std::to_string(slot);
        Store(state, slot, std::move(parts[i]));
    }
    const auto start = TimerQueue::Clock::now();
    for (std::size_t i = atOnce; i < parts.size(); ++i) {
        const auto when = start + std::chrono::milliseconds(how.gapMs) * static_cast<int>(i);
        m_timers.At(when, [this, sms = std::move(parts[i])] { Arrive(sms, PartName(*sms.part)); });
    }
    return Done(std::to_string(texts.size()) + " parts, ref " + std::to_string(reference) + ": " +
                (slots.empty() ? "written to the terminal as +CMT" : slots) +
                (atOnce < parts.size() ? ", the rest " + std::to_string(how.gapMs) + " ms apart"
                                       : std::string()));
}

VerbResult Simulator::DeliverBurst(int count, int gapMs, const std::string& sender) {
    if (!IsSenderName(sender)) {
        return Refused("the sender must be 1 to 32 printable characters without '\"'");
    }
    if (count < 1 || count > kMaxBurst || gapMs < 0 || gapMs > kMaxDelayMs) {
        return Refused("bursts are 1.." + std::to_string(kMaxBurst) + " messages, 0.." +
                       std::to_string(kMaxDelayMs) + " ms apart");
    }
    const auto start = TimerQueue::Clock::now();
    for (int i = 0; i < count; ++i) {
        m_timers.At(start + std::chrono::milliseconds(gapMs) * i, [this, sender, i, count] {
            StoredSms sms;
            sms.sender = sender;
            sms.text = "message " + std::to_string(i + 1) + " of " + std::to_string(count);
            sms.timestamp = SmsTimestamp(std::chrono::system_clock::now());
            const std::string what = sms.text;
            Arrive(std::move(sms), what);
        });
    }
    return Done(std::to_string(count) + " messages from " + sender + ", " + std::to_string(gapMs) +
                " ms apart");
}

bool Simulator::Routes(const ModemState& state) const {
    return RoutesToTerminal(state.settings) && m_plug.PluggedIn();
}

void Simulator::Route(ModemState& state, StoredSms sms, bool again) {
    const Routed routed = RouteArrival(state, std::move(sms), again);
    SendUnsolicited(state, routed.report);
    if (const std::optional<std::uint64_t> id = routed.awaitsAck) {
        m_timers.At(TimerQueue::Clock::now() + std::chrono::milliseconds(m_options.redeliveryMs),
                    [this, id = *id] { Redeliver(id); });
    }
}

void Simulator::Store(ModemState& state, int slot, StoredSms sms) {
    SendUnsolicited(state, StoreArrival(state, slot, std::move(sms)));
}

void Simulator::Receive(ModemState& state, StoredSms sms, const std::string& what, bool again) {
    if (Routes(state)) {
        Route(state, std::move(sms), again);
    } else if (const std::optional<int> slot = ReceivingStorage(state).FirstFree()) {
        Store(state, *slot, std::move(sms));
    } else {
        m_trace.Record('!', what + " lost: the storage is full");
    }
}

void Simulator::Arrive(StoredSms sms, const std::string& what) {
    m_model.With([&](ModemState& state) { Receive(state, std::move(sms), what); });
}

// The module let the network's wait for its acknowledgement run out: the network tries once more.
void Simulator::Redeliver(std::uint64_t id) {
    m_model.With([&](ModemState& state) {
        if (std::optional<StoredSms> sms = TakeUnacknowledged(state, id)) {
            const std::string what = "the message from " + sms->sender;
            m_trace.Record('!', what + " comes again: no AT+CNMA");
            Receive(state, std::move(*sms), what, true);
        }
    });
}

}  // namespace modemsim
