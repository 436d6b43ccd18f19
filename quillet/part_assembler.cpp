#include "quillet/part_assembler.h"

#include <algorithm>

#include "quillet/texts.h"

void PartAssembler::Add(Slot slot, const std::u16string& sender, const MessagePart& part,
                        std::u16string text, Clock::time_point now) {
    auto same = std::find_if(m_pending.begin(), m_pending.end(), [&](const Pending& pending) {
        return pending.sender == sender && pending.reference == part.reference &&
               pending.wideReference == part.wideReference && pending.total == part.total;
    });
    if (same == m_pending.end()) {
        Pending pending;
        pending.sender = sender;
        pending.reference = part.reference;
        pending.wideReference = part.wideReference;
        pending.total = part.total;
        pending.first = now;
        same = m_pending.insert(m_pending.end(), std::move(pending));
    }
    same->texts.emplace(part.sequence, std::move(text));
    same->occupied.push_back(std::move(slot));
}

bool PartAssembler::Holds(const SlotPlace& place) const {
    return std::any_of(m_pending.begin(), m_pending.end(), [&](const Pending& pending) {
        return std::any_of(pending.occupied.begin(), pending.occupied.end(),
                           [&](const Slot& held) { return held.place == place; });
    });
}

bool PartAssembler::IsReady(const Pending& pending, Clock::time_point now) const {
    return pending.texts.size() == pending.total || now - pending.first >= m_wait;
}

SlotPlace PartAssembler::LowestSlot(const Pending& pending) {
    SlotPlace lowest = pending.occupied.front().place;
    for (const Slot& slot : pending.occupied) {
        lowest = std::min(lowest, slot.place);
    }
    return lowest;
}

std::u16string PartAssembler::Joined(const Pending& pending) {
    std::u16string text;
    for (unsigned sequence = 1; sequence <= pending.total; ++sequence) {
        const auto part = pending.texts.find(static_cast<std::uint8_t>(sequence));
        text += part != pending.texts.end() ? part->second : std::u16string(kMissingPartMark);
    }
    return text;
}

std::optional<PartAssembler::Whole> PartAssembler::TakeReady(Clock::time_point now) {
    auto ready = m_pending.end();
    for (auto it = m_pending.begin(); it != m_pending.end(); ++it) {
        if (IsReady(*it, now) &&
            (ready == m_pending.end() || LowestSlot(*it) < LowestSlot(*ready))) {
            ready = it;
        }
    }
    if (ready == m_pending.end()) {
        return std::nullopt;
    }
    Whole whole{ready->sender, Joined(*ready), std::move(ready->occupied)};
    m_pending.erase(ready);
    return whole;
}
