#pragma once
// Every received message, shown once, wherever the modem files it: in any storage that AT+CPMS?
// names (read, write, receive), at indices from 0 or from 1, or handed over without being stored
// (+CMT). A message is shown and then its slot deleted; one poll shows at most one message, so
// the window's one message box never loses one to the next.
//
// A poll, in this order:
//   1. a long message now whole (or whose wait is over, part_assembler.h), else a routed one;
//   2. the slots that +CMTI announced, each read at once where it names;
//   3. the first slot of the storage that reads reach (slot 1, or 0 on a module that counts
//      from 0): one command, the whole of an idle poll on a modem that announces arrivals;
//   4. a scan: AT+CPMS? for the used counts, then the slots of each storage that holds more than
//      the inbox knows of, a bounded number of reads a poll. It runs at every poll on a modem
//      that does not announce arrivals; on one that does, when something says a message may be
//      waiting (an announcement the inbox could not place, a refused read, a scan cut short)
//      and every kSafetyNetPolls polls anyway (a module may announce on another port). Without a
//      usable AT+CPMS? the slots are read in order up to the index range AT+CMGD=? gave, or
//      until kBlindGap empty ones in a row.
// Reads to another storage select it (AT+CPMS="ME") and the poll selects the first one back at
// its end, so the modem is left as it was found. Only "OK" without a message and "invalid index"
// mean empty; any other refusal is read again at the next poll (slot_ledger.h).
//
// AT+CMGL would list the slots in one command, but in text mode its entries carry no <fo> and
// no <dcs>, so a part of a long message could not be told from a message in hex.
//
// Thread contract: the window's thread only, like the channel's commands.

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "quillet/message_store.h"
#include "quillet/part_assembler.h"
#include "quillet/slot_ledger.h"
#include "quillet/storage_answers.h"

struct SlotRead;

class Inbox {
public:
    using Clock = PartAssembler::Clock;
    using Show = std::function<void(const std::u16string& sender, const std::u16string& text)>;

    // How long the parts of a long message wait for the rest before they are shown as they are.
    static constexpr std::chrono::minutes kPartWait{10};
    // Reads of other slots in one poll: a storage of hundreds of slots costs several polls, not
    // one long freeze.
    static constexpr std::int32_t kReadsPerPoll = 16;
    // A storage whose used count stays above what a whole scan found (a module that counts what
    // no read shows) is scanned again only after this many polls.
    static constexpr std::int32_t kRescanPolls = 30;
    // On a modem that announces arrivals, a scan comes at least this often.
    static constexpr std::int32_t kSafetyNetPolls = 15;
    // Without a usable AT+CPMS? or index range: empty slots in a row that end the storage.
    static constexpr std::int32_t kBlindGap = 5;
    static constexpr std::int32_t kBlindLimit = 255;
    // Announcements and routed messages waiting for a poll; past this, a scan finds the stored
    // ones and the oldest routed ones are shown first.
    static constexpr std::size_t kMaxWaiting = 64;

    explicit Inbox(MessageStore& store) : m_store(store), m_parts(kPartWait) {}
    void SetPartWait(std::chrono::milliseconds wait) { m_parts.SetWait(wait); }

    // `now` on the backend's clock (platform::System().Now()).
    void Poll(const Show& show, Clock::time_point now);
    // The modem was gone and has been started again: what was learnt about its storages no longer
    // holds. Held parts and undeleted messages stay: the storage kept them.
    void Reconnected();
    // A +CMTI report: the slot is read at the next poll, before any other.
    void Announced(const std::u16string& report);
    // A +CMT report: taken at once (AT+CNMA), shown at a poll in turn.
    void Routed(const std::u16string& report, Clock::time_point now);

private:
    enum class Found { kNothing, kShown, kHeld, kOther, kRefused, kComeBack };

    bool Learn();
    void PollSteps(const Show& show, Clock::time_point now);
    bool ShowNext(const Show& show, Clock::time_point now);
    bool ReadAnnounced(const Show& show, Clock::time_point now);
    bool ScanDue();
    void Scan(const Show& show, Clock::time_point now);
    bool ScanStorage(const StorageUse& use, std::int32_t& reads, const Show& show,
                     Clock::time_point now);
    void BlindScan(const Show& show, Clock::time_point now);
    void NoteUsage(const StorageUse& use);
    // The next poll scans the storage, even if a whole scan has seen it unchanged.
    void WantScan(const std::u16string& storage);

    Found Look(const SlotPlace& place, const Show& show, Clock::time_point now);
    Found Take(const SlotPlace& place, const SlotRead& read, const Show& show,
               Clock::time_point now);
    void ShowAndDelete(const Show& show, const PartAssembler::Whole& whole);
    // Reads and deletes reach the storage from now on; false when the modem refused.
    bool Reach(const std::u16string& storage);
    void ComeHome();

    bool CountsFromZero() const;
    SlotPlace FirstPlace() const;
    std::int32_t FirstIndex() const;
    std::int32_t LastIndex(const StorageUse& use) const;

    MessageStore& m_store;
    PartAssembler m_parts;
    SlotLedger m_ledger;
    bool m_learnt = false;
    bool m_announces = false;
    std::u16string m_home;     // the storage reads reached when the inbox found the modem
    std::u16string m_current;  // the one they reach now
    std::optional<IndexRange> m_range;
    bool m_sawZero = false;  // an announcement named index 0
    std::deque<SlotPlace> m_announced;
    std::deque<PartAssembler::Whole> m_routed;
    std::deque<std::u16string> m_recentRouted;  // fingerprints: a resent one is not shown again
    bool m_scanWanted = true;
    bool m_firstRead = false;  // this poll has read the first slot already (it was announced)
    std::int32_t m_pollsSinceScan = 0;
    std::map<std::u16string, std::int32_t> m_resumeAt;  // where a scan cut short goes on
    std::map<std::u16string, std::int32_t> m_expectedUsed;  // the used count if nothing arrives
    std::map<std::u16string, std::int32_t> m_settledAt;  // used count when a scan last saw all
    std::map<std::u16string, std::int32_t> m_pollsSettled;
    std::int32_t m_blindPolls = 0;
};
