#include "quillet/inbox.h"

#include <algorithm>

#include "quillet/slot_read.h"

namespace {

constexpr std::size_t kRecentRouted = 16;

}  // namespace

// The same module, most likely: its index range and announcements are kept (the start-up has
// asked for announcements again), and so is the storage the inbox reads, which each poll leaves
// selected.
void Inbox::Reconnected() {
    m_ledger.KeepHeldAndUndeleted();
    m_resumeAt.clear();
    m_expectedUsed.clear();
    m_settledAt.clear();
    m_pollsSettled.clear();
    m_scanWanted = true;
}

void Inbox::Poll(const Show& show, Clock::time_point now) {
    PollSteps(show, now);
    ComeHome();
}

// Once, after a first read that the modem answered: two commands that save a scan at most polls.
// The storages' names come with the first scan's AT+CPMS?.
// False when the modem fell silent: asked again at the next poll.
bool Inbox::Learn() {
    m_range = m_store.Indices();
    if (m_store.FellSilent()) {
        return false;
    }
    m_announces = m_store.AnnouncesArrivals();
    if (m_store.FellSilent()) {
        return false;
    }
    m_learnt = true;
    m_scanWanted = true;
    return true;
}

void Inbox::PollSteps(const Show& show, Clock::time_point now) {
    m_firstRead = false;
    if (ShowNext(show, now) || ReadAnnounced(show, now)) {
        return;
    }
    if (!Reach(m_home)) {
        return;
    }
    switch (m_firstRead ? Found::kNothing : Look(FirstPlace(), show, now)) {
        case Found::kShown:
            // One of a burst, maybe: on a module that does not announce, the rest is unknown.
            m_scanWanted = m_scanWanted || !m_announces;
            return;
        case Found::kComeBack:
            return;  // a modem fallen silent: nothing more this poll
        case Found::kHeld:
            if (ShowNext(show, now)) {
                return;
            }
            break;
        case Found::kRefused:
            return;  // the storage refuses reads for now (SIM busy or locked): the next poll
        case Found::kNothing:
        case Found::kOther:
            break;
    }
    if (!m_learnt && !Learn()) {
        return;
    }
    if (ScanDue()) {
        Scan(show, now);
    }
}

bool Inbox::ScanDue() {
    const bool due = !m_announces || m_scanWanted || ++m_pollsSinceScan >= kSafetyNetPolls;
    if (due) {
        m_scanWanted = false;
        m_pollsSinceScan = 0;
    }
    return due;
}

void Inbox::Announced(const std::u16string& report) {
    const std::optional<SlotPlace> place = ParseStoredReport(report);
    if (!place || m_announced.size() >= kMaxWaiting) {
        m_scanWanted = true;  // the scan finds it wherever it is
        return;
    }
    if (std::find(m_announced.begin(), m_announced.end(), *place) == m_announced.end()) {
        m_announced.push_back(*place);
    }
}

void Inbox::Routed(const std::u16string& report, Clock::time_point now) {
    m_store.AcknowledgeRouted();
    const std::optional<RoutedMessage> message = ParseRoutedReport(report);
    if (!message) {
        return;  // no sender field: nothing that could be shown as a message
    }
    if (std::find(m_recentRouted.begin(), m_recentRouted.end(), message->fingerprint) !=
        m_recentRouted.end()) {
        return;  // delivered again by a network that missed the acknowledgement
    }
    m_recentRouted.push_back(message->fingerprint);
    if (m_recentRouted.size() > kRecentRouted) {
        m_recentRouted.pop_front();
    }
    PartAssembler::Slot none{{u"", PartAssembler::kNoSlot}, message->fingerprint};
    if (message->text.part) {
        m_parts.Add(std::move(none), message->sender, *message->text.part, message->text.text,
                    now);
    } else {
        m_routed.push_back({message->sender, message->text.text, {std::move(none)}});
    }
}

bool Inbox::ShowNext(const Show& show, Clock::time_point now) {
    if (std::optional<PartAssembler::Whole> whole = m_parts.TakeReady(now)) {
        ShowAndDelete(show, *whole);
        return true;
    }
    if (m_routed.empty()) {
        return false;
    }
    ShowAndDelete(show, m_routed.front());
    m_routed.pop_front();
    return true;
}

// True when the poll is over: a message shown, or a read that fell silent.
bool Inbox::ReadAnnounced(const Show& show, Clock::time_point now) {
    for (std::int32_t reads = 0; !m_announced.empty() && reads < kReadsPerPoll; ++reads) {
        SlotPlace place = m_announced.front();
        m_announced.pop_front();
        if (place.storage.empty()) {
            place.storage = m_home;
        }
        m_sawZero = m_sawZero || place.index == 0;
        if (m_ledger.StateOf(place) != SlotLedger::State::kUndeleted &&
            m_ledger.StateOf(place) != SlotLedger::State::kHeld) {
            m_ledger.Forget(place);
            const auto expected = m_expectedUsed.find(place.storage);
            if (expected != m_expectedUsed.end()) {
                ++expected->second;  // the count it raised is no news to a scan
            }
        }
        if (!Reach(place.storage)) {
            m_scanWanted = true;  // a storage the modem does not let us read: look everywhere
            continue;
        }
        m_firstRead = m_firstRead || place == FirstPlace();
        switch (Look(place, show, now)) {
            case Found::kShown:
                return true;
            case Found::kComeBack:
                m_announced.push_front(place);
                return true;
            case Found::kHeld:
                if (ShowNext(show, now)) {
                    return true;
                }
                break;
            case Found::kRefused:
                m_scanWanted = true;
                break;
            case Found::kNothing:
            case Found::kOther:
                break;
        }
    }
    return false;
}

Inbox::Found Inbox::Look(const SlotPlace& place, const Show& show, Clock::time_point now) {
    if (m_ledger.StateOf(place) == SlotLedger::State::kHeld) {
        return Found::kHeld;
    }
    SlotRead read;
    m_store.Read(place.index, read);
    if (const std::u16string* undeleted = m_ledger.Undeleted(place)) {
        if (read.answer == SlotAnswer::kMessage && read.fingerprint == *undeleted) {
            if (m_store.Delete(place.index)) {
                m_ledger.Set(place, SlotLedger::State::kEmpty);
            } else {
                WantScan(place.storage);
            }
            return Found::kNothing;  // shown already, whatever its status says now
        }
        if (read.answer == SlotAnswer::kError || read.answer == SlotAnswer::kUndecided) {
            return read.answer == SlotAnswer::kError ? Found::kRefused : Found::kComeBack;
        }
    }
    return Take(place, read, show, now);
}

Inbox::Found Inbox::Take(const SlotPlace& place, const SlotRead& read, const Show& show,
                         Clock::time_point now) {
    switch (read.answer) {
        case SlotAnswer::kMessage:
            break;
        case SlotAnswer::kEmpty:
        case SlotAnswer::kNoSuchSlot:
            m_ledger.Set(place, SlotLedger::State::kEmpty);
            return Found::kNothing;
        case SlotAnswer::kError:
            m_ledger.Refused(place);
            return Found::kRefused;
        case SlotAnswer::kUndecided:
            // A modem that fell silent may hold the oldest message there: keep the order.
            return Found::kComeBack;
    }
    m_sawZero = m_sawZero || place.index == 0;  // a module counting from 1 has no message there
    if (!read.IsReceived()) {
        m_ledger.Set(place, SlotLedger::State::kOther);
        return Found::kOther;  // stored or sent by the user: not ours to show or delete
    }
    PartAssembler::Slot held{place, read.fingerprint};
    if (read.text.part) {
        m_parts.Add(std::move(held), read.sender, *read.text.part, read.text.text, now);
        m_ledger.Set(place, SlotLedger::State::kHeld);
        return Found::kHeld;
    }
    ShowAndDelete(show, {read.sender, read.text.text, {std::move(held)}});
    return Found::kShown;
}

// Shown before it is deleted: a message is never lost to a delete that went through while the
// window could not show it.
void Inbox::ShowAndDelete(const Show& show, const PartAssembler::Whole& whole) {
    show(whole.sender, whole.text);
    for (const PartAssembler::Slot& slot : whole.occupied) {
        if (slot.place.index == PartAssembler::kNoSlot) {
            continue;
        }
        if (!Reach(slot.place.storage) || !m_store.Delete(slot.place.index)) {
            m_ledger.Set(slot.place, SlotLedger::State::kUndeleted, slot.fingerprint);
            WantScan(slot.place.storage);  // the scan reads it again and deletes it again
            continue;
        }
        m_ledger.Set(slot.place, SlotLedger::State::kEmpty);
        // Its announcement, if it came after a poll had already found it, is answered too.
        m_announced.erase(std::remove(m_announced.begin(), m_announced.end(), slot.place),
                          m_announced.end());
        const auto expected = m_expectedUsed.find(slot.place.storage);
        if (expected != m_expectedUsed.end() && expected->second > 0) {
            --expected->second;
        }
    }
}

void Inbox::WantScan(const std::u16string& storage) {
    m_scanWanted = true;
    m_settledAt.erase(storage);
}

bool Inbox::Reach(const std::u16string& storage) {
    if (storage.empty() || storage == m_current) {
        return true;
    }
    if (!m_store.SelectForReading(storage)) {
        return false;
    }
    m_current = storage;
    if (m_home.empty()) {
        m_home = storage;  // a modem that never named its storage: stay where it sent us
    }
    return true;
}

void Inbox::ComeHome() {
    if (m_current != m_home && m_store.SelectForReading(m_home)) {
        m_current = m_home;
    }
}
