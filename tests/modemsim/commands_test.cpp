// Command lines and their exact answers over a real pseudo-terminal.

#include <mutex>

#include "simulator_fixture.h"
#include "trace_recorder.h"

namespace {

using CommandsTest = SimulatorTest;

TEST_F(CommandsTest, EchoesAsTypedAndFramesVerboseCodes) {
    RunSteps({
        {"AT\r\n", "AT\r\r\nOK\r\n"},
        {"at\r", "at\r\r\nOK\r\n"},
        {"aT+cmgf?\r\n", "aT+cmgf?\r\r\n+CMGF: 0\r\n\r\nOK\r\n"},
        {"hello\r\n", "hello\r"},  // echoed, never answered
        {"ATE0\r\n", "ATE0\r\r\nOK\r\n"},
        {"AT\r\n", "\r\nOK\r\n"},
        {"ATE1\r\n", "\r\nOK\r\n"},
        {"ATE2\r\n", "ATE2\r\r\nERROR\r\n"},
        {"ATE0\r\n", "ATE0\r\r\nOK\r\n"},
        {"ATZ\r\n", "\r\nOK\r\n"},  // restores echo
        {"AT\r\n", "AT\r\r\nOK\r\n"},
    });
}

TEST_F(CommandsTest, SettingsReadTestAndReject) {
    EchoOff();
    RunSteps({
        {"AT+CMGF=1\r\n", "\r\nOK\r\n"},
        {"AT+CMGF?\r\n", "\r\n+CMGF: 1\r\n\r\nOK\r\n"},
        {"AT+CMGF=?\r\n", "\r\n+CMGF: (0,1)\r\n\r\nOK\r\n"},
        {"AT+CMGF=2\r\n", "\r\nERROR\r\n"},
        {"AT+CSCS=\"UCS2\"\r\n", "\r\nOK\r\n"},
        {"AT+CSCS?\r\n", "\r\n+CSCS: \"UCS2\"\r\n\r\nOK\r\n"},
        {"AT+CSCS=\"LATIN9\"\r\n", "\r\nERROR\r\n"},
        {"AT+CSCS=GSM\r\n", "\r\nERROR\r\n"},
        {"AT+CSCS=\"gsm\"\r\n", "\r\nOK\r\n"},
        {"AT+CLIP=1\r\n", "\r\nOK\r\n"},
        {"AT+CLIP?\r\n", "\r\n+CLIP: 1,1\r\n\r\nOK\r\n"},
        {"AT+CLIP=3\r\n", "\r\nERROR\r\n"},
        {"AT+IPR=115200\r\n", "\r\nOK\r\n"},
        {"AT+IPR=12345\r\n", "\r\nERROR\r\n"},
        {"AT+IPR?\r\n", "\r\n+IPR: 115200\r\n\r\nOK\r\n"},
        {"AT+CREG=1\r\n", "\r\nOK\r\n"},
        {"AT+CREG?\r\n", "\r\n+CREG: 1,1\r\n\r\nOK\r\n"},
        {"AT+CREG=2;+CREG?\r\n", "\r\n+CREG: 2,1,\"00A1\",\"1B2C\"\r\n\r\nOK\r\n"},
        {"AT+CREG=3\r\n", "\r\nERROR\r\n"},
        {"AT+CGMI\r\n", "\r\nERROR\r\n"},
        {"AT+CHUP=?\r\n", "\r\nOK\r\n"},
        {"AT+CMGF?;+BOGUS;+CMGF=0\r\n", "\r\n+CMGF: 1\r\n\r\nERROR\r\n"},  // stops at the error
        {"AT+CMGF?\r\n", "\r\n+CMGF: 1\r\n\r\nOK\r\n"},
    });
}

TEST_F(CommandsTest, ServiceCentreForms) {
    EchoOff();
    RunSteps({
        {"AT+CSCA=\"+8613800200500\",145\r\n", "\r\nOK\r\n"},
        {"AT+CSCA?\r\n", "\r\n+CSCA: \"+8613800200500\",145\r\n\r\nOK\r\n"},
        {"AT+CSCA=+8613800200501,145\r\n", "\r\nOK\r\n"},
        {"AT+CSCA?\r\n", "\r\n+CSCA: \"+8613800200501\",145\r\n\r\nOK\r\n"},
        {"AT+CSCA=\"0123\"\r\n", "\r\nOK\r\n"},
        {"AT+CSCA?\r\n", "\r\n+CSCA: \"0123\",129\r\n\r\nOK\r\n"},
        {"AT+CSCA=\"+8613800200500\",145,145\r\n", "\r\nERROR\r\n"},
        {"AT+CSCA=\"+86abc\",145\r\n", "\r\nERROR\r\n"},
        {"AT+CSCA=\"+86\",99\r\n", "\r\nERROR\r\n"},
        {"AT+CSCA=\"\"\r\n", "\r\nERROR\r\n"},
        {"AT+CSCS=\"UCS2\"\r\n", "\r\nOK\r\n"},
        {"AT+CSCA?\r\n", "\r\n+CSCA: \"0030003100320033\",129\r\n\r\nOK\r\n"},
        {"AT+CSCA=\"002B0039\",145\r\n", "\r\nOK\r\n"},
        {"AT+CSCS=\"IRA\";+CSCA?\r\n", "\r\n+CSCA: \"+9\",145\r\n\r\nOK\r\n"},
    });
}

TEST_F(CommandsTest, BadBytesAndOverlongLinesChangeNothing) {
    const std::string overlong = "AT+CMGF=1" + std::string(600, ' ') + "\r\n";
    EchoOff();
    RunSteps({
        {"AT+CMGF=1\r\n", "\r\nOK\r\n"},
        {overlong.c_str(), "\r\nERROR\r\n"},
        {"AT+CMGF=\x01\r\n", "\r\nERROR\r\n"},
        {"\xFF\xFE\r\n", ""},
        {"AT+CMGF?\r\n", "\r\n+CMGF: 1\r\n\r\nOK\r\n"},
    });
    m_client->Send(std::string("AT\0\r\n", 5));
    EXPECT_EQ(m_client->ReadAtLeast(9, std::chrono::milliseconds(1000)), "\r\nERROR\r\n");
    // A flood without CR stays bounded and ends in one ERROR.
    m_client->Send(std::string(20000, 'A') + "\r\nAT\r\n");
    EXPECT_EQ(m_client->ReadAtLeast(15, std::chrono::milliseconds(2000)),
              "\r\nERROR\r\n\r\nOK\r\n");
}

}  // namespace

namespace {

TEST_F(CommandsTest, RegistrationChangesAreReportedOnlyWhenAsked) {
    EchoOff();
    const struct {
        const char* mode;
        int status;
        std::string report;
    } cases[] = {
        {"AT+CREG=0\r\n", 2, ""},
        {"AT+CREG=1\r\n", 1, "\r\n+CREG: 1\r\n"},
        {"AT+CREG=1\r\n", 1, ""},  // no change, no report
        {"AT+CREG=2\r\n", 5, "\r\n+CREG: 5,\"00A1\",\"1B2C\"\r\n"},
        {"AT+CREG=2\r\n", 3, "\r\n+CREG: 3\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        RunSteps({{c.mode, "\r\nOK\r\n"}});
        ASSERT_TRUE(m_simulator->SetRegistration(c.status).ok);
        EXPECT_EQ(m_client->ReadFor(std::chrono::milliseconds(80)), c.report);
    }
    EXPECT_FALSE(m_simulator->SetRegistration(6).ok);
}

TEST_F(CommandsTest, TraceShowsBothDirectionsEscaped) {
    const TraceRecorder trace;
    modemsim::SimulatorOptions options = TestOptions();
    options.traceSink = trace.Sink();
    Start(options);
    RunSteps({{"AT\r\n", "AT\r\r\nOK\r\n"}});
    m_simulator->InjectRaw(std::string("\x1A\x1B\0", 3));
    EXPECT_EQ(m_client->ReadAtLeast(3, std::chrono::milliseconds(500)).size(), 3u);
    const std::vector<std::string> expected = {"< AT\\r\\n", "> AT\\r", "> \\r\\nOK\\r\\n",
                                               "> \\z\\e\\0"};
    trace.WaitFor([&](const TraceRecorder::Entries& lines) { return lines.size() >= 4; });
    m_simulator->EnableTrace(false);
    RunSteps({{"AT\r\n", "AT\r\r\nOK\r\n"}});
    m_simulator.reset();  // the writer has handed over everything it ever will
    const TraceRecorder::Entries lines = trace.Now();
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        // "[   0.004] < AT\r\n": seconds with milliseconds, then direction and bytes.
        EXPECT_EQ(lines[i].line.substr(0, 1), "[");
        EXPECT_EQ(lines[i].line.substr(9, 2), "] ");
        EXPECT_EQ(lines[i].line.substr(11), expected[i]);
    }
}

}  // namespace
