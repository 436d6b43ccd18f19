#include "bench/message_latency.h"

#include <QPlainTextEdit>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <memory>
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

double MsSince(Clock::time_point from) {
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

std::string Text(int k) {
    return "bench message " + std::to_string(k);
}

Clock::duration RandomPause(std::mt19937& random) {
    return std::chrono::milliseconds(std::uniform_int_distribution<int>(0, 2999)(random));
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

void TimeSlotOnly(modemsim::Simulator& simulator, int messages, MessageLatencies& result) {
    CModem modem(QuilletSetupCommands());
    if (modem.Start(u"COM1:", 115200, nullptr) != 1) {
        result.problem = "the channel did not start";
        return;
    }
    std::mt19937 random(7);
    for (int k = 1; k <= messages; ++k) {
        const Clock::time_point arrival = Clock::now() + RandomPause(random);
        std::thread network([&, k] {
            std::this_thread::sleep_until(arrival);
            simulator.DeliverSms({"10086", Text(k), std::nullopt, std::nullopt});
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
        start();
    });
    begin.start();
    dialog.DoModal();
}

void TimeInbox(modemsim::Simulator& simulator, int messages, MessageLatencies& result) {
    std::mt19937 random(7);
    std::vector<Clock::time_point> arrivals(static_cast<std::size_t>(messages) + 1);
    std::thread network;
    int next = 1;
    const auto deliverNext = [&] {
        if (network.joinable()) {
            network.join();
        }
        arrivals[static_cast<std::size_t>(next)] = Clock::now() + RandomPause(random);
        network =
            std::thread([&simulator, k = next, at = arrivals[static_cast<std::size_t>(next)]] {
                std::this_thread::sleep_until(at);
                simulator.DeliverSms({"10086", Text(k), std::nullopt, std::nullopt});
            });
    };
    RunWindow(
        deliverNext,
        [&](const std::string& shown) {
            if (shown != Text(next)) {
                return false;
            }
            result.inboxMs.push_back(MsSince(arrivals[static_cast<std::size_t>(next)]));
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
}

void TimeBurst(modemsim::Simulator& simulator, int messages, MessageLatencies& result) {
    std::vector<Clock::time_point> arrivals(static_cast<std::size_t>(messages) + 1);
    std::thread network;
    RunWindow(
        [&] {
            network = std::thread([&] {
                for (int k = 1; k <= messages; ++k) {
                    arrivals[static_cast<std::size_t>(k)] = Clock::now();
                    simulator.DeliverSms({"10086", Text(k), std::nullopt, std::nullopt});
                    std::this_thread::sleep_for(kBurstGap);
                }
            });
        },
        [&](const std::string& shown) {
            for (int k = 1; k <= messages; ++k) {
                if (shown == Text(k)) {
                    result.burstMs.push_back(MsSince(arrivals[static_cast<std::size_t>(k)]));
                }
            }
            return static_cast<int>(result.burstMs.size()) == messages;
        },
        kGiveUp + kBurstGap * messages);
    network.join();
}

}  // namespace

MessageLatencies MessageToWindowMs(int messages) {
    MessageLatencies result;
    modemsim::SimulatorOptions options;
    options.networkDelayMs = 0;
    const std::unique_ptr<modemsim::Simulator> simulator = modemsim::Simulator::Create(options);
    if (!simulator) {
        result.problem = "no pseudo-terminal for the simulated modem";
        return result;
    }
    ::setenv("COM1", simulator->DevicePath().c_str(), 1);
    const platform::ScopedMessageSink quiet([](const std::u16string&) {});
    TimeSlotOnly(*simulator, messages, result);
    TimeInbox(*simulator, messages, result);
    // A storage of 20 slots takes a burst of 20 at most.
    TimeBurst(*simulator, std::min(messages, 20), result);
    return result;
}
