#include "bench/ring_latency.h"

#include <QTimer>
#include <cstdlib>
#include <memory>

#include "bench/caller_box_probe.h"
#include "dorrin/dial_dialog.h"
#include "dorrin/resource_ids.h"
#include "modemsim/simulator.h"
#include "platform/core/codepage.h"
#include "platform/core/message_box.h"
#include "platform/ui/dialog_window.h"
#include "trace_recorder.h"

namespace {

constexpr double kReadIntervalMs = 100.0;
// Long enough for a ring to be shown, painted and cleared before the next one comes.
constexpr int kRingPeriodMs = 400;
constexpr int kSlackMs = 5000;
constexpr char kCaller[] = "+8613912345678";

double MsBetween(TraceRecorder::Clock::time_point from, TraceRecorder::Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Collects one sample per ring while the dialog's window runs.
class RingRun {
public:
    RingRun(modemsim::Simulator& simulator, const TraceRecorder& trace, int rings)
        : m_simulator(simulator), m_trace(trace), m_rings(rings) {}

    void Run(CDialDlg& dialog, RingLatencies& result) {
        m_result = &result;
        QTimer begin;
        begin.setInterval(5);
        QObject::connect(&begin, &QTimer::timeout, [&] {
            if (dialog.Window() != nullptr && dialog.Window()->isVisible()) {
                begin.stop();
                Begin(*dialog.Window());
            }
        });
        begin.start();
        dialog.DoModal();
        m_probe.reset();
    }

private:
    void Begin(platform::ui::DialogWindow& window) {
        auto* box = qobject_cast<QLineEdit*>(window.Control(IDC_CALLER));
        if (box == nullptr) {
            m_result->problem = "the dialer window has no caller box";
            window.close();
            return;
        }
        m_probe = std::make_unique<CallerBoxProbe>(
            *box, QString::fromUtf8(kCaller),
            [this, &window](auto textSet, auto painted) { OnShown(window, textSet, painted); });
        if (!m_simulator.Ring(std::string(kCaller)).ok) {
            m_result->problem = "the simulated modem refused to ring";
            window.close();
            return;
        }
        // A ring that never shows must not keep the window open for ever.
        QTimer::singleShot(m_rings * kRingPeriodMs + kSlackMs, &window,
                           [&window] { window.close(); });
    }

    void OnShown(platform::ui::DialogWindow& window, CallerBoxProbe::Clock::time_point textSet,
                 CallerBoxProbe::Clock::time_point painted) {
        const TraceRecorder::Writes ring = m_trace.WritesHolding("RING");
        // A sample only when exactly one ring was written since the last one shown.
        if (ring.count == m_ringsSeen + 1) {
            m_result->textSetMs.push_back(MsBetween(ring.lastArrived, textSet) - kReadIntervalMs);
            m_result->paintedMs.push_back(MsBetween(ring.lastArrived, painted) - kReadIntervalMs);
        }
        m_ringsSeen = ring.count;
        if (static_cast<int>(m_result->textSetMs.size()) >= m_rings) {
            QTimer::singleShot(0, &window, [&window] { window.close(); });
        }
    }

    modemsim::Simulator& m_simulator;
    const TraceRecorder& m_trace;
    const int m_rings;
    RingLatencies* m_result = nullptr;
    std::unique_ptr<CallerBoxProbe> m_probe;
    std::uint64_t m_ringsSeen = 0;
};

}  // namespace

RingLatencies RingToCallerBoxMs(int rings) {
    RingLatencies result;
    const TraceRecorder trace;
    modemsim::SimulatorOptions options;
    options.ringPeriodMs = kRingPeriodMs;
    options.traceSink = trace.Sink();
    const std::unique_ptr<modemsim::Simulator> simulator = modemsim::Simulator::Create(options);
    if (!simulator) {
        result.problem = "no pseudo-terminal for the simulated modem";
        return result;
    }
    // The dialer opens its fixed port "COM1:", which this points at the simulated modem.
    ::setenv("COM1", simulator->DevicePath().c_str(), 1);
    std::u16string firstMessage;
    const platform::ScopedMessageSink messages([&](const std::u16string& text) {
        if (firstMessage.empty()) {
            firstMessage = text;
        }
    });
    {
        CDialDlg dialog;  // closes its port before the simulator goes
        RingRun(*simulator, trace, rings).Run(dialog, result);
    }
    if (!firstMessage.empty() && result.problem.empty()) {
        result.problem = "the dialer said: " + platform::Utf16ToUtf8(firstMessage);
    }
    return result;
}
