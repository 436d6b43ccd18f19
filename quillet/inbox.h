#pragma once
// Every received message in the modem's storage, shown once, oldest (lowest slot) first.
//
// A poll reads slot 1 first. When that shows nothing, AT+CPMS? tells how many slots are used; if
// more are used than the inbox already holds parts of, the slots are read in order until each
// used one has been found, a bounded number of reads a poll. Each read costs the channel's read
// interval (about 0.1 s), so slots known empty are passed over until the used count says that
// something has arrived (slot 1 again then: the message may have come just after its read), and
// an unchanged storage is not scanned again at every poll. A
// message is shown and then its slot deleted; one poll shows at most one message. Parts of long
// messages are held (by slot, so they are not read again) until the message is whole or its wait is
// over (part_assembler.h). A message whose delete failed is not shown again: its slot is deleted
// again the next time it reads the same.
//
// AT+CMGL would list the slots in one command, but in text mode its entries carry no <fo> and
// no <dcs>, so a part of a long message could not be told from a message in hex, and it would
// move every stored text over the line at each poll.
//
// Thread contract: the window's thread only, like the channel's commands.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "quillet/part_assembler.h"

class CModem;
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
    // Slots that hold what is not ours to show (or that the module counts but no read finds) are
    // not read again at every poll: only when the used count changes, or after this many polls.
    static constexpr std::int32_t kRescanPolls = 30;

    explicit Inbox(CModem& modem) : m_modem(modem), m_parts(kPartWait) {}
    void SetPartWait(std::chrono::milliseconds wait) { m_parts.SetWait(wait); }

    // `now` on the backend's clock (platform::System().Now()).
    void Poll(const Show& show, Clock::time_point now);
    // The modem was gone and has been started again: what was learnt about its empty slots and
    // used count no longer holds. Held parts and undeleted messages stay: the storage kept them.
    void Reconnected();

private:
    enum class Found { kNothing, kShown, kHeld, kOther, kComeBack };

    Found Look(std::int32_t slot, const Show& show, Clock::time_point now);
    Found Take(std::int32_t slot, const SlotRead& read, const Show& show, Clock::time_point now);
    bool ShowReady(const Show& show, Clock::time_point now);
    void ShowAndDelete(const Show& show, const PartAssembler::Whole& whole);
    void NoteUsage(std::int32_t used, bool firstEmpty);
    // True when the scan has seen what it could: every used slot found, or the last slot read.
    bool ScanOthers(std::int32_t unfound, std::int32_t total, bool firstIsOther, const Show& show,
                    Clock::time_point now);

    CModem& m_modem;
    PartAssembler m_parts;
    std::int32_t m_resumeAt = 0;              // where a scan cut short goes on; 0: from slot 2
    std::optional<std::int32_t> m_settledAt;  // the used count when a scan last saw everything
    std::int32_t m_pollsSettled = 0;
    // Slots read empty (or emptied by us) since the last arrival: not read again until one.
    std::set<std::int32_t> m_seenEmpty;
    std::optional<std::int32_t> m_expectedUsed;          // the used count if nothing arrives
    std::map<std::int32_t, std::u16string> m_undeleted;  // shown, delete failed: its fingerprint
};
