// PDU mode's codec against messages as published in modem manuals and PDU guides: SMS-SUBMITs
// that programs send decode to destination, text, centre and concatenation header, and the
// SMS-DELIVER of a stored message is the one the guides show. Anything malformed is refused.

#include <gtest/gtest.h>

#include "modemsim/at/pdu.h"

namespace {

using modemsim::DecodeSubmit;
using modemsim::DeliverPdu;
using modemsim::StoredSms;

struct SubmitCase {
    const char* source;
    std::string hex;
    std::size_t length;
    std::string destination, text;
    std::optional<std::string> centre;
    std::optional<int> sequence;  // of a part: its number; its header says 2 parts, reference 15
};

TEST(Pdu, KnownSubmitsDecode) {
    const SubmitCase cases[] = {
        {"turbocontrol.com, SMS messages and the PDU format: 7-bit, no centre, VP AA",
         "0011000B916407281553F80000AA0AE8329BFD4697D9EC37", 23, "+46708251358", "hellohello",
         std::nullopt, std::nullopt},
        {"Nordic Semiconductor AT commands reference, +CMGS: 7-bit with a centre",
         "069144888888F811000C9153481032547600000B20D4F29C9E769F4161D0BC3D07B5CBF379F89C769F416F7"
         "B590E62D3CB",
         // The prose above it says "SMS" and "LTE"; its septets are in lower case.
         42, "+358401234567", "Testing a sms messaging over lte", "+448888888", std::nullopt},
        {"9cbs.com, PDU mode data format and length: 8-bit (DCS F6), centre +491710760000",
         "079194710167000011000781214365F700F6AA0568656C6C6F", 17, "1234567", "68656C6C6F",
         "+491710760000", std::nullopt},
        {"Neoway N11 AT command manual, +CMGS: UCS2, no validity period",
         // The prose says 13428439693; its semi-octets say otherwise.
         "0001000B813124819396F300080A00680065006C006C006F", 23, "13421839693", "hello",
         std::nullopt, std::nullopt},
        {"Huawei MU509 AT command manual, +CMGS: UCS2 class 0 (DCS 18), reply path, national "
         "centre",
         "05A13109920081000B813109010054F3001804534E4E3A", 17, "13901000453",
         "\xE5\x8D\x8E\xE4\xB8\xBA", "13902900", std::nullopt},
        // The first case with the concatenation header of how2s.org's multipart example
        // (050003 0F 02 02) and the text packed from the next septet boundary, one fill bit on.
        {"turbocontrol.com's message as part 2 of 2, reference 15",
         "0051000B916407281553F80000AA110500030F0202D06536FB8D2EB3D96F", 29, "+46708251358",
         "hellohello", std::nullopt, 2},
    };
    for (const SubmitCase& c : cases) {
        const auto submission = DecodeSubmit(c.hex, c.length);
        ASSERT_TRUE(submission) << c.source;
        EXPECT_EQ(submission->destination, c.destination) << c.source;
        EXPECT_EQ(submission->text, c.text) << c.source;
        EXPECT_EQ(submission->centre, c.centre) << c.source;
        EXPECT_EQ(submission->part.has_value(), c.sequence.has_value()) << c.source;
        if (submission->part && c.sequence) {
            EXPECT_EQ(submission->part->reference, 15);
            EXPECT_EQ(submission->part->total, 2);
            EXPECT_EQ(submission->part->sequence, *c.sequence);
        }
    }
}

// Each case breaks the first one above in one place.
TEST(Pdu, MalformedSubmitsAreRefused) {
    const std::string good = "0011000B916407281553F80000AA0AE8329BFD4697D9EC37";
    const std::pair<std::string, std::size_t> cases[] = {
        {good, 22},
        {good, 24},
        {good.substr(0, good.size() - 1), 23},                         // odd hex
        {good.substr(0, good.size() - 2) + "3G", 23},                  // no hex digit
        {"0010" + good.substr(4), 23},                                 // SMS-DELIVER's type
        {good.substr(0, 28) + "0B" + good.substr(30), 23},             // 11 septets in 9 octets
        {good.substr(0, 28) + "09" + good.substr(30), 23},             // 9 septets in 9 octets
        {"0051" + good.substr(4, 24) + "0A20" + good.substr(32), 23},  // header past the data
        {"0011000BD0" + good.substr(10), 23},                          // a name as destination
        {"00110000910000AA0AE8329BFD4697D9EC37", 17},                  // no destination digits
        {"0C914488", 0},                                               // centre past the data
        {"001100159110325476981032547698F0" + good.substr(22), 28},    // 21 digits
        {"0011000B9164072815C3F8" + good.substr(22), 23},              // a digit C
        {"000100049110200000A1" + std::string(2 * 141, '0'), 150},     // 161 septets
        {"0001000491102000088D" + std::string(2 * 141, '0'), 150},     // 141 UCS2 octets
    };
    for (const auto& [hex, length] : cases) {
        EXPECT_FALSE(DecodeSubmit(hex, length)) << hex << " " << length;
    }
}

// The guides' received message, and from it a name for sender (the same septets), UCS2 text, a
// zone behind UTC, a long message's part and a time stamp that is no time stamp.
TEST(Pdu, DeliverIsTheKnownPdu) {
    // mobilephonetechnology.co.uk, Format of SMS messages: what +447770456789 receives.
    const std::string known =
        "0791447758100650040C914477072143650000919092510312430AE8329BFD4697D9EC37";
    const std::string centre = "+447785016005";
    const std::string stamp = "19/09/29,15:30:21+34";
    const StoredSms sms{"+447770123456", "hellohello", stamp, false};
    const auto pdu = DeliverPdu(centre, sms);
    EXPECT_EQ(pdu.hex, known);
    EXPECT_EQ(pdu.tpduOctets, known.size() / 2 - 8);

    const std::string head = known.substr(0, 18);   // centre and first octet
    const std::string tail = known.substr(34, 18);  // protocol, coding and time stamp
    // Neoway N11 AT command manual's UCS2 "hello".
    const std::string ucs2 = "00680065006C006C006F";
    const std::vector<std::pair<StoredSms, std::string>> cases = {
        {{"hellohello", "hellohello", stamp, false},
         head + "12D0E8329BFD4697D9EC37" + tail + "0AE8329BFD4697D9EC37"},
        {{"10086", "hello", stamp, true, true},
         head + "05810180F60008" + tail.substr(4) + "0A" + ucs2},
        {{"+447770123456", "hellohello", "24/05/01,12:30:00-08", false},
         head + known.substr(18, 20) + "42501021030088" + "0AE8329BFD4697D9EC37"},
        {{"+447770123456", "hello", stamp, false, true, MessagePart{15, false, 2, 2}},
         "0791447758100650440C91447707214365000891909251031243100500030F0202" + ucs2},
        {{"+447770123456", "hellohello", "yesterday", false},
         head + known.substr(18, 20) + "00000000000000" + "0AE8329BFD4697D9EC37"},
        {{"+447770123456", "", stamp, false}, head + known.substr(18, 34) + "00"},
    };
    for (const auto& [message, hex] : cases) {
        EXPECT_EQ(DeliverPdu(centre, message).hex, hex) << message.sender << " " << message.text;
    }
    EXPECT_EQ(DeliverPdu("", sms).hex, "00" + known.substr(16));
}

}  // namespace
