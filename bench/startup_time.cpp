#include "bench/startup_time.h"

#include <chrono>

#include "modemsim/simulator.h"
#include "platform/core/codepage.h"

std::vector<double> StartUpMs(const SetupCommands& setupCommands, bool silent, int runs) {
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        const std::unique_ptr<modemsim::Simulator> simulator = modemsim::Simulator::Create();
        if (!simulator) {
            break;
        }
        simulator->SetSilent(silent);
        const std::u16string device = platform::Utf8ToUtf16(simulator->DevicePath());
        CModem modem(setupCommands);
        const auto start = std::chrono::steady_clock::now();
        const std::int32_t started = modem.Start(device, 115200, nullptr);
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        if (started == (silent ? 0 : 1)) {
            samples.push_back(took.count());
        }
    }
    return samples;
}
