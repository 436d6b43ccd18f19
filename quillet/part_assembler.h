#pragma once
// The parts of long messages, held until each message is whole. Parts belong together when
// sender, reference (and its width) and part count agree. A message is ready once every part has
// come, or once its first part has waited the given time; it is then joined in part order, with
// a mark where a part is missing (kMissingPartMark, texts.h), and given up together with the
// slots its parts occupy.

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "modemlink/smscodec/user_data.h"
#include "platform/core/clock.h"
#include "quillet/message_store.h"

class PartAssembler {
public:
    using Clock = platform::Clock;  // the backend's: its Now() gives the times

    struct Slot {
        SlotPlace place;             // a routed part occupies none: index kNoSlot
        std::u16string fingerprint;  // what the part is: see slot_read.h
    };
    static constexpr std::int32_t kNoSlot = -1;
    struct Whole {
        std::u16string sender;
        std::u16string text;
        std::vector<Slot> occupied;
    };

    explicit PartAssembler(std::chrono::milliseconds wait) : m_wait(wait) {}
    void SetWait(std::chrono::milliseconds wait) { m_wait = wait; }

    // A part read from a slot, or routed. A part that came twice keeps its first text; both slots
    // go with the message.
    void Add(Slot slot, const std::u16string& sender, const MessagePart& part, std::u16string text,
             Clock::time_point now);
    bool Holds(const SlotPlace& place) const;
    bool Empty() const { return m_pending.empty(); }

    // The ready message whose lowest slot is lowest, taken out; nothing when none is ready.
    std::optional<Whole> TakeReady(Clock::time_point now);

private:
    struct Pending {
        std::u16string sender;
        std::uint16_t reference = 0;
        bool wideReference = false;
        std::uint8_t total = 0;
        std::map<std::uint8_t, std::u16string> texts;  // by part number
        std::vector<Slot> occupied;
        Clock::time_point first;
    };

    bool IsReady(const Pending& pending, Clock::time_point now) const;
    static SlotPlace LowestSlot(const Pending& pending);
    static std::u16string Joined(const Pending& pending);

    std::chrono::milliseconds m_wait;
    std::vector<Pending> m_pending;
};
