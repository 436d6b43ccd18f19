// Locating sender and text in the answer to AT+CMGR, and when that answer is decided.

#include <gtest/gtest.h>

#include "platform/core/codepage.h"
#include "quillet/message_text.h"
#include "quillet/read_answer.h"

namespace {

const std::u16string kEcho = u"AT+CMGR=1\r";
const std::u16string kStamp = u",,\"26/12/06,21:30:00+32\"";

std::u16string Answer(const std::u16string& status, const std::u16string& sender,
                      const std::u16string& text) {
    return kEcho + u"\r\n+CMGR: \"" + status + u"\",\"" + sender + u"\"" + kStamp + u"\r\n" + text +
           u"\r\n\r\nOK\r\n";
}

// The long header of AT+CSDH=1: ...,<tooa>,<fo>,<pid>,<dcs>,<sca>,<tosca>,<length>
std::u16string LongAnswer(const std::u16string& dcs, const std::u16string& length,
                          const std::u16string& text) {
    return kEcho + u"\r\n+CMGR: \"REC READ\",\"10086\"" + kStamp + u",129,4,0," + dcs +
           u",\"+8613800200500\",145," + length + u"\r\n" + text + u"\r\n\r\nOK\r\n";
}

constexpr SlotAnswer kMessage = SlotAnswer::kMessage;
constexpr SlotAnswer kEmpty = SlotAnswer::kEmpty;
constexpr SlotAnswer kError = SlotAnswer::kError;
constexpr SlotAnswer kNoSuchSlot = SlotAnswer::kNoSuchSlot;
constexpr SlotAnswer kUndecided = SlotAnswer::kUndecided;

struct Found {
    SlotAnswer result;
    std::u16string number;
    std::u16string text;
};

Found Decide(const std::u16string& answer) {
    Found found{DecideSlotAnswer(answer), {}, {}};
    if (const std::optional<ReadAnswer> read = LocateStoredMessage(answer)) {
        found.number = answer.substr(read->numberStart, read->numberLength);
        found.text = answer.substr(read->bodyStart, read->bodyLength);
        // CModem::ParseReadResponse takes read messages only.
        EXPECT_EQ(LocateReadAnswer(answer).has_value(), read->status == u"REC READ");
    }
    return found;
}

std::string Show(const std::u16string& text) {
    return platform::Utf16ToUtf8(text);
}

TEST(ReadAnswer, DecidesCompleteAnswersAndErrors) {
    const struct {
        const char* name;
        std::u16string answer;
        SlotAnswer result;
        std::u16string number;
        std::u16string text;
    } rows[] = {
        {"read message", Answer(u"REC READ", u"+8613912345678", u"Meet at 10"), kMessage,
         u"+8613912345678", u"Meet at 10"},
        {"unread message", Answer(u"REC UNREAD", u"+86139", u"Hi"), kMessage, u"+86139", u"Hi"},
        {"empty slot answers OK", kEcho + u"\r\nOK\r\n", kEmpty, u"", u""},
        {"invalid index", kEcho + u"\r\n+CMS ERROR: 321\r\n", kNoSuchSlot, u"", u""},
        {"invalid index as text", kEcho + u"\r\n+CMS ERROR: Invalid memory index\r\n", kNoSuchSlot,
         u"", u""},
        {"SIM busy is refused for now", kEcho + u"\r\n+CMS ERROR: 314\r\n", kError, u"", u""},
        {"3210 is another error", kEcho + u"\r\n+CMS ERROR: 3210\r\n", kError, u"", u""},
        {"numbered errors fail", kEcho + u"\r\n+CME ERROR: 10\r\n", kError, u"", u""},
        {"OK is none before its line feed", kEcho + u"\r\nOK\r", kUndecided, u"", u""},
        {"unsolicited lines decide nothing", u"\r\n+CSQ: 20,99\r\n\r\n^RSSI: 17\r\n", kUndecided,
         u"", u""},
        {"unsolicited line, then OK", u"\r\n+CREG: 1\r\n" + kEcho + u"\r\nOK\r\n", kEmpty, u"",
         u""},
        {"ERROR fails", kEcho + u"\r\nERROR\r\n", kError, u"", u""},
        {"ERROR at position 0 does not count", u"ERROR\r\n", kUndecided, u"", u""},
        {"nor hides a later ERROR", u"ERROR\r\n\r\nERROR\r\n", kError, u"", u""},
        {"small error does not count", kEcho + u"\r\nerror\r\n", kUndecided, u"", u""},
        {"ERROR without line end is none yet", kEcho + u"\r\nERROR", kUndecided, u"", u""},
        {"text ending in ERROR is returned", Answer(u"REC READ", u"10086", u"Code: ERROR"),
         kMessage, u"10086", u"Code: ERROR"},
        {"text with an empty line and OK is whole",
         Answer(u"REC READ", u"10086", u"Pay?\r\n\r\nOK\r\nthanks"), kMessage, u"10086",
         u"Pay?\r\n\r\nOK\r\nthanks"},
        {"text ending in an empty line and OK is whole",
         Answer(u"REC READ", u"10086", u"Pay?\r\n\r\nOK"), kMessage, u"10086", u"Pay?\r\n\r\nOK"},
        {"empty sender gives an empty number", Answer(u"REC READ", u"", u"anonymous"), kMessage,
         u"", u"anonymous"},
        {"empty text", Answer(u"REC READ", u"10086", u""), kMessage, u"10086", u""},
        {"unsolicited lines around the answer",
         u"\r\n+CREG: 1\r\n" + Answer(u"REC READ", u"555", u"x") + u"\r\nRING\r\n", kMessage,
         u"555", u"x"},
        {"closing OK without its line end is none yet",
         kEcho + u"\r\n+CMGR: \"REC READ\",\"555\"" + kStamp + u"\r\nx\r\n\r\nOK", kUndecided, u"",
         u""},
        {"sender without closing quote", kEcho + u"\r\n+CMGR: \"REC READ\",\"555\r\n\r\nOK\r\n",
         kUndecided, u"", u""},
        {"closing right after the header line leaves no text",
         kEcho + u"\r\n+CMGR: \"REC READ\",\"555\"\r\n\r\nOK\r\n", kUndecided, u"", u""},
        {"junk", u"\x0007\xFFFD>>\"\"\r\n+CMGR\r\n", kUndecided, u"", u""},
        {"header without a sender field", kEcho + u"\r\n+CMGR: \"REC READ\"\r\nx\r\n\r\nOK\r\n",
         kUndecided, u"", u""},
        {"REC READ in an unread message's text is no header",
         Answer(u"REC UNREAD", u"555", u"see \"REC READ\",\"10086\" here"), kMessage, u"555",
         u"see \"REC READ\",\"10086\" here"},
        {"long header, UCS2: the octets' hex", LongAnswer(u"8", u"4", u"4F60597D"), kMessage,
         u"10086", u"4F60597D"},
        {"long header, length takes the text", LongAnswer(u"0", u"7", u"a\r\n\r\nOK"), kMessage,
         u"10086", u"a\r\n\r\nOK"},
        {"long header, a length that fits not: the last closing",
         LongAnswer(u"0", u"2", u"abc\r\n\r\nOK"), kMessage, u"10086", u"abc\r\n\r\nOK"},
        {"sender left open on the header line, quote in the text",
         kEcho + u"\r\n+CMGR: \"REC READ\",\"555\r\nsay \"hi\"\r\n\r\nOK\r\n", kUndecided, u"",
         u""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Found found = Decide(row.answer);
        EXPECT_EQ(found.result, row.result) << Show(row.answer);
        EXPECT_EQ(Show(found.number), Show(row.number));
        EXPECT_EQ(Show(found.text), Show(row.text));
    }
}

// However the answer is cut into chunks, no part of it decides before the whole has come: not an
// ERROR in the text, not an unfinished closing.
TEST(ReadAnswer, NoPrefixDecidesBeforeTheAnswerIsWhole) {
    const struct {
        const char* name;
        std::u16string answer;
        SlotAnswer result;
    } rows[] = {
        {"read message", Answer(u"REC READ", u"+8613912345678", u"Meet at 10"), kMessage},
        {"text ending in ERROR", Answer(u"REC READ", u"10086", u"Code: ERROR"), kMessage},
        {"text line ERROR", Answer(u"REC READ", u"10086", u"ERROR\r\nERROR"), kMessage},
        {"empty sender", Answer(u"REC READ", u"", u"x"), kMessage},
        {"ERROR", kEcho + u"\r\nERROR\r\n", kError},
        {"empty slot", kEcho + u"\r\nOK\r\n", kEmpty},
        {"numbered error", kEcho + u"\r\n+CMS ERROR: 500\r\n", kError},
        // A module pausing after the inner closing must not end the text there.
        {"long header, text with an empty line and OK",
         LongAnswer(u"0", u"13", u"Pay?\r\n\r\nOK\r\nx"), kMessage},
        {"long header, UCS2", LongAnswer(u"8", u"2", u"4F60"), kMessage},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        for (std::size_t length = 0; length < row.answer.size(); ++length) {
            ASSERT_EQ(DecideSlotAnswer(row.answer.substr(0, length)), kUndecided)
                << Show(row.answer.substr(0, length));
        }
        EXPECT_EQ(DecideSlotAnswer(row.answer), row.result);
    }
}

TEST(ReadAnswer, LengthStillComingIsTakenByTheLastClosingOnceTheAnswerHasEnded) {
    const std::u16string ended = LongAnswer(u"0", u"40", u"short\r\n\r\nOK\r\nx");
    EXPECT_FALSE(LocateStoredMessage(ended));
    const std::optional<ReadAnswer> read = LocateStoredMessage(ended, Lengths::kIgnore);
    ASSERT_TRUE(read);
    EXPECT_EQ(ended.substr(read->bodyStart, read->bodyLength), u"short\r\n\r\nOK\r\nx");
    EXPECT_EQ(read->codingScheme, 0);
}

TEST(MessageText, DecodedByItsCodingScheme) {
    const struct {
        std::u16string body;
        std::optional<std::uint8_t> dcs;
        std::u16string text;
    } rows[] = {
        {std::u16string(u"a\0b\x11"
                        u"c\x02",
                        6),
         0, u"a@b_c$"},
        {std::u16string(u"a\0b", 3), std::nullopt, u"a@b"},  // short header: GSM
        {u"4F60597DFF0C4E16754C", 8, u"你好，世界"},
        {u"D83DDE00", 0x18, u"\U0001F600"},
        {u"4F60597", 8, u"4F60597"},  // malformed: as it arrived
        {u"4G60", 8, u"4G60"},
        {u"C0FFEE", 4, u"C0FFEE"},  // 8-bit data: its hex
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Show(DecodeMessageText(row.body, row.dcs)), Show(row.text)) << Show(row.body);
    }
}

// A part's hex: header, then 7-bit text after its fill bits, UCS2 or 8-bit data. Without a
// <length> that fits, 7 spare bits at the end are padding (a 0, or the CR that senders use).
TEST(MessageText, PartsDecodedAfterTheirHeader) {
    const struct {
        std::u16string body;
        std::uint8_t fo;
        std::uint8_t dcs;
        std::optional<std::size_t> length;
        std::u16string text;
        int sequence;  // 0: no part
    } rows[] = {
        {u"0500032A02019069", 68, 0, 9, u"Hi", 1},
        {u"0500032A02019069", 68, 0, std::nullopt, u"Hi", 1},
        {u"0500032A02019069", 68, 0, 40, u"Hi", 1},
        {u"0500032A020182C221B1683C2201", 68, 0, std::nullopt, u"ABCDEFGH", 1},
        {u"0500032A020182C221B1683C221B", 68, 0, std::nullopt, u"ABCDEFGH", 1},
        {u"0500032A020182C221B1683C2201", 68, 0, 16, u"ABCDEFGH@", 1},
        {u"0500032A02024F60", 68, 8, 8, u"你", 2},
        {u"0500032A0201C0FFEE", 68, 4, 9, u"C0FFEE", 1},
        {u"0500032A02", 68, 0, 5, u"0500032A02", 0},  // header past the data: as it came
        {u"05Z0", 68, 8, 2, u"05Z0", 0},
        {u"0500032A02009069", 68, 0, 9, u"Hi", 0},  // part 0: a plain message
        {u"4869", 4, 0, 4, u"4869", 0},             // no indication: text as it is
    };
    for (const auto& row : rows) {
        const ReceivedText received = DecodeReceivedText(row.body, row.fo, row.dcs, row.length);
        EXPECT_EQ(Show(received.text), Show(row.text)) << Show(row.body);
        EXPECT_EQ(received.part ? received.part->sequence : 0, row.sequence) << Show(row.body);
    }
}

}  // namespace
