// Parts of long messages held until whole, or until their wait is over.

#include <gtest/gtest.h>

#include "quillet/inbox.h"
#include "quillet/part_assembler.h"
#include "quillet/texts.h"

namespace {

using namespace std::chrono_literals;
using Clock = PartAssembler::Clock;
const std::u16string kMark = kMissingPartMark;

struct Arrival {
    std::int32_t slot;
    const char16_t* sender;
    MessagePart part;
    const char16_t* text;
    std::chrono::seconds at;
};

struct Taken {
    std::u16string sender;
    std::u16string text;
    std::vector<std::int32_t> slots;
};

// Parts arrive at their times and wait as long as the message window lets them (ten minutes);
// after each arrival and at `until`, what is ready is taken.
std::vector<Taken> Assemble(const std::vector<Arrival>& arrivals, std::chrono::seconds until) {
    const Clock::time_point start{};
    PartAssembler parts(Inbox::kPartWait);
    std::vector<Taken> taken;
    const auto takeReady = [&](Clock::time_point now) {
        while (std::optional<PartAssembler::Whole> whole = parts.TakeReady(now)) {
            Taken entry{whole->sender, whole->text, {}};
            for (const PartAssembler::Slot& slot : whole->occupied) {
                entry.slots.push_back(slot.place.index);
            }
            taken.push_back(entry);
        }
    };
    for (const Arrival& arrival : arrivals) {
        parts.Add({{u"SM", arrival.slot}, u""}, arrival.sender, arrival.part, arrival.text,
                  start + arrival.at);
        takeReady(start + arrival.at);
    }
    takeReady(start + until);
    EXPECT_TRUE(parts.Empty());
    return taken;
}

TEST(PartAssembler, JoinsInPartOrderAndMarksWhatNeverCame) {
    const MessagePart one{7, false, 3, 1};
    const MessagePart two{7, false, 3, 2};
    const MessagePart three{7, false, 3, 3};
    const struct {
        const char* name;
        std::vector<Arrival> arrivals;
        std::vector<std::u16string> texts;  // in the order shown
        std::vector<std::vector<std::int32_t>> slots;
    } rows[] = {
        {"in reverse",
         {{4, u"555", three, u"c", 0s}, {5, u"555", two, u"b", 1s}, {6, u"555", one, u"a", 2s}},
         {u"abc"},
         {{4, 5, 6}}},
        {"part 2 never comes: shown after ten minutes",
         {{2, u"555", one, u"a", 0s}, {3, u"555", three, u"c", 599s}},
         {u"a" + kMark + u"c"},
         {{2, 3}}},
        {"a part that came twice: both slots go",
         {{2, u"555", one, u"a", 0s},
          {3, u"555", one, u"A", 1s},
          {4, u"555", two, u"b", 1s},
          {5, u"555", three, u"c", 1s}},
         {u"abc"},
         {{2, 3, 4, 5}}},
        {"another sender or reference is another message",
         {{2, u"555", one, u"a", 0s},
          {3, u"666", two, u"x", 0s},
          {4, u"555", {7, true, 3, 2}, u"y", 0s},
          {5, u"555", two, u"b", 0s},
          {6, u"555", three, u"c", 0s}},
         {u"abc", kMark + u"x" + kMark, kMark + u"y" + kMark},
         {{2, 5, 6}, {3}, {4}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<Taken> taken = Assemble(row.arrivals, 600s);
        ASSERT_EQ(taken.size(), row.texts.size());
        for (std::size_t i = 0; i < taken.size(); ++i) {
            EXPECT_EQ(taken[i].text, row.texts[i]);
            EXPECT_EQ(taken[i].slots, row.slots[i]);
        }
    }
}

TEST(PartAssembler, NothingIsReadyBeforeTheWaitIsOver) {
    PartAssembler parts(Inbox::kPartWait);
    const Clock::time_point start{};
    parts.Add({{u"SM", 2}, u""}, u"555", {7, false, 2, 1}, u"a", start);
    EXPECT_FALSE(parts.TakeReady(start + 10min - 1ms));
    EXPECT_TRUE(parts.Holds({u"SM", 2}));
    EXPECT_FALSE(parts.Holds({u"ME", 2}));
    parts.SetWait(1s);
    EXPECT_TRUE(parts.TakeReady(start + 1s));
}

}  // namespace
