#include "modemsim/console/console_thread.h"

namespace modemsim {

namespace {

constexpr int kNoticeWaitMs = 200;

}  // namespace

ConsoleThread::ConsoleThread(Simulator& simulator, std::function<void()> onQuit, int inputFd,
                             int outputFd)
    : m_console(simulator), m_onQuit(std::move(onQuit)), m_inputFd(inputFd), m_outputFd(outputFd) {}

ConsoleThread::~ConsoleThread() {
    if (m_thread.joinable()) {
        m_input->Interrupt();
        m_output->Interrupt();
        m_thread.join();
    }
}

bool ConsoleThread::Start() {
    m_input = platform::ConsoleInput::Create(m_inputFd);
    m_output = platform::ConsoleOutput::Create(m_outputFd);
    if (!m_input || !m_output) {
        return false;
    }
    m_thread = std::thread([this] { Run(); });
    return true;
}

void ConsoleThread::Run() {
    const bool person = m_input->IsTerminal();
    for (;;) {
        if (person && !m_output->Write("modemsim> ")) {
            return;
        }
        std::string line;
        const std::optional<std::string> reply = Answer(m_input->ReadLine(line), line);
        if (!reply) {
            return;
        }
        const bool written = reply->empty() || m_output->Write(*reply + "\n");
        if (m_console.QuitRequested()) {
            m_onQuit();
            return;
        }
        if (!written) {
            return;
        }
    }
}

std::optional<std::string> ConsoleThread::Answer(platform::ConsoleInput::Status status,
                                                 const std::string& line) {
    switch (status) {
        case platform::ConsoleInput::Status::kLine:
            return m_console.Execute(line);
        case platform::ConsoleInput::Status::kTooLong:
            return "line longer than " + std::to_string(platform::ConsoleInput::kMaxLine) +
                   " characters: ignored";
        case platform::ConsoleInput::Status::kDetached:
            platform::WriteWithin(platform::kStandardError, std::string(kConsoleOffNotice) + "\n",
                                  kNoticeWaitMs);
            return std::nullopt;
        case platform::ConsoleInput::Status::kEnd:
        case platform::ConsoleInput::Status::kInterrupted:
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace modemsim
