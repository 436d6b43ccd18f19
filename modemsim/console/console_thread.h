#pragma once
// The console on a thread of its own: verbs from standard input, replies on standard output.
// It ends at quit, which calls onQuit, and also at end of input, when the terminal refuses to be
// read (the program went to the background: said once on stderr) or when the replies cannot be
// written; none of these ends the modem, which serves on.
//
// Thread contract: construct, Start and destroy on one thread. onQuit runs on the console thread.
// The destructor interrupts the console thread, even in the middle of a read or a reply, and
// joins it.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "modemsim/console/console.h"
#include "platform/core/bounded_write.h"
#include "platform/simhost/console_input.h"
#include "platform/simhost/console_output.h"

namespace modemsim {

inline constexpr const char* kConsoleOffNotice =
    "console off: modemsim runs in the background; the modem keeps serving";

class ConsoleThread {
public:
    ConsoleThread(Simulator& simulator, std::function<void()> onQuit,
                  int inputFd = platform::kStandardInput, int outputFd = platform::kStandardOutput);
    ~ConsoleThread();
    ConsoleThread(const ConsoleThread&) = delete;
    ConsoleThread& operator=(const ConsoleThread&) = delete;

    // False when the console cannot be set up; the modem is not affected.
    bool Start();

private:
    void Run();
    // The reply to one read; nothing once the console is done.
    std::optional<std::string> Answer(platform::ConsoleInput::Status status,
                                      const std::string& line);

    Console m_console;
    const std::function<void()> m_onQuit;
    const int m_inputFd;
    const int m_outputFd;
    std::unique_ptr<platform::ConsoleInput> m_input;
    std::unique_ptr<platform::ConsoleOutput> m_output;
    std::thread m_thread;
};

}  // namespace modemsim
