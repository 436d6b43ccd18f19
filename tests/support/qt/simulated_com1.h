#pragma once
// A simulated modem that the programs' fixed port "COM1:" reaches: COM1 names its device for as
// long as this object lives.

#include <cstdlib>
#include <memory>

#include "modemsim/simulator.h"

class SimulatedCom1 {
public:
    explicit SimulatedCom1(modemsim::SimulatorOptions options = {})
        : m_simulator(modemsim::Simulator::Create(std::move(options))) {
        if (m_simulator) {
            ::setenv("COM1", m_simulator->DevicePath().c_str(), 1);
        }
    }
    ~SimulatedCom1() { ::unsetenv("COM1"); }
    SimulatedCom1(const SimulatedCom1&) = delete;
    SimulatedCom1& operator=(const SimulatedCom1&) = delete;

    modemsim::Simulator* operator->() const { return m_simulator.get(); }
    modemsim::Simulator& operator*() const { return *m_simulator; }
    explicit operator bool() const { return m_simulator != nullptr; }

private:
    std::unique_ptr<modemsim::Simulator> m_simulator;
};
