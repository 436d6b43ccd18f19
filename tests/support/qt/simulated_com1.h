#pragma once
// A simulated modem that the programs' fixed port "COM1:" reaches: COM1 names a link to its
// device, in a directory of this object's own, for as long as this object lives. The link
// follows the device across Unplug and Replug, so a program that opens "COM1:" again reaches the
// modem plugged in again.

#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "modemsim/simulator.h"

class SimulatedCom1 {
public:
    explicit SimulatedCom1(modemsim::SimulatorOptions options = {}) {
        const char* const tmp = std::getenv("TMPDIR");
        std::string directory =
            std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/simulated_com1.XXXXXX";
        if (::mkdtemp(directory.data()) == nullptr) {
            return;
        }
        m_directory = directory;
        const std::string link = m_directory + "/COM1";
        options.linkPath = link;
        m_simulator = modemsim::Simulator::Create(std::move(options));
        if (m_simulator) {
            ::setenv("COM1", link.c_str(), 1);
        }
    }
    ~SimulatedCom1() {
        ::unsetenv("COM1");
        m_simulator.reset();  // takes its link along
        if (!m_directory.empty()) {
            ::rmdir(m_directory.c_str());
        }
    }
    SimulatedCom1(const SimulatedCom1&) = delete;
    SimulatedCom1& operator=(const SimulatedCom1&) = delete;

    modemsim::Simulator* operator->() const { return m_simulator.get(); }
    modemsim::Simulator& operator*() const { return *m_simulator; }
    explicit operator bool() const { return m_simulator != nullptr; }

private:
    std::string m_directory;
    std::unique_ptr<modemsim::Simulator> m_simulator;
};
