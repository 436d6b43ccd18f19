// The simulator's trace never holds up the modem, nor its shutdown, whatever its reader does (the
// writer itself: tests/platform/core/trace_writer_test.cpp).

#include <gtest/gtest.h>

#include "gate_sink.h"
#include "modemsim/simulator.h"
#include "simulator_fixture.h"
#include "stopwatch.h"

namespace {

TEST(TraceOnSimulator, StuckSinkHoldsUpNeitherAnswersNorShutdown) {
    auto gate = std::make_shared<Gate>();
    modemsim::SimulatorOptions options;
    options.traceSink = Gate::Sink(gate);
    auto simulator = modemsim::Simulator::Create(options);
    ASSERT_NE(simulator, nullptr);
    {
        ModemClient client(simulator->DevicePath());
        Stopwatch watch;
        EXPECT_EQ(client.Exchange("AT\r\n", "AT\r\r\nOK\r\n"), "AT\r\r\nOK\r\n");
        EXPECT_LT(watch.ElapsedMs(), 1000);
    }
    Stopwatch watch;
    simulator.reset();
    EXPECT_LT(watch.ElapsedMs(), platform::TraceWriter::kStopMs + 1500);
    gate->Open();
}

}  // namespace
