// What the modem answers, without a pseudo-terminal: scripts of (bytes typed, bytes answered) run
// on a ModemSession and its state. Every script runs twice, as typed and byte by byte, because the
// answers must not depend on how the terminal's reads are chunked.

#include <gtest/gtest.h>

#include <functional>

#include "modemsim/at/modem_session.h"
#include "modemsim/at/reply.h"

namespace {

using namespace modemsim;

struct Step {
    std::string typed;
    std::string said;
};

struct Script {
    const char* name;
    std::function<void(ModemState&)> setUp;
    std::vector<Step> steps;
};

void EchoOff(ModemState& state) {
    state.settings.echo = false;
}
void TextMode(ModemState& state) {
    state.settings.echo = false;
    state.settings.textMode = true;
}

std::string Said(ModemSession& session, ModemState& state, const std::string& typed, bool split) {
    std::string said;
    for (std::size_t pos = 0; pos < typed.size(); pos += split ? 1 : typed.size()) {
        for (const Output& output :
             session.Feed(state, typed.substr(pos, split ? 1 : typed.size()))) {
            said += output.bytes;
        }
    }
    return said;
}

// The state after the script, as typed.
ModemState RunScript(const Script& script) {
    ModemState result;
    for (const bool split : {true, false}) {
        ModemState state;
        if (script.setUp) {
            script.setUp(state);
        }
        ModemSession session;
        for (const Step& step : script.steps) {
            SCOPED_TRACE(testing::Message() << script.name << (split ? ", byte by byte" : "")
                                            << ", typed: " << step.typed.substr(0, 40));
            EXPECT_EQ(Said(session, state, step.typed, split), step.said);
        }
        result = state;
    }
    return result;
}

TEST(Session, CommandsAndTheirAnswers) {
    const std::string atBound = "AT" + std::string(510, ' ') + "\r";
    const std::vector<Script> scripts = {
        {"echo as typed, verbose codes",
         nullptr,
         {{"AT\r\n", "AT\r\r\nOK\r\n"},
          {"at\r", "at\r\r\nOK\r\n"},
          {"aT+cmgf?\r\n", "aT+cmgf?\r\r\n+CMGF: 0\r\n\r\nOK\r\n"},
          {"hello\r\n", "hello\r"},              // echoed, never answered
          {"A\nX\bT\r", "A\nX\bT\r\r\nOK\r\n"},  // a stray LF is no part of the line
          {"ATE0\r\n", "ATE0\r\r\nOK\r\n"},
          {"AT\r\n", "\r\nOK\r\n"},
          {"ATE2\r\n", "\r\nERROR\r\n"},
          {"ATZ\r\n", "\r\nOK\r\n"},  // restores echo
          {"AT\r", "AT\r\r\nOK\r\n"}}},
        {"settings read, test and reject",
         EchoOff,
         {{"AT+CMGF=1\r\n", "\r\nOK\r\n"},
          {"AT+CMGF?\r\n", "\r\n+CMGF: 1\r\n\r\nOK\r\n"},
          {"AT+CMGF=?\r\n", "\r\n+CMGF: (0,1)\r\n\r\nOK\r\n"},
          {"AT+CMGF=2\r\n", "\r\nERROR\r\n"},
          {"AT+CSCS=\"UCS2\";+CSCS?\r\n", "\r\n+CSCS: \"UCS2\"\r\n\r\nOK\r\n"},
          {"AT+CSCS=\"LATIN9\"\r\n", "\r\nERROR\r\n"},
          {"AT+CSCS=GSM\r\n", "\r\nERROR\r\n"},
          {"AT+CSCS=\"gsm\"\r\n", "\r\nOK\r\n"},
          {"AT+CLIP=1;+CLIP?\r\n", "\r\n+CLIP: 1,1\r\n\r\nOK\r\n"},
          {"AT+CLIP=3\r\n", "\r\nERROR\r\n"},
          {"AT+IPR=12345\r\n", "\r\nERROR\r\n"},
          {"AT+IPR=9600;+IPR?\r\n", "\r\n+IPR: 9600\r\n\r\nOK\r\n"},
          {"AT+CREG=1;+CREG?\r\n", "\r\n+CREG: 1,1\r\n\r\nOK\r\n"},
          {"AT+CREG=2;+CREG?\r\n", "\r\n+CREG: 2,1,\"00A1\",\"1B2C\"\r\n\r\nOK\r\n"},
          {"AT+CREG=3\r\n", "\r\nERROR\r\n"},
          {"AT+CGMI\r\n", "\r\nERROR\r\n"},
          {"AT+CHUP=?\r\n", "\r\nOK\r\n"},
          {"AT+CMGF?;+BOGUS;+CMGF=0\r\n", "\r\n+CMGF: 1\r\n\r\nERROR\r\n"},  // stops there
          {"AT+CMGF?\r\n", "\r\n+CMGF: 1\r\n\r\nOK\r\n"}}},
        {"service centre forms",
         EchoOff,
         {{"AT+CSCA=\"+8613800200500\",145;+CSCA?\r",
           "\r\n+CSCA: \"+8613800200500\",145\r\n\r\nOK\r\n"},
          {"AT+CSCA=+8613800200501,145;+CSCA?\r",
           "\r\n+CSCA: \"+8613800200501\",145\r\n\r\nOK\r\n"},
          {"AT+CSCA=\"0123\";+CSCA?\r", "\r\n+CSCA: \"0123\",129\r\n\r\nOK\r\n"},
          {"AT+CSCA=\"+86\",145,145\r", "\r\nERROR\r\n"},
          {"AT+CSCA=\"+86abc\",145\r", "\r\nERROR\r\n"},
          {"AT+CSCA=\"+86\",99\r", "\r\nERROR\r\n"},
          {"AT+CSCA=\"\"\r", "\r\nERROR\r\n"},
          {"AT+CSCS=\"UCS2\";+CSCA?\r", "\r\n+CSCA: \"0030003100320033\",129\r\n\r\nOK\r\n"},
          {"AT+CSCA=\"002B0039\",145\r", "\r\nOK\r\n"},
          {"AT+CSCS=\"IRA\";+CSCA?\r", "\r\n+CSCA: \"+9\",145\r\n\r\nOK\r\n"}}},
        {"bad bytes and overlong lines change nothing",
         EchoOff,
         {{"AT+CMGF=1\r\n", "\r\nOK\r\n"},
          {atBound, "\r\nOK\r\n"},
          {"X" + atBound, "\r\nERROR\r\n"},
          {"AT+CMGF=\x01\r\n", "\r\nERROR\r\n"},
          {"\xFF\xFE\r\n", ""},
          {std::string("AT\0\r\n", 5), "\r\nERROR\r\n"},
          {std::string(20000, 'A') + "\r\nAT\r\n", "\r\nERROR\r\n\r\nOK\r\n"},
          {"AT+CMGF?\r\n", "\r\n+CMGF: 1\r\n\r\nOK\r\n"}}},
        {"calls",
         EchoOff,
         {{"ATA\r", "\r\nNO CARRIER\r\n"},
          {"ATD123\r", "\r\nNO CARRIER\r\n"},  // a data call
          {"ATD;\r", "\r\nERROR\r\n"},
          {"ATDx1;\r", "\r\nERROR\r\n"},
          {"ATD+39 02 1234;\r", "\r\nOK\r\n"},
          {"ATD456;\r", "\r\nERROR\r\n"},  // already in a call
          {"ATH1\r", "\r\nERROR\r\n"},
          {"ATH0\r", "\r\nOK\r\n"},
          {"ATD456;\r", "\r\nOK\r\n"},
          {"AT+CHUP\r", "\r\nOK\r\n"},
          {"ATH\r", "\r\nOK\r\n"}}},
        {"an incoming call is answered",
         [](ModemState& state) {
             EchoOff(state);
             state.call.phase = CallPhase::kRinging;
         },
         {{"ATA\r", "\r\nOK\r\n"}, {"ATA\r", "\r\nNO CARRIER\r\n"}}},
    };
    for (const Script& script : scripts) {
        RunScript(script);
    }
}

TEST(Session, CallStateFollowsTheCommands) {
    ModemState state = RunScript({"dial", EchoOff, {{"ATD+39 02 1234;\r", "\r\nOK\r\n"}}});
    EXPECT_EQ(state.call.phase, CallPhase::kActive);
    EXPECT_EQ(state.call.number, "+39021234");
    const std::uint64_t generation = state.call.generation;
    ModemSession session;
    session.Feed(state, "ATH\r");
    EXPECT_EQ(state.call.phase, CallPhase::kIdle);
    EXPECT_GT(state.call.generation, generation);  // a RING tick of the old call stops
}

void TwoMessages(ModemState& state) {
    EchoOff(state);
    state.storage.Put(1, {"+393351391306", "ciao", "24/05/01,12:30:00+00", false});
    state.storage.Put(20, {"Operator", "Hi", "24/05/01,12:30:00+00", false});
}

TEST(Session, ReadingMarksReadAndDeletingEmpties) {
    const auto read = [&](const char* status) {
        return "\r\n+CMGR: \"REC " + std::string(status) +
               "\",\"+393351391306\",,\"24/05/01,12:30:00+00\"\r\nciao\r\n\r\nOK\r\n";
    };
    RunScript({"storage",
               TwoMessages,
               {{"AT+CMGR=1\r", "\r\n+CMS ERROR: 303\r\n"},  // PDU mode first
                {"AT+CMGF=1\r", "\r\nOK\r\n"},
                {"AT+CMGR=1\r", read("UNREAD")},
                {"AT+CMGR=1\r", read("READ")},
                {"AT+CSCS=\"UCS2\";+CMGR=20\r",
                 "\r\n+CMGR: \"REC UNREAD\",\"004F00700065007200610074006F0072\",,"
                 "\"24/05/01,12:30:00+00\"\r\n00480069\r\n\r\nOK\r\n"},
                {"AT+CMGR=2\r", "\r\nOK\r\n"},
                {"AT+CMGR=0\r", "\r\n+CMS ERROR: 321\r\n"},
                {"AT+CMGR=21\r", "\r\n+CMS ERROR: 321\r\n"},
                {"AT+CMGR=x\r", "\r\n+CMS ERROR: 321\r\n"},
                {"AT+CMGD=1\r", "\r\nOK\r\n"},
                {"AT+CMGD=1\r", "\r\nOK\r\n"},
                {"AT+CMGD=21\r", "\r\n+CMS ERROR: 321\r\n"},
                {"AT+CMGD=1,5\r", "\r\nERROR\r\n"},
                {"AT+CMGR=1\r", "\r\nOK\r\n"}}});
    const ModemState state =
        RunScript({"empty read error",
                   [](ModemState& s) {
                       TwoMessages(s);
                       s.settings.textMode = true;
                       s.emptyReadError = true;
                   },
                   {{"AT+CMGR=2\r", "\r\n+CMS ERROR: 321\r\n"}, {"AT+CMGD=1,4\r", "\r\nOK\r\n"}}});
    EXPECT_TRUE(state.storage.Occupied().empty());
}

TEST(Session, SendingKeepsTheTextAsTyped) {
    ModemState state = RunScript(
        {"with echo",
         [](ModemState& s) { s.settings.textMode = true; },
         {{"AT+CMGS=\"+39555\"\r\n", "AT+CMGS=\"+39555\"\r\r\n> "},  // the LF starts no text
          {"line one\rline two\r\n\x1A", "line one\rline two\r\n\r\n+CMGS: 1\r\n\r\nOK\r\n"},
          {"AT+CMGS=\"1\"\r", "AT+CMGS=\"1\"\r\r\n> "},
          {"abc\x1B", "abc\r\nOK\r\n"}}});  // ESC cancels, unechoed
    ASSERT_EQ(state.outbox.size(), 1u);
    EXPECT_EQ(state.outbox[0].destination, "+39555");
    EXPECT_EQ(state.outbox[0].text, "line one\rline two\r\n");

    const std::string flood = std::string(3000, 'w') + "\x1A";
    state = RunScript({"PDU, text, cancel, bounds",
                       EchoOff,
                       {{"AT+CMGS=0\r", "\r\n+CMS ERROR: 304\r\n"},  // PDU mode: a length in octets
                        {"AT+CMGS=3\r", "\r\n> "},
                        {"0011AB\x1A", "\r\n+CMGS: 1\r\n\r\nOK\r\n"},
                        {"AT+CMGF=1\r", "\r\nOK\r\n"},
                        {"AT+CMGS=\"123\"\r", "\r\n> "},
                        {"never sent\x1B", "\r\nOK\r\n"},
                        {"AT+CMGS=\"123\"\r", "\r\n> "},
                        {flood, "\r\n+CMS ERROR: 305\r\n"},
                        {"AT+CMGS=\"123\"\r", "\r\n> "},
                        {"hello\r\n\x1A", "\r\n+CMGS: 2\r\n\r\nOK\r\n"},
                        {"AT+CMGS=\"\"\r", "\r\n+CMS ERROR: 305\r\n"},
                        {"AT+CMGS=123\r", "\r\n+CMS ERROR: 305\r\n"},
                        {"AT+CMGS\r", "\r\nERROR\r\n"},
                        {"AT+CSCS=\"UCS2\"\r", "\r\nOK\r\n"},
                        {"AT+CMGS=\"002B0031\"\r", "\r\n> "},
                        {"00680069\r\n\x1A", "\r\n+CMGS: 3\r\n\r\nOK\r\n"},
                        {"AT+CMGS=\"002B0031\"\r", "\r\n> "},
                        {"0068006\x1A", "\r\n+CMS ERROR: 305\r\n"}}});
    ASSERT_EQ(state.outbox.size(), 3u);
    EXPECT_TRUE(state.outbox[0].pdu);
    EXPECT_EQ(state.outbox[0].text, "0011AB");
    EXPECT_EQ(state.outbox[1].text, "hello\r\n");
    EXPECT_EQ(state.outbox[2].destination, "+1");
    EXPECT_EQ(state.outbox[2].text, "hi");
    EXPECT_EQ(state.outbox[2].reference, 3);
}

// The reference runs 0..255 and round; the outbox keeps the latest messages only.
TEST(Session, ReferencesWrapAndTheOutboxIsBounded) {
    ModemState state;
    TextMode(state);
    state.nextReference = 255;
    ModemSession session;
    for (std::size_t i = 0; i < kOutboxLimit + 2; ++i) {
        session.Feed(state, "AT+CMGS=\"1\"\rx\x1A");
    }
    EXPECT_EQ(state.outbox.size(), kOutboxLimit);
    EXPECT_EQ(state.outbox.back().reference, (255 + kOutboxLimit + 1) % 256);
}

TEST(Session, FaultsRefuseOrSilenceTheModem) {
    const std::vector<Script> scripts = {
        {"silent: heard nothing",
         [](ModemState& s) { s.faults.silent = true; },
         {{"ATE0\r\nAT+CMGF=1\r\n", ""}}},
        {"ERROR to everything",
         [](ModemState& s) {
             EchoOff(s);
             s.faults.errorAll = true;
         },
         {{"AT\r", "\r\nERROR\r\n"}, {"AT+CMGF=1\r", "\r\nERROR\r\n"}, {"hi\r", ""}}},
        {"ERROR to some commands",
         [](ModemState& s) {
             EchoOff(s);
             s.faults.errorCommands = {"+CMGF", "D"};
         },
         {{"AT+CMGF=1\r", "\r\nERROR\r\n"},
          {"AT+CLIP=1;+CMGF=1\r", "\r\nERROR\r\n"},
          {"ATD123;\r", "\r\nERROR\r\n"},
          {"AT+CLIP?\r", "\r\n+CLIP: 0,1\r\n\r\nOK\r\n"},  // the refused line changed nothing
          {"AT\r", "\r\nOK\r\n"}}},
        {"ERROR to empty lines",
         [](ModemState& s) {
             EchoOff(s);
             s.faults.errorCommands = {"AT"};
         },
         {{"AT\r", "\r\nERROR\r\n"}, {"AT+CMGF?\r", "\r\n+CMGF: 0\r\n\r\nOK\r\n"}}},
        {"send failure",
         [](ModemState& s) {
             TextMode(s);
             s.faults.sendError = 500;
         },
         {{"AT+CMGS=\"1\"\r", "\r\n> "}, {"y\x1A", "\r\n+CMS ERROR: 500\r\n"}}},
    };
    for (const Script& script : scripts) {
        EXPECT_TRUE(RunScript(script).outbox.empty()) << script.name;
    }
    EXPECT_TRUE(RunScript(scripts[0]).settings.echo);  // ATE0 was not heard
}

// Echo goes out at once, in one write per read; the result of a message sent waits for the
// network; the simulator shapes each kind of output on its own.
TEST(Session, OutputKindsForTheLine) {
    ModemState state;
    state.settings.textMode = true;
    ModemSession session;
    const std::vector<Output> line = session.Feed(state, "AT+CMGS=\"1\"\r");
    ASSERT_EQ(line.size(), 2u);
    EXPECT_EQ(line[0].kind, OutputKind::kEcho);
    EXPECT_EQ(line[0].bytes, "AT+CMGS=\"1\"\r");
    EXPECT_EQ(line[1].kind, OutputKind::kAnswer);
    const std::vector<Output> text = session.Feed(state, "x\x1A");
    ASSERT_EQ(text.size(), 2u);
    EXPECT_EQ(text[1].kind, OutputKind::kNetworkAnswer);
}

TEST(Unsolicited, RingCallerIdAndRegistrationReports) {
    const struct {
        bool clip;
        std::string number;
        std::string ring;
    } rings[] = {
        {true, "+393351391306", "\r\nRING\r\n\r\n+CLIP: \"+393351391306\",145,,,,0\r\n"},
        {true, "0612345", "\r\nRING\r\n\r\n+CLIP: \"0612345\",129,,,,0\r\n"},
        {true, "", "\r\nRING\r\n"},  // withheld
        {false, "+393351391306", "\r\nRING\r\n"},
    };
    for (const auto& c : rings) {
        ModemState state;
        state.settings.clip = c.clip;
        state.call.number = c.number;
        EXPECT_EQ(RingText(state), c.ring) << c.number << c.clip;
    }
    const struct {
        int mode;
        int status;
        std::string report;
    } reports[] = {
        {0, 1, ""},
        {1, 2, "\r\n+CREG: 2\r\n"},
        {2, 5, "\r\n+CREG: 5,\"00A1\",\"1B2C\"\r\n"},
        {2, 3, "\r\n+CREG: 3\r\n"},  // location only while registered
    };
    for (const auto& c : reports) {
        Settings settings;
        settings.cregMode = c.mode;
        settings.registration = c.status;
        EXPECT_EQ(RegistrationReport(settings), c.report) << c.mode << "," << c.status;
    }
}

}  // namespace
