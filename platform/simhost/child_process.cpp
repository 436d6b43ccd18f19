#include "platform/simhost/child_process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <system_error>

extern char** environ;

namespace platform {
namespace {

// The parent's environment without the variables that the child gets its own values of.
std::vector<std::string> ChildEnvironment(const ChildProcess::Variables& extra) {
    std::vector<std::string> entries;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string text = *entry;
        bool replaced = false;
        for (const auto& variable : extra) {
            replaced = replaced || text.rfind(variable.first + "=", 0) == 0;
        }
        if (!replaced) {
            entries.push_back(text);
        }
    }
    for (const auto& variable : extra) {
        entries.push_back(variable.first + "=" + variable.second);
    }
    return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& text : strings) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

int ExitCodeOf(int status) {
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : 1;
}

// A parent that blocked these to wait for them synchronously must not pass that on.
void ResetSignals(posix_spawnattr_t& attributes) {
    sigset_t none;
    sigset_t defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGTTIN, SIGTTOU}) {
        sigaddset(&defaults, signalNumber);
    }
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
}

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::vector<std::string>& argv,
                                                  const Variables& extraEnvironment,
                                                  std::string& error, int errorFd) {
    if (argv.empty()) {
        error = "no program given";
        return nullptr;
    }
    std::vector<std::string> arguments = argv;
    std::vector<std::string> environment = ChildEnvironment(extraEnvironment);
    std::vector<char*> argPointers = Pointers(arguments);
    std::vector<char*> envPointers = Pointers(environment);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    ResetSignals(attributes);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (errorFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, errorFd, STDERR_FILENO);
    }
    pid_t pid = 0;
    const int rc = ::posix_spawnp(&pid, argPointers[0], &actions, &attributes, argPointers.data(),
                                  envPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (rc != 0) {
        error = argv[0] + ": " + std::generic_category().message(rc);
        return nullptr;
    }
    return std::unique_ptr<ChildProcess>(new ChildProcess(pid));
}

ChildProcess::~ChildProcess() {
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_reaped) {
        ::kill(m_pid, SIGKILL);
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
}

int ChildProcess::Wait() {
    // Wait for the end without reaping, so Terminate can still tell the id is ours.
    siginfo_t info{};
    while (::waitid(P_PID, static_cast<id_t>(m_pid), &info, WEXITED | WNOWAIT) < 0 &&
           errno == EINTR) {
    }
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_reaped) {
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
        m_status = ExitCodeOf(status);
        m_reaped = true;
    }
    return m_status;
}

void ChildProcess::Signal(int signalNumber) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_reaped) {
        ::kill(m_pid, signalNumber);
    }
}

void ChildProcess::Terminate() {
    Signal(SIGTERM);
}

void ChildProcess::Kill() {
    Signal(SIGKILL);
}

}  // namespace platform
