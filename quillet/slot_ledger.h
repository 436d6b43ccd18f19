#pragma once
// What the inbox (inbox.h) knows of each slot it has read, so a poll reads only what may have
// changed: slots found empty, slots that hold what is not ours (stored or sent by the user),
// parts held for their message, messages shown whose delete failed (recognised by what they are,
// their fingerprint, and deleted again), and reads refused for a passing reason.

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "quillet/message_store.h"

class SlotLedger {
public:
    enum class State { kEmpty, kOther, kHeld, kUndeleted, kRefused };

    // Refusals in a row after which a slot waits for news like an empty one: a module that answers
    // every empty slot with a plain ERROR must not cost a read per slot and poll for ever.
    static constexpr std::int32_t kRetries = 10;

    void Set(const SlotPlace& place, State state, std::u16string fingerprint = {});
    void Refused(const SlotPlace& place);
    void Forget(const SlotPlace& place) { m_slots.erase(place); }
    std::optional<State> StateOf(const SlotPlace& place) const;
    // The fingerprint of a message shown there whose delete failed.
    const std::u16string* Undeleted(const SlotPlace& place) const;

    // A scan passes this slot by: its content is known and cannot have changed unnoticed.
    bool PassesBy(const SlotPlace& place) const;
    // Slots of the storage that the used count includes and no read needs to find again (an
    // undeleted message is found again: its delete is tried again).
    std::int32_t Known(const std::u16string& storage) const;
    bool HasRefused(const std::u16string& storage) const;
    // Something has arrived in the storage: empty slots and the user's own may hold it now.
    void ForgetNews(const std::u16string& storage);
    // The modem has been away: only held parts and undeleted messages are still sure.
    void KeepHeldAndUndeleted();

private:
    struct Entry {
        State state = State::kEmpty;
        std::u16string fingerprint;
        std::int32_t refusals = 0;
    };
    template <typename Keep>
    void EraseUnless(Keep&& keep);

    std::map<SlotPlace, Entry> m_slots;
};
