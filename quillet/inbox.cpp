#include "quillet/inbox.h"

#include "modemlink/modem.h"
#include "quillet/slot_read.h"

namespace {

constexpr std::int32_t kFirstSlot = 1;

}  // namespace

void Inbox::Reconnected() {
    m_resumeAt = 0;
    m_settledAt.reset();
    m_pollsSettled = 0;
    m_seenEmpty.clear();
    m_expectedUsed.reset();
}

void Inbox::Poll(const Show& show, Clock::time_point now) {
    if (ShowReady(show, now)) {
        return;
    }
    std::int32_t otherHere = 0;
    bool firstEmpty = false;
    if (!m_parts.Holds(kFirstSlot)) {
        switch (Look(kFirstSlot, show, now)) {
            case Found::kShown:
            case Found::kComeBack:
                return;
            case Found::kOther:
                otherHere = 1;
                break;
            case Found::kNothing:
                firstEmpty = true;
                break;
            case Found::kHeld:
                break;
        }
        if (ShowReady(show, now)) {
            return;
        }
    }
    std::int32_t used = 0;
    std::int32_t total = 0;
    if (m_modem.StorageUsage(used, total) == 0) {
        return;
    }
    NoteUsage(used, firstEmpty);
    const std::int32_t known = static_cast<std::int32_t>(m_parts.SlotsHeld()) + otherHere;
    if (used <= known) {
        m_settledAt.reset();
        return;
    }
    // Storage that a whole scan has seen, unchanged since: nothing new to find there.
    if (m_settledAt == used && ++m_pollsSettled < kRescanPolls) {
        return;
    }
    m_settledAt.reset();
    if (ScanOthers(used - known, total, otherHere == 1, show, now)) {
        m_settledAt = used;
        m_pollsSettled = 0;
    }
}

// More used than our own deletes left: a message has arrived, maybe into a slot read empty (slot
// 1 too, since its read in this poll).
void Inbox::NoteUsage(std::int32_t used, bool firstEmpty) {
    if (!m_expectedUsed || used > *m_expectedUsed) {
        m_seenEmpty.clear();
    } else if (firstEmpty) {
        m_seenEmpty.insert(kFirstSlot);
    }
    m_expectedUsed = used;
}

bool Inbox::ScanOthers(std::int32_t unfound, std::int32_t total, bool firstIsOther,
                       const Show& show, Clock::time_point now) {
    std::int32_t slot = m_resumeAt > kFirstSlot ? m_resumeAt : kFirstSlot;
    m_resumeAt = 0;
    for (std::int32_t reads = 0; unfound > 0 && slot <= total; ++slot) {
        if (m_parts.Holds(slot) || m_seenEmpty.count(slot) != 0 ||
            (slot == kFirstSlot && firstIsOther)) {
            continue;
        }
        if (reads++ == kReadsPerPoll) {
            m_resumeAt = slot;
            return false;
        }
        switch (Look(slot, show, now)) {
            case Found::kShown:
            case Found::kComeBack:
                return false;
            case Found::kHeld:
                if (ShowReady(show, now)) {
                    return false;
                }
                --unfound;
                break;
            case Found::kOther:
                --unfound;
                break;
            case Found::kNothing:
                m_seenEmpty.insert(slot);
                break;
        }
    }
    return true;
}

Inbox::Found Inbox::Look(std::int32_t slot, const Show& show, Clock::time_point now) {
    SlotRead read;
    m_modem.ReadSlot(slot, read);
    const auto undeleted = m_undeleted.find(slot);
    if (undeleted != m_undeleted.end()) {
        if (read.answer == SlotAnswer::kMessage && read.fingerprint == undeleted->second) {
            if (m_modem.DeleteSms(slot) == 1) {
                m_undeleted.erase(undeleted);
            }
            return Found::kNothing;
        }
        if (read.answer != SlotAnswer::kUndecided && read.answer != SlotAnswer::kError) {
            m_undeleted.erase(undeleted);  // the slot holds something else now
        }
    }
    return Take(slot, read, show, now);
}

Inbox::Found Inbox::Take(std::int32_t slot, const SlotRead& read, const Show& show,
                         Clock::time_point now) {
    switch (read.answer) {
        case SlotAnswer::kMessage:
            break;
        case SlotAnswer::kEmpty:
        case SlotAnswer::kError:  // many modules answer an empty slot with +CMS ERROR: 321
            return Found::kNothing;
        case SlotAnswer::kUndecided:
            // A modem that fell silent may hold the oldest message there: keep the order.
            return Found::kComeBack;
    }
    if (!read.IsReceived()) {
        return Found::kOther;  // stored or sent by the user: not ours to show or delete
    }
    PartAssembler::Slot held{slot, read.fingerprint};
    if (read.text.part) {
        m_parts.Add(std::move(held), read.sender, *read.text.part, read.text.text, now);
        return Found::kHeld;
    }
    ShowAndDelete(show, {read.sender, read.text.text, {std::move(held)}});
    return Found::kShown;
}

bool Inbox::ShowReady(const Show& show, Clock::time_point now) {
    std::optional<PartAssembler::Whole> whole = m_parts.TakeReady(now);
    if (!whole) {
        return false;
    }
    ShowAndDelete(show, *whole);
    return true;
}

// Shown before it is deleted: a message is never lost to a delete that went through while the
// window could not show it.
void Inbox::ShowAndDelete(const Show& show, const PartAssembler::Whole& whole) {
    show(whole.sender, whole.text);
    for (const PartAssembler::Slot& slot : whole.occupied) {
        if (m_modem.DeleteSms(slot.number) != 1) {
            m_undeleted[slot.number] = slot.fingerprint;
            continue;
        }
        m_seenEmpty.insert(slot.number);
        if (m_expectedUsed) {
            --*m_expectedUsed;
        }
    }
}
