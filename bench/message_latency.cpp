#include "bench/message_latency.h"

#include <QPlainTextEdit>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <numeric>
#include <random>
#include <thread>

#include "modemlink/modem.h"
#include "modemsim/simulator.h"
#include "platform/core/message_box.h"
#include "platform/ui/dialog_window.h"
#include "quillet/modem_setup.h"
#include "quillet/read_answer.h"
#include "quillet/resource_ids.h"
#include "quillet/sms_dialog.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kBurstGap = 300ms;
constexpr auto kGiveUp = 30s;
// The start-up is over before the window shows; the first poll then learns the module and scans.
constexpr auto kSettle = 4s;
constexpr auto kProbePeriod = 2ms;
// A click answered within this feels immediate; a loaded machine's scheduler stays under it.
constexpr auto kNoticed = 20ms;

double Ms(Clock::duration span) {
    return std::chrono::duration<double, std::milli>(span).count();
}

double MsSince(Clock::time_point from) {
    return Ms(Clock::now() - from);
}

// Each run's messages read differently: one that an earlier run left behind is never taken for
// one of this run's.
std::string Text(const char* run, int k) {
    return std::string(run) + " message " + std::to_string(k);
}

Clock::duration RandomPause(std::mt19937& random) {
    return std::chrono::milliseconds(std::uniform_int_distribution<int>(0, 2999)(random));
}

void Deliver(modemsim::Simulator& simulator, const std::string& text) {
    simulator.DeliverSms({"10086", text, std::nullopt, std::nullopt});
}

void Note(MessageFigures& result, const std::string& problem) {
    result.problem += (result.problem.empty() ? "" : "; ") + problem;
}

// The former read: complete only with a "REC READ" header, else over after 2 s of silence.
bool FormerReadOfSlotOne(CModem& modem) {
    modem.SendLine(u"AT+CMGR=1");
    std::u16string seen;
    Clock::time_point lastGrowth = Clock::now();
    while (Clock::now() - lastGrowth < 2s) {
        const std::u16string now = modem.Response();
        if (LocateReadAnswer(now)) {
            modem.ResetResponse();
            return true;
        }
        if (now.size() != seen.size()) {
            seen = now;
            lastGrowth = Clock::now();
        }
        std::this_thread::sleep_for(2ms);
    }
    modem.ResetResponse();
    return false;
}

void TimeSlotOnly(modemsim::Simulator& simulator, int messages, MessageFigures& result) {
    CModem modem(QuilletSetupCommands());
    if (modem.Start(u"COM1:", 115200, nullptr) != 1) {
        Note(result, "the channel did not start");
        return;
    }
    std::mt19937 random(7);
    for (int k = 1; k <= messages; ++k) {
        const Clock::time_point arrival = Clock::now() + RandomPause(random);
        std::thread network([&, k] {
            std::this_thread::sleep_until(arrival);
            Deliver(simulator, Text("slot-only", k));
        });
        bool shown = false;
        while (!shown && Clock::now() - arrival < kGiveUp) {
            shown = FormerReadOfSlotOne(modem) && Clock::now() > arrival;
            if (shown) {
                result.slotOnlyMs.push_back(MsSince(arrival));
                modem.DeleteSms(1);
            }
            std::this_thread::sleep_for(1s);
        }
        network.join();
    }
}

// Runs the window and hands each newly shown text, with the time it was shown, to `onShown`;
// `start` runs once the window is up. The window closes after `limit` at the latest.
template <typename Start, typename OnShown>
void RunWindow(Start&& start, OnShown&& onShown, Clock::duration limit) {
    CSmsDlg dialog;
    QTimer begin;
    begin.setInterval(5);
    QObject::connect(&begin, &QTimer::timeout, [&] {
        platform::ui::DialogWindow* window = dialog.Window();
        if (window == nullptr || !window->isVisible()) {
            return;
        }
        begin.stop();
        auto* box = qobject_cast<QPlainTextEdit*>(window->Control(IDC_RECEIVED));
        QObject::connect(box, &QPlainTextEdit::textChanged, window, [=] {
            if (onShown(box->toPlainText().toStdString())) {
                QTimer::singleShot(0, window, [window] { window->close(); });
            }
        });
        QTimer::singleShot(std::chrono::duration_cast<std::chrono::milliseconds>(limit), window,
                           [window] { window->close(); });
        start(window);
    });
    begin.start();
    dialog.DoModal();
}

// Messages one at a time into the window, each at a random moment after the one before showed.
std::vector<double> TimeArrivals(modemsim::Simulator& simulator, const char* run, int messages) {
    std::vector<double> latencies;
    std::mt19937 random(7);
    std::vector<Clock::time_point> arrivals(static_cast<std::size_t>(messages) + 1);
    std::thread network;
    int next = 1;
    const auto deliverNext = [&] {
        if (network.joinable()) {
            network.join();
        }
        const Clock::time_point at = Clock::now() + RandomPause(random);
        arrivals[static_cast<std::size_t>(next)] = at;
        network = std::thread([&simulator, text = Text(run, next), at] {
            std::this_thread::sleep_until(at);
            Deliver(simulator, text);
        });
    };
    RunWindow([&](QWidget*) { deliverNext(); },
              [&](const std::string& shown) {
                  if (shown != Text(run, next)) {
                      return false;
                  }
                  latencies.push_back(MsSince(arrivals[static_cast<std::size_t>(next)]));
                  if (++next > messages) {
                      return true;
                  }
                  deliverNext();
                  return false;
              },
              kGiveUp * messages);
    if (network.joinable()) {
        network.join();
    }
    return latencies;
}

void TimeBurst(modemsim::Simulator& simulator, int messages, MessageFigures& result) {
    std::vector<Clock::time_point> arrivals(static_cast<std::size_t>(messages) + 1);
    std::thread network;
    RunWindow(
        [&](QWidget*) {
            network = std::thread([&] {
                for (int k = 1; k <= messages; ++k) {
                    arrivals[static_cast<std::size_t>(k)] = Clock::now();
                    Deliver(simulator, Text("burst", k));
                    std::this_thread::sleep_for(kBurstGap);
                }
            });
        },
        [&](const std::string& shown) {
            for (int k = 1; k <= messages; ++k) {
                if (shown == Text("burst", k)) {
                    result.burstMs.push_back(MsSince(arrivals[static_cast<std::size_t>(k)]));
                }
            }
            return static_cast<int>(result.burstMs.size()) == messages;
        },
        kGiveUp + kBurstGap * messages);
    network.join();
}

// Watches the window's thread from outside the window's code: a precise timer on that thread
// notes when each tick really comes. A tick comes only once the thread is back in its event loop,
// where clicks and keys are taken, so a tick late by more than kNoticed marks a stretch in which
// the window answered nothing, whatever held it (each command's read interval, the parse, the
// show, a command more than planned); counting commands would only assume that. A stall begins
// within a period after the tick before it, so its lateness falls short by less than a period,
// and not at random: the poll timer and the probe both start over when a stall ends and stay in
// step. 2 ms holds that under 2 % of a command.
class FreezeProbe {
public:
    // On the window's thread; stops at the first tick `length` after it started.
    void Start(Clock::duration length) {
        m_started = m_last = Clock::now();
        m_end = m_started + length;
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(kProbePeriod);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Tick(); });
        m_timer.start();
    }
    const IdleFreezes& Result() const { return m_result; }

private:
    void Tick() {
        const Clock::time_point now = Clock::now();
        const Clock::duration late = now - m_last - kProbePeriod;
        if (late > kNoticed) {
            m_result.stallsMs.push_back(Ms(late));
        }
        m_last = now;
        if (now >= m_end) {
            m_timer.stop();
            m_result.watchedMs = Ms(now - m_started);
        }
    }

    QTimer m_timer;
    Clock::time_point m_started;
    Clock::time_point m_last;
    Clock::time_point m_end;
    IdleFreezes m_result;
};

// The window with nothing arriving, watched once it has settled.
IdleFreezes TimeIdle(Clock::duration idle) {
    FreezeProbe probe;
    // The last tick comes once the poll then under way has ended: well within a second.
    RunWindow(
        [&](QWidget* window) {
            QTimer::singleShot(kSettle, window, [&probe, idle] { probe.Start(idle); });
        },
        [](const std::string&) { return false; }, kSettle + idle + 1s);
    return probe.Result();
}

bool StorageEmpty(modemsim::Simulator& simulator) {
    const modemsim::ModemState state = simulator.Snapshot();
    return state.storage.Occupied().empty() && state.phoneStorage.Occupied().empty();
}

bool UseProfile(modemsim::Simulator& simulator, const char* profile, MessageFigures& result) {
    if (simulator.SetSmsProfile(profile).ok) {
        return true;
    }
    Note(result, std::string("the ") + profile + " profile was refused");
    return false;
}

// Arrivals, then the idle window, on the module as the simulator's SMS profile makes it.
WindowFigures TimeModule(modemsim::Simulator& simulator, const char* profile, int messages,
                         Clock::duration idle, MessageFigures& result) {
    WindowFigures figures;
    if (!UseProfile(simulator, profile, result)) {
        return figures;
    }
    figures.arrivalMs = TimeArrivals(simulator, profile, messages);
    if (!StorageEmpty(simulator)) {
        Note(result, std::string("messages left unshown before the idle window, ") + profile);
    }
    figures.idle = TimeIdle(idle);
    return figures;
}

}  // namespace

double IdleFreezes::FrozenPercent() const {
    if (watchedMs <= 0.0) {
        return 0.0;
    }
    return 100.0 * std::accumulate(stallsMs.begin(), stallsMs.end(), 0.0) / watchedMs;
}

MessageFigures MessageWindowFigures(int messages, std::chrono::seconds idle) {
    MessageFigures result;
    modemsim::SimulatorOptions options;
    options.networkDelayMs = 0;
    const std::unique_ptr<modemsim::Simulator> simulator = modemsim::Simulator::Create(options);
    if (!simulator) {
        result.problem = "no pseudo-terminal for the simulated modem";
        return result;
    }
    ::setenv("COM1", simulator->DevicePath().c_str(), 1);
    const platform::ScopedMessageSink quiet([](const std::u16string&) {});
    result.announcing = TimeModule(*simulator, "standard", messages, idle, result);
    // A storage of 20 slots takes a burst of 20 at most.
    TimeBurst(*simulator, std::min(messages, 20), result);
    // The first rule asked for no announcements: a +CMTI within a read's 2 s of silence would
    // only have drawn the read out.
    if (UseProfile(*simulator, "no-indications", result)) {
        TimeSlotOnly(*simulator, messages, result);
    }
    result.unannouncing = TimeModule(*simulator, "no-indications", messages, idle, result);
    return result;
}
