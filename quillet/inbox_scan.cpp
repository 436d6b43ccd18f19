// The inbox's scan of the storages (inbox.h, step 4).

#include "quillet/inbox.h"

// A module that counts from 0 says so in its index range (AT+CMGD=?) or its announcements.
bool Inbox::CountsFromZero() const {
    return m_range ? m_range->first == 0 : m_sawZero;
}

SlotPlace Inbox::FirstPlace() const {
    return {m_home, CountsFromZero() ? 0 : 1};
}

// Until the module has said where it counts from, a scan looks at index 0 too: a module that
// counts from 1 answers it "invalid index" at once.
std::int32_t Inbox::FirstIndex() const {
    return m_range ? m_range->first : 0;
}

std::int32_t Inbox::LastIndex(const StorageUse& use) const {
    return CountsFromZero() ? use.total - 1 : use.total;
}

void Inbox::Scan(const Show& show, Clock::time_point now) {
    const std::optional<std::vector<StorageUse>> usage = m_store.Usage();
    if (!usage) {
        if (!m_store.FellSilent()) {
            BlindScan(show, now);
        }
        return;
    }
    if (m_home.empty() && m_current.empty()) {
        m_home = m_current = usage->front().name;
    }
    std::int32_t reads = 0;
    for (const StorageUse& use : *usage) {
        if (!ScanStorage(use, reads, show, now)) {
            m_scanWanted = true;
            return;
        }
        m_scanWanted = m_scanWanted || m_ledger.HasRefused(use.name);
    }
}

// More used than our own deletes left: a message has arrived, maybe into a slot read empty.
void Inbox::NoteUsage(const StorageUse& use) {
    const auto expected = m_expectedUsed.find(use.name);
    if (expected == m_expectedUsed.end() || use.used > expected->second) {
        m_ledger.ForgetNews(use.name);
    }
    m_expectedUsed[use.name] = use.used;
}

// True when the scan may go on with the next storage.
bool Inbox::ScanStorage(const StorageUse& use, std::int32_t& reads, const Show& show,
                        Clock::time_point now) {
    NoteUsage(use);
    std::int32_t unfound = use.used - m_ledger.Known(use.name);
    if (unfound <= 0) {
        m_settledAt.erase(use.name);
        return true;
    }
    const auto settled = m_settledAt.find(use.name);
    if (settled != m_settledAt.end() && settled->second == use.used &&
        ++m_pollsSettled[use.name] < kRescanPolls) {
        return true;  // seen whole, unchanged since: nothing new to find there
    }
    std::int32_t index = std::max(m_resumeAt[use.name], FirstIndex());
    m_resumeAt.erase(use.name);
    for (; unfound > 0 && index <= LastIndex(use); ++index) {
        const SlotPlace place{use.name, index};
        if (m_ledger.PassesBy(place)) {
            continue;
        }
        if (reads++ == kReadsPerPoll) {
            m_resumeAt[use.name] = index;
            return false;
        }
        if (!Reach(use.name)) {
            return true;
        }
        switch (Look(place, show, now)) {
            case Found::kShown:
            case Found::kComeBack:
                return false;
            case Found::kHeld:
                if (ShowNext(show, now)) {
                    return false;
                }
                --unfound;
                break;
            case Found::kOther:
                --unfound;
                break;
            case Found::kNothing:
            case Found::kRefused:
                break;
        }
    }
    if (!m_ledger.HasRefused(use.name)) {
        m_settledAt[use.name] = use.used;
        m_pollsSettled[use.name] = 0;
    }
    return true;
}

// No used count: the storage that reads reach, in order, up to the end of the index range or a
// gap of empty slots; a slot found empty is read again only every kRescanPolls polls.
void Inbox::BlindScan(const Show& show, Clock::time_point now) {
    if (++m_blindPolls >= kRescanPolls) {
        m_blindPolls = 0;
        m_ledger.ForgetNews(m_current);
    }
    const std::int32_t last = m_range ? m_range->last : kBlindLimit;
    std::int32_t index = std::max(m_resumeAt[m_current], FirstIndex());
    m_resumeAt.erase(m_current);
    for (std::int32_t reads = 0, gap = 0; index <= last && (m_range || gap < kBlindGap);
         ++index) {
        const SlotPlace place{m_current, index};
        const std::optional<SlotLedger::State> known = m_ledger.StateOf(place);
        if (m_ledger.PassesBy(place)) {
            gap = known == SlotLedger::State::kEmpty ? gap + 1 : 0;
            continue;
        }
        if (reads++ == kReadsPerPoll) {
            m_resumeAt[m_current] = index;
            m_scanWanted = true;
            return;
        }
        const Found found = Look(place, show, now);
        if (found == Found::kShown || found == Found::kComeBack) {
            return;
        }
        gap = found == Found::kNothing ? gap + 1 : 0;
    }
}
