#include "modemsim/line/plug.h"

#include <utility>

namespace modemsim {

bool Plug::Insert(std::shared_ptr<platform::PseudoTerminal> pty, std::string& error) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_stopping || m_pty) {
        error = m_stopping ? "the simulator is stopping" : "the modem is plugged in";
        return false;
    }
    if (!m_linkPath.empty()) {
        m_link = platform::SymbolicLink::Create(pty->SlavePath(), m_linkPath, error);
        if (!m_link) {
            return false;
        }
    }
    m_devicePath = pty->SlavePath();
    m_pty = std::move(pty);
    ++m_generation;
    m_changed.notify_all();
    return true;
}

void Plug::Remove() {
    std::shared_ptr<platform::PseudoTerminal> pty;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (!m_pty) {
            return;
        }
        // The link first: a program that finds it again must find the next line.
        m_link.reset();
        pty = std::exchange(m_pty, nullptr);
        ++m_generation;
    }
    pty->CloseMaster();
}

PluggedLine Plug::AwaitNewer(std::uint64_t after) {
    std::unique_lock<std::mutex> lock(m_lock);
    m_changed.wait(lock, [&] { return m_stopping || (m_pty && m_generation > after); });
    return m_stopping ? PluggedLine{} : PluggedLine{m_pty, m_generation};
}

std::uint64_t Plug::Generation() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_generation;
}

bool Plug::PluggedIn() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_pty != nullptr;
}

std::string Plug::DevicePath() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_devicePath;
}

void Plug::Stop() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_stopping = true;
    if (m_pty) {
        m_pty->Interrupt();
    }
    m_changed.notify_all();
}

}  // namespace modemsim
