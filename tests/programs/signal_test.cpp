// Quillet and Dorrin ended by SIGINT, SIGTERM or SIGHUP on the simulated modem: the status a
// shell expects, the program gone at once or as soon as the modem command it waits in returns,
// and the device free for the next opener, an unprivileged one included (its exclusive use
// cleared). A second signal does not wait for the command. Earlier holders are named on stderr.

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <fstream>
#include <functional>
#include <future>
#include <thread>

#include "program_on_modem.h"
#include "stopwatch.h"

namespace {

using namespace std::chrono_literals;

constexpr unsigned kNobody = 65534;

// The errno of an unprivileged user's open of the device (0: it opened). Root would pass the
// exclusive-use flag, so a root test opens as nobody, in a child.
int OpenErrorAsNobody(const std::string& path) {
    if (::geteuid() == 0) {
        ::chmod(path.c_str(), 0666);  // a pty's slave is root's, mode 0620
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(255);
        }
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ::_exit(fd >= 0 ? 0 : errno);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Where the program is when the signal comes; false when it never got there.
using Phase = std::function<bool(Modem&)>;

bool Polling(Modem& modem) {
    return modem.Await('<', "AT+CMGR=1");
}

// Quillet's read of slot 1 waits out 2 s of silence.
bool ReadWaitsOnSilence(Modem& modem) {
    if (!modem.Await('<', "AT+CMGR=1")) {
        return false;
    }
    const std::size_t before = Count(modem.trace.Now(), '<', "AT+CMGR=1");
    modem.simulator->SetSilent(true);
    return modem.Await('<', "AT+CMGR=1", before + 1);
}

bool Idle(Modem& modem) {
    const bool ready = modem.Await('>', "AT+CMGF=1");
    std::this_thread::sleep_for(300ms);  // the answer's read interval
    return ready;
}

// A call ended by the other side: Dorrin's 2-s notice stands.
bool CallNotice(Modem& modem) {
    return Idle(modem) && modem.simulator->Ring("10086").ok && modem.Await('>', "+CLIP") &&
           modem.simulator->RemoteHangUp().ok && modem.Await('>', "NO CARRIER");
}

// Start-up with answers 300 ms late: each command takes 0.4 s; the window is not running yet.
bool SlowStartUp(Modem& modem) {
    return modem.simulator->SetAnswerDelay(300).ok && modem.Await('<', "AT+IPR");
}

bool SilentStartUp(Modem& modem) {
    modem.simulator->SetSilent(true);
    return modem.Await('<', "AT", 2);
}

struct Row {
    const char* name;
    const char* path;
    Phase phase;
    std::vector<int> signals;  // 100 ms apart
    int status;
    std::chrono::milliseconds within;  // of the last signal
};

void PrintTo(const Row& row, std::ostream* stream) {
    *stream << row.name;
}

class ProgramSignals : public ::testing::TestWithParam<Row> {};

TEST_P(ProgramSignals, EndAsAWindowCloseAndLeaveTheDeviceFree) {
    const Row& row = GetParam();
    Modem modem;
    ASSERT_NE(modem.simulator, nullptr);
    Running program(row.path, modem.simulator->DevicePath());
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(row.phase(modem));
    for (std::size_t i = 0; i < row.signals.size(); ++i) {
        if (i > 0) {
            ASSERT_FALSE(program.EndsWithin(100ms)) << "not held up by a command";
        }
        program.Signal(row.signals[i]);
    }
    Stopwatch watch;
    ASSERT_TRUE(program.EndsWithin(row.within)) << "still running after " << row.within.count();
    EXPECT_EQ(program.Status(), row.status);
    std::cerr << row.name << ": ended " << watch.ElapsedMs() << " ms after the last signal\n";
    EXPECT_EQ(OpenErrorAsNobody(modem.simulator->DevicePath()), 0);
}

// The bounds: a close makes the command in progress give up, whatever it waits for (a silent
// read: 2 s; the rest of a slow start-up), so a second at most; none for a second signal.
INSTANTIATE_TEST_SUITE_P(
    Programs, ProgramSignals,
    ::testing::Values(
        Row{"quillet_polling_term", QUILLET_PROGRAM, Polling, {SIGTERM}, 0, 1000ms},
        Row{"quillet_silent_read_int", QUILLET_PROGRAM, ReadWaitsOnSilence, {SIGINT}, 130, 1000ms},
        Row{"quillet_second_signal",
            QUILLET_PROGRAM,
            ReadWaitsOnSilence,
            {SIGTERM, SIGINT},
            130,
            300ms},
        Row{"dorrin_idle_hup", DORRIN_PROGRAM, Idle, {SIGHUP}, 0, 1000ms},
        Row{"dorrin_notice_int", DORRIN_PROGRAM, CallNotice, {SIGINT}, 130, 1000ms},
        Row{"dorrin_slow_start_term", DORRIN_PROGRAM, SlowStartUp, {SIGTERM}, 0, 1000ms},
        Row{"dorrin_second_signal", DORRIN_PROGRAM, SilentStartUp, {SIGINT, SIGTERM}, 0, 300ms}),
    [](const auto& row) { return std::string(row.param.name); });

// A process holding the device from before (sleep, its descriptor opened by its parent) is named;
// the simulator here, holding the device's other side too, is not.
class OthersOnTheDevice : public ::testing::TestWithParam<std::string> {};

TEST_P(OthersOnTheDevice, AreNamedOnTheProgramsStderr) {
    Modem modem;
    const std::string device = modem.simulator->DevicePath();
    const std::string errFile = ::testing::TempDir() + "holders-" + std::to_string(::getpid());
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        if (::open(device.c_str(), O_RDWR | O_NOCTTY) >= 0 && ::write(ready[1], "y", 1) == 1) {
            ::execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
        }
        ::_exit(127);
    }
    ::close(ready[1]);
    char opened = 0;
    ASSERT_EQ(::read(ready[0], &opened, 1), 1);
    ::close(ready[0]);
    const int errorFd = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(errorFd, 0);
    Running program(GetParam().c_str(), device, "", errorFd);
    ::close(errorFd);
    EXPECT_TRUE(modem.Await('>', "OK"));  // the device open, its holders told
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    std::string text;
    std::getline(std::ifstream(errFile), text, '\0');
    std::remove(errFile.c_str());
    const std::string line = GetParam().substr(GetParam().rfind('/') + 1) + ": " + device +
                             " is also open in process " + std::to_string(holder) +
                             " (sleep); its commands and ours would mix\n";
    EXPECT_NE(text.find(line), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(Programs, OthersOnTheDevice,
                         ::testing::Values(QUILLET_PROGRAM, DORRIN_PROGRAM), [](const auto& row) {
                             return row.param.substr(row.param.rfind('/') + 1);
                         });

}  // namespace
