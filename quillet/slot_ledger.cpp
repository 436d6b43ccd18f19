#include "quillet/slot_ledger.h"

void SlotLedger::Set(const SlotPlace& place, State state, std::u16string fingerprint) {
    m_slots[place] = Entry{state, std::move(fingerprint), 0};
}

void SlotLedger::Refused(const SlotPlace& place) {
    Entry& entry = m_slots[place];
    if (entry.state != State::kRefused) {
        entry = Entry{State::kRefused, {}, 0};
    }
    ++entry.refusals;
}

std::optional<SlotLedger::State> SlotLedger::StateOf(const SlotPlace& place) const {
    const auto found = m_slots.find(place);
    return found == m_slots.end() ? std::nullopt : std::optional<State>(found->second.state);
}

const std::u16string* SlotLedger::Undeleted(const SlotPlace& place) const {
    const auto found = m_slots.find(place);
    return found != m_slots.end() && found->second.state == State::kUndeleted
               ? &found->second.fingerprint
               : nullptr;
}

bool SlotLedger::PassesBy(const SlotPlace& place) const {
    const auto found = m_slots.find(place);
    if (found == m_slots.end()) {
        return false;
    }
    switch (found->second.state) {
        case State::kEmpty:
        case State::kOther:
        case State::kHeld:
            return true;
        case State::kUndeleted:
            return false;  // read again, so its delete is tried again
        case State::kRefused:
            return found->second.refusals >= kRetries;
    }
    return false;
}

std::int32_t SlotLedger::Known(const std::u16string& storage) const {
    std::int32_t known = 0;
    for (const auto& [place, entry] : m_slots) {
        known += place.storage == storage &&
                         (entry.state == State::kOther || entry.state == State::kHeld)
                     ? 1
                     : 0;
    }
    return known;
}

bool SlotLedger::HasRefused(const std::u16string& storage) const {
    for (const auto& [place, entry] : m_slots) {
        if (place.storage == storage && entry.state == State::kRefused &&
            entry.refusals < kRetries) {
            return true;
        }
    }
    return false;
}

template <typename Keep>
void SlotLedger::EraseUnless(Keep&& keep) {
    for (auto it = m_slots.begin(); it != m_slots.end();) {
        it = keep(it->first, it->second.state) ? std::next(it) : m_slots.erase(it);
    }
}

void SlotLedger::ForgetNews(const std::u16string& storage) {
    EraseUnless([&](const SlotPlace& place, State state) {
        return place.storage != storage || state == State::kHeld || state == State::kUndeleted;
    });
}

void SlotLedger::KeepHeldAndUndeleted() {
    EraseUnless([](const SlotPlace&, State state) {
        return state == State::kHeld || state == State::kUndeleted;
    });
}
