// The AT engine without a pseudo-terminal: command-line syntax as tables of raw strings, and the
// modem's answers as scripts of (bytes typed, bytes answered) on a ModemSession, each run as typed
// and byte by byte: the answers must not depend on how the terminal's reads are chunked.

#include <gtest/gtest.h>

#include "modemlink/smscodec/gsm_text.h"
#include "modemlink/smscodec/user_data.h"
#include "modemsim/at/arrival.h"
#include "modemsim/at/at_syntax.h"
#include "modemsim/at/message_parts.h"
#include "modemsim/at/modem_session.h"
#include "modemsim/at/pdu.h"
#include "modemsim/at/reply.h"
#include "modemsim/at/sms_text.h"
#include "modemsim/at/start_up.h"
#include "platform/core/codepage.h"

namespace {

using namespace modemsim;

// Commands as "NAME FORM ARGS|" for compact expectations; "syntax error" when rejected.
std::string Parsed(const std::string& line) {
    const auto commands = ParseCommandLine(line);
    if (!commands) {
        return "syntax error";
    }
    std::string text;
    for (const AtCommand& command : *commands) {
        const char* forms[] = {"exec", "read", "test", "set"};
        text +=
            command.name + " " + forms[static_cast<int>(command.form)] + " " + command.args + "|";
    }
    return text;
}

// A line splits into commands; a name as people write it normalises to the parser's form.
TEST(CommandLine, SplitsIntoCommandsAndNormalisesNames) {
    // clang-format off
    const std::vector<std::pair<std::string, std::string>> lines = {
        {"AT", ""}, {"at+cmgf=1", "+CMGF set 1|"}, {"AT+CHUP", "+CHUP exec |"},
        {"ATE0V", "E exec 0|V exec |"}, {"AT&F", "&F exec |"},
        {"AT+CMGF=1;+CSCS=\"GSM\"", "+CMGF set 1|+CSCS set \"GSM\"|"},
        {"AT+CSCA=\"+86 138; 00\",145", "+CSCA set \"+86 138; 00\",145|"},
        {"AT + CMGF = 1", "+CMGF set 1|"}, {"ATD+123;", "D exec +123;|"},
        {"ATE1D123", "E exec 1|D exec 123|"}, {"AT+", "syntax error"},
        {"AT+CMGF?1", "syntax error"}, {"AT=1", "syntax error"}, {"ATS0=1", "syntax error"},
        {"XAT", "syntax error"}, {std::string("AT\0", 3), "syntax error"}};
    // clang-format on
    for (const auto& [line, expected] : lines) {
        EXPECT_EQ(Parsed(line), expected) << line;
    }
    // clang-format off
    const std::vector<std::pair<const char*, std::optional<std::string>>> names = {
        {"+CMGS", "+CMGS"}, {"cmgs", "+CMGS"}, {"AT+cmgs", "+CMGS"}, {"atd", "D"}, {"AT", "AT"},
        {"&f", "&F"}, {"ATE0", "E"}, {"ATD123", "D"}, {"", std::nullopt}, {"+", std::nullopt},
        {"C MGF", std::nullopt}, {"AT+CMGF=1", std::nullopt}, {"ATE0H", "+E0H"},
        {"ATD+39;", std::nullopt}, {"\"x\"", std::nullopt}};
    // clang-format on
    for (const auto& [name, expected] : names) {
        EXPECT_EQ(NormaliseCommandName(name), expected) << name;
    }
}

// Numbers are plain digits, short enough that no overflow is possible; quoted arguments may hold
// commas; a left-out argument is empty and unquoted.
TEST(Arguments, NumbersQuotedAndOmitted) {
    // clang-format off
    const std::vector<std::pair<std::string, std::optional<long>>> numbers = {
        {"0", 0}, {"007", 7}, {"999999999", 999999999}, {"", std::nullopt}, {"-1", std::nullopt},
        {" 1", std::nullopt}, {"1a", std::nullopt}, {"1234567890", std::nullopt}};
    // clang-format on
    for (const auto& [text, expected] : numbers) {
        EXPECT_EQ(ParseDecimal(text), expected) << text;
        EXPECT_EQ(ToNumber(AtArg{text, false}), expected) << text;
    }
    EXPECT_FALSE(ToNumber(AtArg{"1", true}));
    const auto args = SplitArgs("\"+1,2\",145,,\"\"");
    ASSERT_TRUE(args && args->size() == 4u);
    EXPECT_EQ((*args)[0].text, "+1,2");
    EXPECT_TRUE((*args)[0].quoted && (*args)[2].Omitted() && !(*args)[3].Omitted());
    for (const char* bad : {"\"open", "\"a\"b", "a\"b\""}) {
        EXPECT_FALSE(SplitArgs(bad)) << bad;
    }
}

TEST(SmsTimestamp, FormatsCalendarEdges) {
    const std::vector<std::pair<long, const char*>> cases = {
        {0, "70/01/01,00:00:00+00"},
        {951782400, "00/02/29,00:00:00+00"},   // leap day of a century leap year
        {1709251199, "24/02/29,23:59:59+00"},  // last second of a leap day
        {4102444800, "00/01/01,00:00:00+00"},  // 2100: the two-digit year wraps
        {-1, "69/12/31,23:59:59+00"}};
    for (const auto& [epoch, expected] : cases) {
        EXPECT_EQ(SmsTimestamp(std::chrono::system_clock::time_point(std::chrono::seconds(epoch))),
                  expected)
            << epoch;
    }
}

struct Step {
    std::string typed;
    std::string said;
};

ModemState Modem(bool echo = false, bool textMode = false) {
    ModemState state;
    state.settings.echo = echo;
    state.settings.textMode = textMode;
    return state;
}

template <typename Change>
ModemState With(ModemState state, Change change) {
    change(state);
    return state;
}

std::string Said(ModemSession& session, ModemState& state, const std::string& typed, bool split) {
    std::string said;
    const std::size_t chunk = split ? 1 : typed.size();
    for (std::size_t pos = 0; pos < typed.size(); pos += chunk) {
        for (const Output& output : session.Feed(state, typed.substr(pos, chunk))) {
            said += output.bytes;
        }
    }
    return said;
}

ModemState Answers(const char* name, const ModemState& start, const std::vector<Step>& steps) {
    ModemState state;
    for (const bool split : {true, false}) {
        state = start;
        ModemSession session;
        for (const Step& step : steps) {
            SCOPED_TRACE(testing::Message() << name << (split ? ", byte by byte" : "")
                                            << ", typed: " << step.typed.substr(0, 40));
            EXPECT_EQ(Said(session, state, step.typed, split), step.said);
        }
    }
    return state;
}

// The outbox as "destination text[ pdu];" per message.
std::string Sent(const ModemState& state) {
    std::string sent;
    for (const SentSms& sms : state.outbox) {
        sent += sms.destination + " " + sms.text + (sms.pdu ? " pdu;" : ";");
    }
    return sent;
}

const std::string kOk = "\r\nOK\r\n";
const std::string kError = "\r\nERROR\r\n";
const std::string kNoCarrier = "\r\nNO CARRIER\r\n";

TEST(Session, EchoAndLineEditing) {
    const std::string atBound = "AT" + std::string(510, ' ') + "\r";  // 512 bytes before the CR
    Answers("echo", Modem(true),
            {{"AT\r\n", "AT\r" + kOk},
             {"aT+cmgf?\r\n", "aT+cmgf?\r\r\n+CMGF: 0\r\n" + kOk},
             {"hello\r\n", "hello\r"},          // echoed, never answered
             {"A\nX\bT\r", "A\nX\bT\r" + kOk},  // a stray LF is no part of the line
             {"ATE2\r", "ATE2\r" + kError},
             {"ATE0\r\n", "ATE0\r" + kOk},
             {"AT\r", kOk},
             {"ATZ\r", kOk},  // restores echo
             {"AT\r", "AT\r" + kOk}});
    Answers("bad bytes and overlong lines change nothing", Modem(),
            {{"AT+CMGF=1\r\n", kOk},
             {atBound, kOk},
             {"X" + atBound, kError},
             {"AT+CMGF=\x01\r\n", kError},
             {"\xFF\xFE\r\n", ""},
             {std::string("AT\0\r\n", 5), kError},
             {std::string(20000, 'A') + "\r\nAT\r\n", kError + kOk},
             {"AT+CMGF?\r\n", "\r\n+CMGF: 1\r\n" + kOk}});
}

TEST(Session, SettingsReadTestAndReject) {
    Answers("settings", Modem(),
            {{"AT+CMGF=1;+CMGF?\r", "\r\n+CMGF: 1\r\n" + kOk},
             {"AT+CMGF=?\r", "\r\n+CMGF: (0,1)\r\n" + kOk},
             {"AT+CMGF=2\r", kError},
             {"AT+CSCS=\"UCS2\";+CSCS?\r", "\r\n+CSCS: \"UCS2\"\r\n" + kOk},
             {"AT+CSCS=\"LATIN9\"\r", kError},
             {"AT+CSCS=GSM\r", kError},
             {"AT+CSCS=\"gsm\"\r", kOk},
             {"AT+CLIP=1;+CLIP?\r", "\r\n+CLIP: 1,1\r\n" + kOk},
             {"AT+CLIP=3\r", kError},
             {"AT+IPR=12345\r", kError},
             {"AT+IPR=9600;+IPR?\r", "\r\n+IPR: 9600\r\n" + kOk},
             {"AT+CREG=1;+CREG?\r", "\r\n+CREG: 1,1\r\n" + kOk},
             {"AT+CREG=2;+CREG?\r", "\r\n+CREG: 2,1,\"00A1\",\"1B2C\"\r\n" + kOk},
             {"AT+CREG=3\r", kError},
             {"AT+CGREG?\r", kError},
             {"AT+CHUP=?\r", kOk},
             {"AT+CMGF?;+BOGUS;+CMGF=0\r", "\r\n+CMGF: 1\r\n" + kError},  // stops at the error
             {"AT+CMGF?\r", "\r\n+CMGF: 1\r\n" + kOk}});
    Answers(
        "service centre", Modem(),
        {{"AT+CSCA=\"+8613800200500\",145;+CSCA?\r", "\r\n+CSCA: \"+8613800200500\",145\r\n" + kOk},
         {"AT+CSCA=+8613800200501,145;+CSCA?\r", "\r\n+CSCA: \"+8613800200501\",145\r\n" + kOk},
         {"AT+CSCA=\"0123\";+CSCA?\r", "\r\n+CSCA: \"0123\",129\r\n" + kOk},
         {"AT+CSCA=\"+86\",145,145\r", kError},
         {"AT+CSCA=\"+86abc\",145\r", kError},
         {"AT+CSCA=\"+86\",99\r", kError},
         {"AT+CSCA=\"\"\r", kError},
         {"AT+CSCS=\"UCS2\";+CSCA?\r", "\r\n+CSCA: \"0030003100320033\",129\r\n" + kOk},
         {"AT+CSCA=\"002B0039\",145\r", kOk},
         {"AT+CSCS=\"IRA\";+CSCA?\r", "\r\n+CSCA: \"+9\",145\r\n" + kOk}});
}

TEST(Session, Calls) {
    const ModemState state = Answers("calls", Modem(),
                                     {{"ATA\r", kNoCarrier},
                                      {"ATD123\r", kNoCarrier},  // a data call
                                      {"ATD;\r", kError},
                                      {"ATDx1;\r", kError},
                                      {"ATD456;\r", kOk},
                                      {"ATD789;\r", kError},  // already in a call
                                      {"ATH1\r", kError},
                                      {"ATH0\r", kOk},
                                      {"ATD+39 02 1234;\r", kOk}});
    EXPECT_EQ(state.call.number, "+39021234");
    Answers("answered", With(Modem(), [](ModemState& s) { s.call.phase = CallPhase::kRinging; }),
            {{"ATA\r", kOk}, {"ATA\r", kNoCarrier}, {"AT+CHUP\r", kOk}, {"ATH\r", kOk}});
}

TEST(Session, ReadingMarksReadAndDeletingEmpties) {
    const auto read = [](const char* status) {
        return "\r\n+CMGR: \"REC " + std::string(status) +
               "\",\"+393351391306\",,\"24/05/01,12:30:00+00\"\r\nciao\r\n" + kOk;
    };
    const auto stored = [](ModemState& s) {
        s.storage.Put(1, {"+393351391306", "ciao", "24/05/01,12:30:00+00", false});
        s.storage.Put(20, {"Operator", "Hi", "24/05/01,12:30:00+00", false});
        s.storage.Put(3, {"10086", "a@b", "24/05/01,12:30:00+00", true});
        s.storage.Put(4, {"10010", "\xE4\xBD\xA0\xE5\xA5\xBD", "24/05/01,12:30:00+00", true, true});
    };
    const std::string header = "\r\n+CMGR: \"REC READ\",\"100";
    Answers("storage", With(Modem(), stored),
            {{"AT+CMGF=1;+CMGR=1\r", read("UNREAD")},
             {"AT+CMGR=1\r", read("READ")},
             {"AT+CSCS=\"UCS2\";+CMGR=20\r",
              "\r\n+CMGR: \"REC UNREAD\",\"004F00700065007200610074006F0072\",,"
              "\"24/05/01,12:30:00+00\"\r\n00480069\r\n" +
                  kOk},
             {"AT+CMGR=2\r", kOk},
             // The GSM alphabet: "@" is 0x00. A UCS2 message is hex whatever the character set;
             // the long header gives <tooa>,<fo>,<pid>,<dcs>,<sca>,<tosca>,<length>.
             {"AT+CSCS=\"GSM\";+CMGR=3\r",
              header + std::string("86\",,\"24/05/01,12:30:00+00\"\r\na\0b\r\n", 34) + kOk},
             {"AT+CSDH=1;+CMGR=4\r",
              header +
                  "10\",,\"24/05/01,12:30:00+00\",129,4,0,8,\"+447700900999\",145,4\r\n"
                  "4F60597D\r\n" +
                  kOk},
             {"AT+CMGR=0\r", "\r\n+CMS ERROR: 321\r\n"},
             {"AT+CMGR=21\r", "\r\n+CMS ERROR: 321\r\n"},
             {"AT+CMGR=x\r", "\r\n+CMS ERROR: 321\r\n"},
             {"AT+CMGD=1\r", kOk},
             {"AT+CMGD=1\r", kOk},
             {"AT+CMGD=21\r", "\r\n+CMS ERROR: 321\r\n"},
             {"AT+CMGD=1,5\r", kError},
             {"AT+CMGR=1\r", kOk}});
    const ModemState emptied =
        Answers("empty read error",
                With(Modem(false, true),
                     [&](ModemState& s) {
                         stored(s);
                         s.emptyReadError = true;
                     }),
                {{"AT+CMGR=2\r", "\r\n+CMS ERROR: 321\r\n"}, {"AT+CMGD=1,4\r", kOk}});
    EXPECT_TRUE(emptied.storage.Occupied().empty());
}

TEST(Session, SendingKeepsTheTextAsTyped) {
    ModemState state =
        Answers("with echo", Modem(true, true),
                {{"AT+CMGS=\"+39555\"\r\n", "AT+CMGS=\"+39555\"\r\r\n> "},  // the LF starts no text
                 {"line one\rline two\r\n\x1A", "line one\rline two\r\n\r\n+CMGS: 1\r\n" + kOk},
                 {"AT+CMGS=\"1\"\r", "AT+CMGS=\"1\"\r\r\n> "},
                 {"abc\x1B", "abc" + kOk}});  // ESC cancels, unechoed
    EXPECT_EQ(Sent(state), "+39555 line one\rline two\r\n;");

    state = Answers(
        "PDU, text, cancel, bounds", Modem(),
        {{"AT+CMGS=0\r", "\r\n+CMS ERROR: 304\r\n"},  // PDU mode: a length in octets
         {"AT+CMGS=3\r", "\r\n> "},
         {"0011AB\x1A", "\r\n+CMS ERROR: 304\r\n"},  // no SMS-SUBMIT
         {"AT+CMGS=23\r", "\r\n> "},
         {"0011000B916407281553F80000AA0AE8329BFD4697D9EC37\r\x1A", "\r\n+CMGS: 1\r\n" + kOk},
         {"AT+CMGF=1;+CMGS=\"123\"\r", "\r\n> "},
         {"never sent\x1B", kOk},
         {"AT+CMGS=\"123\"\r", "\r\n> "},
         {std::string(3000, 'w') + "\x1A", "\r\n+CMS ERROR: 305\r\n"},
         {"AT+CMGS=\"123\"\r", "\r\n> "},
         {"hello\r\n\x1A", "\r\n+CMGS: 2\r\n" + kOk},
         {"AT+CMGS=\"\"\r", "\r\n+CMS ERROR: 305\r\n"},
         {"AT+CMGS=123\r", "\r\n+CMS ERROR: 305\r\n"},
         {"AT+CMGS\r", kError},
         {"AT+CSCS=\"UCS2\";+CMGS=\"002B0031\"\r", "\r\n> "},
         {"00680069\r\n\x1A", "\r\n+CMGS: 3\r\n" + kOk},
         {"AT+CMGS=\"002B0031\"\r", "\r\n> "},
         {"0068006\x1A", "\r\n+CMS ERROR: 305\r\n"},
         // GSM codes in GSM mode; hex octets once AT+CSMP names UCS2.
         {"AT+CSCS=\"GSM\";+CMGS=\"1\"\r", "\r\n> "},
         {std::string("a\0b\x11\x1A", 5), "\r\n+CMGS: 4\r\n" + kOk},
         {"AT+CSMP=17,167,0,8;+CMGS=\"1\"\r", "\r\n> "},
         {"4F60597D\x1A", "\r\n+CMGS: 5\r\n" + kOk},
         {"AT+CMGS=\"1\"\r", "\r\n> "},
         {std::string(284, '0') + "\x1A", "\r\n+CMS ERROR: 305\r\n"}});
    EXPECT_EQ(Sent(state),
              "+46708251358 hellohello pdu;123 hello\r\n;+1 hi;1 a@b_;1 \xE4\xBD\xA0\xE5\xA5\xBD;");
}

// The reference runs 0..255 and round; the outbox keeps the latest messages only.
TEST(Session, ReferencesWrapAndTheOutboxIsBounded) {
    ModemState state = With(Modem(false, true), [](ModemState& s) { s.nextReference = 255; });
    ModemSession session;
    for (std::size_t i = 0; i < kOutboxLimit + 2; ++i) {
        session.Feed(state, "AT+CMGS=\"1\"\rx\x1A");
    }
    EXPECT_EQ(state.outbox.size(), kOutboxLimit);
    EXPECT_EQ(state.outbox.back().reference, (255 + kOutboxLimit + 1) % 256);
}

TEST(Session, FaultsRefuseOrSilenceTheModem) {
    const ModemState silent = With(Modem(true), [](ModemState& s) { s.faults.silent = true; });
    EXPECT_TRUE(Answers("silent", silent, {{"ATE0\r\nAT+CMGF=1\r\n", ""}}).settings.echo);
    Answers("ERROR to everything", With(Modem(), [](ModemState& s) { s.faults.errorAll = true; }),
            {{"AT\r", kError}, {"AT+CMGF=1\r", kError}, {"hi\r", ""}});
    Answers("ERROR to some commands",
            With(Modem(),
                 [](ModemState& s) {
                     s.faults.errorCommands = {"+CMGF", "D", "AT"};
                 }),
            {{"AT+CMGF=1\r", kError},
             {"AT+CLIP=1;+CMGF=1\r", kError},
             {"ATD123;\r", kError},
             {"AT\r", kError},
             {"AT+CLIP?\r", "\r\n+CLIP: 0,1\r\n" + kOk}});  // the refused line changed nothing
    const ModemState failing =
        With(Modem(false, true), [](ModemState& s) { s.faults.sendError = 500; });
    EXPECT_TRUE(Answers("send failure", failing,
                        {{"AT+CMGS=\"1\"\r", "\r\n> "}, {"y\x1A", "\r\n+CMS ERROR: 500\r\n"}})
                    .outbox.empty());
}

// Identification, the SIM, the radio and the network; +CME ERROR as AT+CMEE asks, while unknown
// commands stay ERROR; AT+CFUN takes the modem off the network and back.
TEST(Session, EquipmentAnswersAndErrorReports) {
    Answers("equipment", Modem(),
            {{"AT+CGMI;+CGMM;+CGMR;+GMI\r",
              "\r\nModemsim\r\n\r\nMS-1\r\n\r\nMS1.01.00\r\n\r\nModemsim\r\n" + kOk},
             {"ATI\r", "\r\nModemsim MS-1\r\n\r\nRevision: MS1.01.00\r\n" + kOk},
             {"ATI4\r", kError},
             {"AT+CIMI;+CPIN?\r", "\r\n001010123456789\r\n\r\n+CPIN: READY\r\n" + kOk},
             {"AT+CPIN=\"1234\"\r", kError},
             {"AT+CMEE=1;+CPIN=\"1234\"\r", "\r\n+CME ERROR: 3\r\n"},
             {"AT+CFUN=2\r", "\r\n+CME ERROR: 50\r\n"},
             {"AT+CMEE=2;+CFUN=5\r", "\r\n+CME ERROR: incorrect parameters\r\n"},
             {"AT+COPS=1,2,\"00101\"\r", "\r\n+CME ERROR: operation not supported\r\n"},
             {"AT+CMEE=3\r", "\r\n+CME ERROR: incorrect parameters\r\n"},
             {"AT+BOGUS\r", kError},
             {"AT+CMGF=2\r", kError},
             {"AT+CMEE?;+CSQ;+COPS?\r",
              "\r\n+CMEE: 2\r\n\r\n+CSQ: 24,99\r\n\r\n+COPS: 0,0,\"Modemsim Network\",0\r\n" + kOk},
             {"AT+CFUN=4;+CFUN?;+CSQ;+COPS?;+CREG?\r",
              "\r\n+CFUN: 4\r\n\r\n+CSQ: 99,99\r\n\r\n+COPS: 0\r\n\r\n+CREG: 0,0\r\n" + kOk},
             {"AT+CFUN=1;+COPS=3,2;+COPS?\r", "\r\n+COPS: 0,2,\"00101\",0\r\n" + kOk},
             // A reset restores the profile, echo included.
             {"AT+CFUN=1,1;+CMEE?\r", "\r\n+CMEE: 0\r\n" + kOk},
             {"AT+CMEE=1\r", "AT+CMEE=1\r" + kOk},
             {"ATZ\r", "ATZ\r" + kOk},
             {"AT+CPIN=\"0000\"\r", "AT+CPIN=\"0000\"\r" + kError}});
    // The IMEI's last digit is its Luhn check digit.
    ModemState state = Modem();
    ModemSession session;
    const std::string imei = Said(session, state, "AT+CGSN\r", false).substr(2, 15);
    int sum = 0;
    for (std::size_t i = 0; i < imei.size(); ++i) {
        const int digit = imei[imei.size() - 1 - i] - '0';
        sum += i % 2 == 0 ? digit : (digit * 2) % 10 + digit * 2 / 10;
    }
    EXPECT_EQ(imei.find_first_not_of("0123456789"), std::string::npos) << imei;
    EXPECT_EQ(sum % 10, 0) << imei;
}

// Both storages, chosen for reading and for receiving; listing by status in text and PDU mode,
// which marks messages read; and the announcement of a message that arrives in either.
TEST(Session, StoragesListingsAndIndications) {
    // mobilephonetechnology.co.uk, Format of SMS messages: the SMS-DELIVER of slot 2 (28 octets
    // after the centre's 8).
    const std::string known =
        "0791447758100650040C914477072143650000919092510312430AE8329BFD4697D9EC37";
    const auto stored = [](ModemState& s) {
        s.settings.scaNumber = "+447785016005";
        s.storage.Put(7, {"1", "x", "", false});
        s.storage.Put(2, {"+447770123456", "hellohello", "19/09/29,15:30:21+34", true});
        s.phoneStorage.Put(3, {"Bank", "hi", "", false});
    };
    const std::string cpms = "\r\n+CPMS: 2,20,2,20,2,20\r\n" + kOk;
    const std::string seven = DeliverPdu("+447785016005", {"1", "x", "", true}).hex;
    const ModemState state = Answers(
        "storages", With(Modem(), stored),
        {{"AT+CPMS?\r", "\r\n+CPMS: \"SM\",2,20,\"SM\",2,20,\"SM\",2,20\r\n" + kOk},
         {"AT+CPMS=?\r", "\r\n+CPMS: (\"SM\",\"ME\"),(\"SM\",\"ME\"),(\"SM\",\"ME\")\r\n" + kOk},
         {"AT+CPMS=\"SM\",\"sm\",\"SM\"\r", cpms},
         {"AT+CPMS=\"ME\",\"ME\"\r", "\r\n+CPMS: 1,20,1,20,2,20\r\n" + kOk},
         {"AT+CPMS?\r", "\r\n+CPMS: \"ME\",1,20,\"ME\",1,20,\"SM\",2,20\r\n" + kOk},
         {"AT+CMGF=1;+CMGL=\"ALL\"\r",
          "\r\n+CMGL: 3,\"REC UNREAD\",\"Bank\",,\"\"\r\nhi\r\n" + kOk},
         {"AT+CMGD=3;+CPMS=\"MT\"\r", "\r\n+CMS ERROR: 302\r\n"},
         {"AT+CPMS=SM\r", kError},
         {"AT+CPMS=\"SM\",\"SM\",\"SM\",\"SM\"\r", kError},
         {"AT+CSCS=\"UCS2\";+CPMS=\"0053004D\",,\"SM\"\r", "\r\n+CPMS: 2,20,0,20,2,20\r\n" + kOk},
         {"AT+CSCS=\"GSM\";+CSDH=1;+CMGL\r",
          "\r\n+CMGL: 7,\"REC UNREAD\",\"1\",,\"\",129,1\r\nx\r\n" + kOk},
         {"AT+CMGL=\"REC UNREAD\"\r", kOk},
         {"AT+CMGL=\"STO SENT\"\r", kOk},
         {"AT+CMGL=\"BOGUS\"\r", "\r\n+CMS ERROR: 305\r\n"},
         {"AT+CMGL=4\r", "\r\n+CMS ERROR: 305\r\n"},
         {"AT+CMGL=?\r",
          "\r\n+CMGL: (\"REC UNREAD\",\"REC READ\",\"STO UNSENT\",\"STO SENT\",\"ALL\")\r\n" + kOk},
         {"AT+CMGF=0;+CMGL=1\r",
          "\r\n+CMGL: 2,1,,28\r\n" + known + "\r\n+CMGL: 7,1,,15\r\n" + seven + "\r\n" + kOk},
         {"AT+CMGR=2\r", "\r\n+CMGR: 1,,28\r\n" + known + "\r\n" + kOk},
         {"AT+CMGL=5\r", "\r\n+CMS ERROR: 304\r\n"},
         {"AT+CMGL=\"ALL\"\r", "\r\n+CMS ERROR: 304\r\n"},
         {"AT+CMGL=?\r", "\r\n+CMGL: (0-4)\r\n" + kOk},
         {"AT+CNMI?\r", "\r\n+CNMI: 0,0,0,0,0\r\n" + kOk},
         {"AT+CNMI=2,1;+CNMI=,,2;+CNMI?\r", "\r\n+CNMI: 2,1,2,0,0\r\n" + kOk},
         {"AT+CNMI=4\r", kError},
         {"AT+CNMI=2,1,0,0,2\r", kError},
         {"AT+CNMI=?\r", "\r\n+CNMI: (0-3),(0-3),(0-3),(0-2),(0,1)\r\n" + kOk}});
    EXPECT_TRUE(state.phoneStorage.Occupied().empty());
    Settings settings = state.settings;
    EXPECT_EQ(NewMessageReport(settings, 3), "\r\n+CMTI: \"SM\",3\r\n");
    settings.memories[2] = Memory::kPhone;
    EXPECT_EQ(NewMessageReport(settings, 3), "\r\n+CMTI: \"ME\",3\r\n");
    settings.newMessageIndication = {0, 1, 0, 0, 0};
    EXPECT_EQ(NewMessageReport(settings, 3), "");
}

// A long text's parts read back with <fo> 68, <length> as the user data counts it (septets, fill
// included, or octets) and the user data's hex, whose header numbers the parts and whose text
// joins back to the whole; an escape pair or a surrogate pair is never cut in two.
TEST(LongMessages, PartsReadBackAsHeaderAndUserDataHex) {
    std::string alphabet, chinese;
    for (int i = 0; i < 400; ++i) {
        alphabet += static_cast<char>('a' + i % 26);
        chinese += i < 200 ? "\xE4\xBD\xA0" : "";
    }
    const std::string euro = "\xE2\x82\xAC", smile = "\xF0\x9F\x98\x80";
    const std::vector<std::tuple<std::string, bool, std::vector<std::size_t>>> cases = {
        {alphabet, false, {153, 153, 94}},
        {alphabet.substr(0, 152) + euro + alphabet.substr(0, 10), false, {152, 12}},
        {chinese, true, {67, 67, 66}},
        {alphabet.substr(0, 66) + smile + alphabet.substr(0, 10), true, {66, 12}},
        {alphabet.substr(0, 161), false, {153, 8}}};
    for (const auto& [text, ucs2, units] : cases) {
        SCOPED_TRACE(text.substr(0, 20));
        const std::vector<std::string> parts = SplitIntoParts(text, ucs2);
        ASSERT_EQ(parts.size(), units.size());
        ModemState state =
            With(Modem(false, true), [](ModemState& m) { m.settings.showHeader = true; });
        ModemSession session;
        std::u16string joined;
        const auto total = static_cast<std::uint8_t>(parts.size());
        for (std::uint8_t i = 1; i <= total; ++i) {
            const MessagePart part{7, false, total, i};
            state.storage.Put(i, {"1", parts[i - 1], "", false, ucs2, part});
            const std::string said =
                Said(session, state, "AT+CMGR=" + std::to_string(i) + "\r", false);
            const std::size_t eol = said.find("\r\n", 2);
            const std::string header = said.substr(0, eol);
            const std::string hex = said.substr(eol + 2, said.find('\r', eol + 2) - eol - 2);
            const std::size_t length = std::stoul(header.substr(header.rfind(',') + 1));
            EXPECT_NE(header.find(ucs2 ? ",68,0,8," : ",68,0,0,"), std::string::npos) << header;
            const std::u16string wide(hex.begin(), hex.end());
            EXPECT_EQ(wide.substr(0, 12), OctetsToHex(PartHeader(part)));
            const std::u16string share =
                ucs2 ? Ucs2HexToText(wide.substr(12)).value_or(u"")
                     : UnpackSeptets(HexToOctets(wide).value_or(std::vector<std::uint8_t>{}), 6,
                                     length - 7);
            EXPECT_EQ(share.size(), units[i - 1u]);
            EXPECT_EQ(length, ucs2 ? hex.size() / 2 : 7 + share.size());
            joined += ucs2 ? share : GsmToText(share);
        }
        EXPECT_EQ(platform::Utf16ToUtf8(joined), text);
    }
    EXPECT_EQ(SplitIntoParts(alphabet.substr(0, 160), false).size(), 1u);
    EXPECT_EQ(SplitIntoParts(chinese.substr(0, 70 * 3), true).size(), 1u);
    EXPECT_EQ(SplitIntoParts(std::string(255 * 153, 'a'), false).size(), 255u);
    EXPECT_TRUE(SplitIntoParts(std::string(255 * 153 + 1, 'a'), false).empty());
}

TEST(Unsolicited, RingWithCallerIdentification) {
    const std::string ring = "\r\nRING\r\n";
    for (const auto& [clip, number, expected] :
         std::vector<std::tuple<bool, std::string, std::string>>{
             {true, "+393351391306", ring + "\r\n+CLIP: \"+393351391306\",145,,,,0\r\n"},
             {true, "0612345", ring + "\r\n+CLIP: \"0612345\",129,,,,0\r\n"},
             {true, "", ring},  // withheld
             {false, "+393351391306", ring}}) {
        ModemState state = Modem();
        state.settings.clip = clip;
        state.call.number = number;
        EXPECT_EQ(RingText(state), expected) << number << clip;
    }
    ModemState cring = Modem();
    cring.settings.cring = true;
    EXPECT_EQ(RingText(cring), "\r\n+CRING: VOICE\r\n");
}

// Each call profile's row as it comes on (its AT+CVHU mode), with the next dial made to fail.
// A hang-up that ends a call is followed by what the family says of it (written apart from the OK
// on the line); any byte aborts a dial still being placed, the LF of its CR LF aside, so "ATH"
// there is "TH", no command and no OK.
TEST(CallProfiles, HangUpsAbortsAndFailuresByRow) {
    const std::string huaweiDial = kOk + "\r\n^ORIG: 1,0\r\n\r\n^CONF: 1\r\n";
    const std::string ended = "\r\n^CEND: 1,0,104,16\r\n";
    const struct {
        CallProfile profile;
        std::optional<DialFailure> fails;
        std::vector<Step> steps;
    } rows[] = {
        {CallProfile::kStandard,
         {},
         {{"AT+CVHU?;+CVHU=?\r", "\r\n+CVHU: 0\r\n\r\n+CVHU: (0-2)\r\n" + kOk},
          {"AT+CVHU=3\r", kError},
          {"AT+CVHU=1\r", kOk},
          {"ATD1;\r", kOk},
          {"ATH\r", kOk},
          {"ATD2;\r", kError},  // the call went on
          {"AT+CVHU=2;H\r", kOk},
          {"ATD2;\r", kOk}}},
        {CallProfile::kHuaweiCvhu1,
         {},
         {{"AT+CVHU?\r", "\r\n+CVHU: 1\r\n" + kOk},
          {"ATD1;\r", huaweiDial},
          {"ATH\r", kOk},
          {"AT+CHUP\r", kOk + ended}}},
        {CallProfile::kHuawei,
         {},
         {{"ATD1;\r", huaweiDial}, {"ATH\r", kOk + ended}, {"ATH\r", kOk}}},
        {CallProfile::kSimcom,
         {},
         {{"ATD1;\r", kOk}, {"AT+CHUP\r", kOk + "\r\nVOICE CALL: END: 000000\r\n"}}},
        {CallProfile::kZte,
         {},
         {{"ATD1;\r\n", ""},
          {"ATH\r\n", kNoCarrier},
          {"ATD1;\r", ""},
          {"\r", kNoCarrier},
          {"AT\r", kOk}}},
        {CallProfile::kStandard,
         DialFailure::kBusy,
         {{"ATD1;\r", kOk + "\r\nBUSY\r\n"}, {"ATD1;\r", kOk}}},
        {CallProfile::kHuawei,
         DialFailure::kNoAnswer,
         {{"ATD1;\r", kOk + "\r\n^CEND: 1,0,104,19\r\n"}}},
        {CallProfile::kZte, DialFailure::kBusy, {{"ATD1;\r", "\r\nBUSY\r\n"}, {"ATD1;\r", ""}}},
    };
    for (const auto& row : rows) {
        ModemState state = Modem();
        state.callProfile = row.profile;
        PowerOn(state);
        state.settings.echo = false;
        state.faults.nextDialFails = row.fails;
        Answers(ReportsOf(row.profile).name, state, row.steps);
    }
}

// A modem of the family, as it comes on: the row's storages and power-on values.
ModemState Family(SmsProfile profile, bool textMode = false) {
    ModemState state = Modem(false, textMode);
    EXPECT_TRUE(UseSmsProfile(state, profile));
    PowerOn(state);
    state.settings.echo = false;
    state.settings.textMode = textMode;
    return state;
}

const StoredSms kHello{"+393351391306", "hello", "24/05/01,12:30:00+00"};

std::string CmsError(int code) {
    return "\r\n+CMS ERROR: " + std::to_string(code) + "\r\n";
}

// Each family numbers and sizes its storages as its row says: +CMTI names <mem3> and the first
// slot's index, AT+CPMS counts and totals, AT+CMGD=? gives the range and AT+CMGR refuses past it;
// AT+CPMS with one name changes only <mem1>.
TEST(SmsProfiles, StoragesAreNumberedAndSizedByTheRow) {
    const struct {
        SmsProfile profile;
        const char *cmti, *cpms, *range, *past, *chooseMe;
    } rows[] = {
        {SmsProfile::kStandard, "\"SM\",1", "\"SM\",1,20,\"SM\",1,20,\"SM\",1,20", "1-20", "21",
         "0,20,1,20,1,20"},
        {SmsProfile::kZeroBased, "\"SM\",0", "\"SM\",1,20,\"SM\",1,20,\"SM\",1,20", "0-19", "20",
         "0,20,1,20,1,20"},
        {SmsProfile::kArriveInPhone, "\"ME\",0", "\"SM\",0,20,\"SM\",0,20,\"ME\",1,25", "0-19",
         "20", "1,25,0,20,1,25"},
        {SmsProfile::kReadFromPhone, "\"SM\",1", "\"ME\",0,25,\"ME\",0,25,\"SM\",1,20", "1-25",
         "26", "0,25,0,25,1,20"},
    };
    for (const auto& row : rows) {
        ModemState state = Family(row.profile);
        state.settings.newMessageIndication = {2, 1, 0, 0, 0};
        EXPECT_EQ(StoreArrival(state, ReceivingStorage(state).First(), kHello),
                  "\r\n+CMTI: " + std::string(row.cmti) + "\r\n");
        Answers(HabitsOf(row.profile).name, state,
                {{"AT+CPMS?\r", "\r\n+CPMS: " + std::string(row.cpms) + "\r\n" + kOk},
                 {"AT+CMGD=?\r", "\r\n+CMGD: (" + std::string(row.range) + "),(0-4)\r\n" + kOk},
                 {"AT+CMGR=" + std::string(row.past) + "\r", CmsError(kInvalidIndex)},
                 {"AT+CMGD=" + std::string(row.past) + "\r", CmsError(kInvalidIndex)},
                 {"AT+CMGR=-1\r", CmsError(kInvalidIndex)},
                 {"AT+CPMS=\"ME\"\r", "\r\n+CPMS: " + std::string(row.chooseMe) + "\r\n" + kOk}});
    }
    // Another family keeps each message in its place, and is refused where one would be lost.
    ModemState state = Family(SmsProfile::kReadFromPhone);
    state.storage.Put(20, kHello);
    state.phoneStorage.Put(25, kHello);
    EXPECT_FALSE(UseSmsProfile(state, SmsProfile::kZeroBased));
    EXPECT_EQ(state.smsProfile, SmsProfile::kReadFromPhone);
    state.phoneStorage.Erase(25);
    ASSERT_TRUE(UseSmsProfile(state, SmsProfile::kZeroBased));
    EXPECT_NE(state.storage.Find(19), nullptr);
    EXPECT_EQ(state.settings.memories[0], Memory::kSim);
}

// Power-on values and the refusals that come once: after each power-on for a busy SIM, per
// message for a delete, until a program sets AT+CSMP for a scheme left at UCS2; fixed indications
// for good.
TEST(SmsProfiles, PowerOnValuesAndOneTimeRefusals) {
    for (const auto& [profile, cnmi] : {std::pair{SmsProfile::kRouted, "2,2,0,0,0"},
                                        std::pair{SmsProfile::kNoIndications, "0,0,0,0,0"}}) {
        const std::string now = "\r\n+CNMI: " + std::string(cnmi) + "\r\n" + kOk;
        Answers(HabitsOf(profile).name, Family(profile),
                {{"AT+CNMI?\r", now},
                 {"AT+CNMI=2,1,0,0,0\r", CmsError(kOperationNotSupported)},
                 {"AT+CNMI=,2\r", CmsError(kOperationNotSupported)},
                 {"AT+CNMI?\r", now}});
    }
    const auto read = [](const char* status) {
        return "\r\n+CMGR: \"REC " + std::string(status) +
               "\",\"+393351391306\",,\"24/05/01,12:30:00+00\"\r\nhello\r\n" + kOk;
    };
    ModemState state = Answers(
        "sim busy",
        With(Family(SmsProfile::kSimBusy, true), [](ModemState& s) { s.storage.Put(1, kHello); }),
        {{"AT+CMGL=\"ALL\"\r", CmsError(kSimBusy)}, {"AT+CMGR=1\r", read("UNREAD")}});
    PowerOn(state);
    Answers("sim busy after power-on", With(state, [](ModemState& s) { s.settings.echo = false; }),
            {{"AT+CMGF=1;+CMGR=1\r", CmsError(kSimBusy)}, {"AT+CMGR=1\r", read("READ")}});
    const ModemState emptied =
        Answers("delete twice",
                With(Family(SmsProfile::kDeleteTwice),
                     [](ModemState& s) {
                         s.storage.Put(1, kHello);
                         s.storage.Put(2, kHello);
                     }),
                {{"AT+CMGD=3\r", kOk},
                 {"AT+CMGD=1\r", CmsError(kUnknownError)},
                 {"AT+CMGD=1\r", kOk},
                 {"AT+CMGD=1,4\r", CmsError(kUnknownError)},  // slot 2 was never refused
                 {"AT+CMGD=1,4\r", kOk}});
    EXPECT_TRUE(emptied.storage.Occupied().empty());
    state = Answers("scheme left at UCS2", Family(SmsProfile::kUcs2Scheme, true),
                    {{"AT+CSMP?\r", "\r\n+CSMP: 17,167,0,8\r\n" + kOk},
                     {"AT+CMGS=\"1\"\r", "\r\n> "},
                     {"hello\x1A", CmsError(kInvalidPduParameter)},
                     {"AT+CSMP=17,167,0,0;+CMGS=\"1\"\r", "\r\n> "},
                     {"hello\x1A", "\r\n+CMGS: 1\r\n" + kOk}});
    PowerOn(state);
    EXPECT_EQ(state.settings.codingScheme, 8);
}

// GSM text is no UCS2 hex under <dcs> 8, whatever the family; a late prompt already takes the
// text, which ESC cancels, and the modem then takes commands.
TEST(SmsProfiles, TextEntryUnderEveryRow) {
    for (int row = 0; row <= static_cast<int>(SmsProfile::kUcs2Scheme); ++row) {
        const auto profile = static_cast<SmsProfile>(row);
        Answers(HabitsOf(profile).name, Family(profile, true),
                {{"AT+CSMP=,,,8;+CMGS=\"1\"\r", "\r\n> "},
                 {"hello\r\n\x1A", CmsError(kInvalidPduParameter)},
                 {"AT+CMGS=\"1\"\r", "\r\n> "},
                 {"AT\r", ""},  // a terminal tired of waiting types into the message
                 {"\x1B", kOk},
                 {"AT\r", kOk}});
    }
    ModemState state = Family(SmsProfile::kLatePrompt, true);
    ModemSession session;
    const std::vector<Output> out = session.Feed(state, "AT+CMGS=\"1\"\r");
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].kind, OutputKind::kPrompt);
    EXPECT_EQ(HabitsOf(state.smsProfile).promptDelayMs, 3000);
}

// +CMT as AT+CMGR without the status: short and long header, UCS2 as hex, PDU with its length.
// Routed only with <mt> 2 and a <mode> that does not keep reports in the module.
TEST(SmsProfiles, RoutedMessagesAreFramedAsCmt) {
    const StoredSms ucs2{"10010", "\xE4\xBD\xA0\xE5\xA5\xBD", "24/05/01,12:30:00+00", false, true};
    const std::string origin = "\"+393351391306\",,\"24/05/01,12:30:00+00\"";
    const Pdu pdu = DeliverPdu("+447700900999", kHello);
    const struct {
        bool textMode, longHeader;
        StoredSms sms;
        std::string expected;
    } cases[] = {
        {true, false, kHello, "\r\n+CMT: " + origin + "\r\nhello\r\n"},
        {true, true, kHello,
         "\r\n+CMT: " + origin + ",145,4,0,0,\"+447700900999\",145,5\r\nhello\r\n"},
        {true, true, ucs2,
         "\r\n+CMT: \"10010\",,\"24/05/01,12:30:00+00\",129,4,0,8,\"+447700900999\",145,4\r\n"
         "4F60597D\r\n"},
        {false, false, kHello,
         "\r\n+CMT: ," + std::to_string(pdu.tpduOctets) + "\r\n" + pdu.hex + "\r\n"},
    };
    for (const auto& c : cases) {
        ModemState state = Family(SmsProfile::kRouted, c.textMode);
        state.settings.showHeader = c.longHeader;
        EXPECT_EQ(RouteArrival(state, c.sms, false).report, c.expected);
    }
    const std::pair<std::array<int, 5>, bool> indications[] = {{{2, 2, 0, 0, 0}, true},
                                                               {{1, 2, 0, 0, 0}, true},
                                                               {{0, 2, 0, 0, 0}, false},
                                                               {{2, 1, 0, 0, 0}, false},
                                                               {{2, 3, 0, 0, 0}, false}};
    for (const auto& [cnmi, routes] : indications) {
        Settings settings;
        settings.newMessageIndication = cnmi;
        EXPECT_EQ(RoutesToTerminal(settings), routes) << cnmi[0] << cnmi[1];
    }
}

// Service 0 acknowledges by itself: AT+CNMA has nothing to do. Service 1 has each +CMT wait for
// AT+CNMA, oldest first; the network tries one left unacknowledged once more, then gives up.
TEST(SmsProfiles, ServiceOneWaitsForAcknowledgement) {
    ModemState state = Answers("service", Family(SmsProfile::kRouted, true),
                               {{"AT+CSMS?\r", "\r\n+CSMS: 0,1,1,1\r\n" + kOk},
                                {"AT+CSMS=?\r", "\r\n+CSMS: (0,1)\r\n" + kOk},
                                {"AT+CNMA\r", CmsError(kNoAckExpected)},
                                {"AT+CSMS=2\r", kError},
                                {"AT+CSMS=1\r", "\r\n+CSMS: 1,1,1\r\n" + kOk},
                                {"AT+CNMA\r", CmsError(kNoAckExpected)}});
    const auto first = RouteArrival(state, kHello, false).awaitsAck;
    const auto second = RouteArrival(state, kHello, false).awaitsAck;
    ASSERT_TRUE(first && second);
    ModemSession session;
    EXPECT_EQ(Said(session, state, "AT+CNMA\r", false), kOk);
    EXPECT_FALSE(TakeUnacknowledged(state, *first));
    ASSERT_TRUE(TakeUnacknowledged(state, *second));
    const auto again = RouteArrival(state, kHello, true).awaitsAck;
    ASSERT_TRUE(again);
    EXPECT_FALSE(TakeUnacknowledged(state, *again));
    EXPECT_EQ(Said(session, state, "AT+CNMA\r", false), CmsError(kNoAckExpected));
    PowerOn(state);
    EXPECT_EQ(state.settings.messageService, 0);
    EXPECT_FALSE(RouteArrival(state, kHello, false).awaitsAck);
}

std::string CmeError(const std::string& code) {
    return "\r\n+CME ERROR: " + code + "\r\n";
}

// A SIM that asks for its PIN: the message service answers +CMS ERROR, the SIM's, call and network
// commands +CME ERROR, the terminal's own settings nothing, until the right PIN, after which the
// module reads the SIM before it is ready. Three wrong PINs block it for a PUK that this modem
// cannot take. Power-on locks it again and keeps the tries left.
TEST(Sim, PinTriesAndWhatALockedSimRefuses) {
    const auto locked = [](ModemState& s) {
        s.sim.pin = "1234";
        s.bootProfile = BootProfile::kSimcom;
        s.settings.errorMode = 1;
    };
    const std::string pinTries = "\r\n+CPINR: SIM PIN,2,3\r\n";
    ModemState state =
        Answers("pin", With(Modem(), locked),
                {{"AT+CPIN?\r", "\r\n+CPIN: SIM PIN\r\n" + kOk},
                 {"AT+CMGF=1;+CSCS=\"GSM\";+CSMP=17,167,0,0;+CLIP=1\r", kOk},
                 {"AT+CMGL=\"ALL\"\r", CmsError(kSimPinRequired)},
                 {"AT+CSCA?\r", CmsError(kSimPinRequired)},
                 {"AT+CNMI=2,1\r", CmsError(kSimPinRequired)},
                 {"ATD123;\r", CmeError("11")},
                 {"AT+CIMI\r", CmeError("11")},
                 {"AT+COPS?\r", CmeError("11")},
                 {"AT+CPIN=\"0000\"\r", CmeError("16")},
                 {"AT+CPINR\r", pinTries + "\r\n+CPINR: SIM PUK,10,10\r\n" + kOk},
                 {"AT+CPINR=\"*PIN\";+CPINR=\"PH-*\"\r", pinTries + kOk},
                 {"AT+CPINR=SIM\r", CmeError("50")},
                 {"AT+CPIN=\"1234\";+CPIN?\r", kError + "\r\n+CPIN: READY\r\n"},  // reading the SIM
                 {"AT+CPIN=\"1234\"\r", kError}});
    EXPECT_EQ(FinishStartUp(state, state.startUp.generation),
              "\r\nCall Ready\r\n\r\nSMS Ready\r\n");
    state = Answers("unlocked", state,
                    {{"AT+CPIN?;+CMGL=\"ALL\"\r", "\r\n+CPIN: READY\r\n" + kOk},
                     {"AT+CPIN=\"1234\"\r", CmeError("3")},
                     {"AT+CPINR=\"SIM PIN\"\r", "\r\n+CPINR: SIM PIN,3,3\r\n" + kOk}});
    PowerOn(state);
    EXPECT_EQ(StatusOf(state.sim), SimStatus::kPin);

    state = Answers("blocked", With(Modem(), locked),
                    {{"AT+CPIN=\"1111\"\r", CmeError("16")},
                     {"AT+CPIN=\"2222\"\r", CmeError("16")},
                     {"AT+CPIN=\"3333\"\r", CmeError("16")},
                     {"AT+CPIN?;+CPINR=\"SIM PIN\"\r",
                      "\r\n+CPIN: SIM PUK\r\n\r\n+CPINR: SIM PIN,0,3\r\n" + kOk},
                     {"AT+CMGR=1\r", CmsError(kSimPukRequired)},
                     {"ATD1;\r", CmeError("12")},
                     {"AT+CPIN=\"1234\"\r", CmeError("12")},
                     {"AT+CPIN=\"12345678\",\"1234\"\r", CmeError("4")},
                     {"AT+CPIN\r", kError}});
    PowerOn(state);
    EXPECT_EQ(StatusOf(state.sim), SimStatus::kPuk);
}

// The +CME ERROR of a SIM as each AT+CMEE mode shows it, +CMS ERROR a number in every mode; a
// missing SIM answers 10 and 310.
TEST(Sim, ErrorsAsAtCmeeShowsThem) {
    const struct {
        bool inserted;
        int mode;
        const char* typed;
        std::string said;
    } rows[] = {
        {true, 0, "ATD1;", kError},
        {true, 1, "ATD1;", CmeError("11")},
        {true, 2, "ATD1;", CmeError("SIM PIN required")},
        {true, 2, "AT+CPIN=\"0\"", CmeError("incorrect password")},
        {true, 0, "AT+CMGS=\"1\"", CmsError(kSimPinRequired)},
        {false, 0, "AT+CPIN?", kError},
        {false, 1, "AT+CPIN?", CmeError("10")},
        {false, 2, "AT+CIMI", CmeError("SIM not inserted")},
        {false, 1, "AT+CPINR", CmeError("10")},
        {false, 1, "AT+CPIN=\"1234\"", CmeError("10")},
        {false, 2, "AT+CMGR=1", CmsError(kSimNotInserted)},
    };
    for (const auto& row : rows) {
        ModemState state = Modem();
        state.sim = {row.inserted, "1234"};
        state.settings.errorMode = row.mode;
        Answers(row.typed, state, {{std::string(row.typed) + "\r", row.said}});
    }
}

// Each row's power-on line, its refusal while starting up (of the SIM's commands too) and its
// lines once started; a locked SIM holds the "ready" lines back, a missing one says so; a
// start-up that has ended, or that a later one has overtaken, says nothing.
TEST(StartUp, EachRowRefusesThenSaysItsLines) {
    const std::string cpin = "\r\n+CPIN: READY\r\n";
    const struct {
        BootProfile profile;
        std::string powerOn, started, refusal;
    } rows[] = {
        {BootProfile::kSilent, "", "", kError},
        {BootProfile::kSimcom, "\r\nRDY\r\n",
         "\r\n+CFUN: 1\r\n" + cpin + "\r\nCall Ready\r\n\r\nSMS Ready\r\n", kError},
        {BootProfile::kSimcomA76, "\r\n*ATREADY: 1\r\n", cpin + "\r\nSMS DONE\r\n\r\nPB DONE\r\n",
         kError},
        {BootProfile::kQuectel, "\r\nRDY\r\n", cpin, kError},
        {BootProfile::kHuawei, "", "", CmeError("14")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(BootOf(row.profile).name);
        ModemState state = With(Modem(), [&](ModemState& s) { s.bootProfile = row.profile; });
        PowerOn(state);
        state.settings.echo = false;
        state.settings.errorMode = 1;
        EXPECT_EQ(BeginBoot(state), row.powerOn);
        const std::uint64_t boot = state.startUp.generation;
        state = Answers(BootOf(row.profile).name, state,
                        {{"AT;+CSQ;+CGMI\r", "\r\n+CSQ: 24,99\r\n\r\nModemsim\r\n" + kOk},
                         {"AT+CMGF=1\r", row.refusal},
                         {"AT+CLIP?\r", row.refusal},
                         {"AT+CPIN?\r", row.refusal},
                         {"AT+CPMS?\r", row.refusal}});
        EXPECT_EQ(FinishStartUp(state, boot - 1), "");
        EXPECT_EQ(FinishStartUp(state, boot), row.started);
        EXPECT_EQ(FinishStartUp(state, boot), "");
        Answers("started", state, {{"AT+CMGF=1\r", kOk}});
    }
    ModemState state = With(Modem(), [](ModemState& s) {
        s.bootProfile = BootProfile::kSimcom;
        s.sim.pin = "1234";
    });
    BeginBoot(state);
    EXPECT_EQ(FinishStartUp(state, state.startUp.generation),
              "\r\n+CFUN: 1\r\n\r\n+CPIN: SIM PIN\r\n");
    state.sim.inserted = false;
    BeginBoot(state);
    EXPECT_EQ(FinishStartUp(state, state.startUp.generation),
              "\r\n+CFUN: 1\r\n\r\n+CPIN: NOT INSERTED\r\n");
}

// A line or message text half-typed when the power goes is gone: the next line is a command.
TEST(StartUp, HalfTypedTextDiesWithThePower) {
    ModemState state = Modem(false, true);
    ModemSession session;
    EXPECT_EQ(Said(session, state, "AT+CMGS=\"1\"\rhalf a te", false), "\r\n> ");
    PowerOn(state);
    state.settings.echo = false;
    EXPECT_EQ(Said(session, state, "AT\r", false), kOk);
    EXPECT_TRUE(state.outbox.empty());
}

}  // namespace
