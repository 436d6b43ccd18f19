// The inbox's polls against a scripted storage: where messages are found, how each is shown
// once, and what a poll costs.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/core/codepage.h"
#include "quillet/inbox.h"
#include "quillet/slot_read.h"
#include "quillet/texts.h"

namespace {

using namespace std::chrono_literals;

struct Stored {
    std::u16string text;
    std::u16string status = u"REC UNREAD";
    std::optional<MessagePart> part = std::nullopt;
};

// Storages by name, each numbered from `first`; a read marks a message read, as modules do.
class ScriptedStore : public MessageStore {
public:
    std::vector<std::u16string> names = {u"SM"};
    std::int32_t first = 1;
    std::int32_t total = 20;
    std::map<SlotPlace, Stored> slots;
    std::map<SlotPlace, int> readRefusals;    // reads refused ("+CMS ERROR: 314") before one works
    std::map<SlotPlace, int> deleteRefusals;  // deletes refused before one works
    bool usageWorks = true;
    bool rangeKnown = true;
    bool announces = false;
    std::u16string current = u"SM";
    std::vector<std::string> commands;
    int acknowledged = 0;

    void Read(std::int32_t index, SlotRead& read) override {
        Log("CMGR=" + std::to_string(index));
        const SlotPlace place{current, index};
        read = SlotRead{};
        if (readRefusals[place] > 0) {
            --readRefusals[place];
            read.answer = SlotAnswer::kError;
            return;
        }
        const auto found = slots.find(place);
        if (found == slots.end()) {
            read.answer = index < first || index >= first + total ? SlotAnswer::kNoSuchSlot
                                                                  : SlotAnswer::kEmpty;
            return;
        }
        read.answer = SlotAnswer::kMessage;
        read.status = found->second.status;
        read.sender = u"10086";
        read.text = {found->second.text, found->second.part};
        read.fingerprint = read.sender + read.text.text;
        if (found->second.status == u"REC UNREAD") {
            found->second.status = u"REC READ";
        }
    }
    bool Delete(std::int32_t index) override {
        Log("CMGD=" + std::to_string(index));
        const SlotPlace place{current, index};
        if (deleteRefusals[place] > 0) {
            --deleteRefusals[place];
            return false;
        }
        slots.erase(place);
        return true;
    }
    std::optional<std::vector<StorageUse>> Usage() override {
        Log("CPMS?");
        if (!usageWorks) {
            return std::nullopt;
        }
        std::vector<StorageUse> uses;
        for (const std::u16string& name : names) {
            std::int32_t used = 0;
            for (const auto& [place, stored] : slots) {
                used += place.storage == name ? 1 : 0;
            }
            uses.push_back({name, used, total});
        }
        return uses;
    }
    bool SelectForReading(const std::u16string& storage) override {
        Log("CPMS=" + platform::Utf16ToUtf8(storage));
        current = storage;
        return true;
    }
    std::optional<IndexRange> Indices() override {
        Log("CMGD=?");
        return rangeKnown ? std::optional<IndexRange>({first, first + total - 1}) : std::nullopt;
    }
    bool AnnouncesArrivals() override {
        Log("CNMI?");
        return announces;
    }
    void AcknowledgeRouted() override { ++acknowledged; }
    bool FellSilent() const override { return false; }

private:
    void Log(std::string command) { commands.push_back(std::move(command)); }
};

struct PollRun {
    ScriptedStore store;
    Inbox inbox{store};
    std::vector<std::u16string> shown;
    platform::TimePoint now{};

    void Polls(int count) {
        for (int i = 0; i < count; ++i) {
            inbox.Poll([&](const std::u16string&, const std::u16string& text) { shown.push_back(text); },
                       now);
            now += 1s;
        }
    }
    // The commands of one poll.
    std::vector<std::string> Poll() {
        store.commands.clear();
        Polls(1);
        return store.commands;
    }
};

using Strings = std::vector<std::u16string>;

TEST(Inbox, ShowsEveryMessageOnceWhereverTheModuleFilesIt) {
    const struct {
        const char* name;
        std::function<void(PollRun&)> setUp;
        int polls;
        Strings shown;
    } rows[] = {
        {"slots from 0",
         [](PollRun& r) {
             r.store.first = 0;
             r.store.slots[{u"SM", 0}] = {u"zero"};
         },
         1, {u"zero"}},
        {"slots from 0, no index range",
         [](PollRun& r) {
             r.store.first = 0;
             r.store.rangeKnown = false;
             r.store.slots[{u"SM", 0}] = {u"zero"};
             r.store.slots[{u"SM", 19}] = {u"last"};
         },
         3, {u"zero", u"last"}},
        {"arrival filed in the receive storage",
         [](PollRun& r) {
             r.store.names = {u"SM", u"ME"};
             r.store.slots[{u"ME", 4}] = {u"in ME"};
         },
         1, {u"in ME"}},
        {"reads from ME, receives into SM",
         [](PollRun& r) {
             r.store.names = {u"ME", u"SM"};
             r.store.current = u"ME";
             r.store.slots[{u"SM", 1}] = {u"in SM"};
             r.store.slots[{u"ME", 2}] = {u"in ME"};
         },
         2, {u"in ME", u"in SM"}},
        {"SIM busy, then the message",
         [](PollRun& r) {
             r.store.slots[{u"SM", 1}] = {u"later"};
             r.store.readRefusals[{u"SM", 1}] = 1;
         },
         2, {u"later"}},
        {"a refused read does not hold up the next slot",
         [](PollRun& r) {
             r.store.slots[{u"SM", 2}] = {u"two"};
             r.store.slots[{u"SM", 3}] = {u"three"};
             r.store.readRefusals[{u"SM", 2}] = 1;
         },
         3, {u"three", u"two"}},
        {"refused delete, re-read as REC READ",
         [](PollRun& r) {
             r.store.slots[{u"SM", 1}] = {u"once"};
             r.store.deleteRefusals[{u"SM", 1}] = 1;
         },
         3, {u"once"}},
        {"a lone part whose delete failed",
         [](PollRun& r) {
             r.inbox.SetPartWait(1s);
             r.store.slots[{u"SM", 2}] = {u"half", u"REC UNREAD", MessagePart{9, false, 2, 1}};
             r.store.deleteRefusals[{u"SM", 2}] = 1;
         },
         5, {u"half" + std::u16string(kMissingPartMark)}},
        {"no usable AT+CPMS?: every slot in reach",
         [](PollRun& r) {
             r.store.usageWorks = false;
             r.store.slots[{u"SM", 1}] = {u"m1"};
             r.store.slots[{u"SM", 2}] = {u"m2"};
             r.store.slots[{u"SM", 3}] = {u"m3"};
         },
         3, {u"m1", u"m2", u"m3"}},
        {"the user's own messages stay",
         [](PollRun& r) {
             r.store.slots[{u"SM", 1}] = {u"draft", u"STO UNSENT"};
             r.store.slots[{u"SM", 2}] = {u"mine"};
         },
         3, {u"mine"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PollRun run;
        row.setUp(run);
        run.Polls(row.polls);
        EXPECT_EQ(run.shown, row.shown);
        const std::size_t stays = run.store.slots.count({u"SM", 1}) != 0 &&
                                  run.store.slots[{u"SM", 1}].status == u"STO UNSENT";
        EXPECT_EQ(run.store.slots.size(), stays);
        EXPECT_EQ(run.store.current, row.name == std::string("reads from ME, receives into SM")
                                         ? u"ME"
                                         : u"SM");
    }
}

TEST(Inbox, ReadsAnnouncedSlotsAtOnceAndShowsRoutedMessagesOnce) {
    const std::u16string routed = u"+CMT: \"+8613912345678\",,\"26/12/06,21:30:00+32\"\r\nHi";
    const struct {
        const char* name;
        std::function<void(PollRun&)> arrive;
        Strings shown;
        std::vector<std::string> commands;  // of the poll after the arrival
    } rows[] = {
        {"announced in ME",
         [](PollRun& r) {
             r.store.slots[{u"ME", 3}] = {u"three"};
             r.inbox.Announced(u"+CMTI: \"ME\",3");
         },
         {u"three"}, {"CPMS=ME", "CMGR=3", "CMGD=3", "CPMS=SM"}},
        {"a storm of one announcement",
         [](PollRun& r) {
             r.store.slots[{u"SM", 5}] = {u"five"};
             for (int i = 0; i < 500; ++i) {
                 r.inbox.Announced(u"+CMTI: \"SM\",5");
             }
         },
         {u"five"}, {"CMGR=5", "CMGD=5"}},
        {"an index out of range, a storage never seen, garbage: found by the scan",
         [](PollRun& r) {
             r.store.slots[{u"SM", 7}] = {u"seven"};
             r.inbox.Announced(u"+CMTI: \"SM\",999999");
             r.inbox.Announced(u"+CMTI: \"XX\",7");
             r.inbox.Announced(u"+CMTI: \"SM");
         },
         {u"seven"}, {}},
        {"routed, then delivered again",
         [&](PollRun& r) {
             r.inbox.Routed(routed, r.now);
             r.inbox.Routed(routed, r.now);
         },
         {u"Hi"}, {}},
        {"announced after the idle read had shown it",
         [](PollRun& r) {
             r.store.slots[{u"SM", 1}] = {u"one"};
             r.Polls(1);
             r.inbox.Announced(u"+CMTI: \"SM\",1");
         },
         {u"one"}, {"CMGR=1"}},
        {"a routed header without its text",
         [](PollRun& r) { r.inbox.Routed(u"+CMT: \"10086\",,\"26/12/06,21:30:00+32\"\r\n", r.now); },
         {u""}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PollRun run;
        run.store.announces = true;
        run.Polls(2);  // learnt, and idle
        EXPECT_EQ(run.Poll(), (std::vector<std::string>{"CMGR=1"})) << "an idle poll";
        row.arrive(run);
        const std::vector<std::string> commands = run.Poll();
        if (!row.commands.empty()) {
            EXPECT_EQ(commands, row.commands);
        }
        run.Polls(Inbox::kSafetyNetPolls);
        EXPECT_EQ(run.shown, row.shown);
        EXPECT_TRUE(run.store.slots.empty());
    }
}

TEST(Inbox, RoutedMessagesAreAcknowledgedAtOnce) {
    PollRun run;
    run.inbox.Routed(u"+CMT: \"10086\",,\"26/12/06,21:30:00+32\"\r\nHi", run.now);
    EXPECT_EQ(run.store.acknowledged, 1);
    EXPECT_TRUE(run.shown.empty());
}

// Idle on a modem that announces: one read a poll, and a scan every kSafetyNetPolls polls; one
// that does not: the read and AT+CPMS? every poll.
TEST(Inbox, AnIdlePollCostsOneCommandWhereArrivalsAreAnnounced) {
    for (const bool announces : {true, false}) {
        SCOPED_TRACE(announces);
        PollRun run;
        run.store.announces = announces;
        run.Polls(2);
        run.store.commands.clear();
        run.Polls(Inbox::kSafetyNetPolls * 2);
        const std::size_t perPoll = announces ? 1 : 2;
        const std::size_t scans = announces ? 2 : 0;
        EXPECT_EQ(run.store.commands.size(), Inbox::kSafetyNetPolls * 2 * perPoll + scans);
    }
}

}  // namespace
