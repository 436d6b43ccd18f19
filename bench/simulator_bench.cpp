// Figures of the channel and the dialer window against the simulated modem on a pseudo-terminal,
// printed as a Markdown table (median, min and max of the runs):
//   command overhead - the modem's last byte of "OK" for "AT" to WaitResult returning
//   event latency    - the modem's "RING"/"+CLIP" to the dialer's caller box, text and paint
//   start-up         - CModem::Start with each program's set-up list, responsive and silent modem
//   message window   - a message's arrival in storage to its text in the message window, on a
//                      module that announces arrivals and on one that does not, and the share
//                      of an idle stretch that the window is frozen, on both
// The first two are given above the channel's 100 ms read interval.
// Usage: simulator_bench [--samples N (default 21)] [--silent-runs N (default 5)]
//                        [--messages N (default 20)] [--idle-seconds N (default 20)]

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/command_overhead.h"
#include "bench/message_latency.h"
#include "bench/ring_latency.h"
#include "bench/sample_stats.h"
#include "bench/startup_time.h"
#include "dorrin/modem_setup.h"
#include "quillet/modem_setup.h"

namespace {

struct BenchOptions {
    int samples = 21;
    int silentRuns = 5;    // each one takes about 3.4 s
    int messages = 20;     // each one takes a few seconds under the former rule
    int idleSeconds = 20;  // watched on each module; a scan comes about every 16 s
};

BenchOptions ParseOptions(int argc, char** argv) {
    BenchOptions options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const int value = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--samples") == 0) {
            options.samples = value;
        } else if (std::strcmp(argv[i], "--silent-runs") == 0) {
            options.silentRuns = value;
        } else if (std::strcmp(argv[i], "--messages") == 0) {
            options.messages = value;
        } else if (std::strcmp(argv[i], "--idle-seconds") == 0) {
            options.idleSeconds = value;
        }
    }
    return options;
}

void PrintStartUp(const char* program, const SetupCommands& commands, const BenchOptions& options) {
    const std::string name = program;
    PrintTableRow(name + " start-up, responsive modem", StartUpMs(commands, false, options.samples),
                  "ms", "-");
    PrintTableRow(name + " start-up, silent modem (fails)",
                  StartUpMs(commands, true, options.silentRuns), "ms", "about 3400 ms by design");
}

void PrintFreezes(const std::string& module, const IdleFreezes& freezes, const std::string& goal) {
    const std::string over =
        " over " + std::to_string(static_cast<int>(freezes.watchedMs / 1000.0 + 0.5)) + " s";
    PrintTableRow("message window frozen while idle, " + module + over, {freezes.FrozenPercent()},
                  "%", goal);
    PrintTableRow("message window freezes while idle, each, " + module, freezes.stallsMs, "ms",
                  "-");
}

void PrintMessageWindow(const BenchOptions& options) {
    const MessageFigures figures =
        MessageWindowFigures(options.messages, std::chrono::seconds(options.idleSeconds));
    const std::string announcing = "+CMTI (standard)";
    const std::string unannouncing = "no +CMTI (no-indications)";
    PrintTableRow("message arrival to window, slot 1 only, reads ending after 2 s of silence",
                  figures.slotOnlyMs, "ms", "-");
    PrintTableRow("message arrival to window, " + announcing, figures.announcing.arrivalMs, "ms",
                  "median <= 500 ms");
    PrintTableRow("message arrival to window, " + unannouncing, figures.unannouncing.arrivalMs,
                  "ms", "< 1500 ms");
    PrintTableRow("message arrival to window, burst 0.3 s apart, " + announcing, figures.burstMs,
                  "ms", "-");
    PrintFreezes(announcing, figures.announcing.idle, "<= 10 %");
    PrintFreezes(unannouncing, figures.unannouncing.idle, "-");
    if (!figures.problem.empty()) {
        std::fprintf(stderr, "message window: %s\n", figures.problem.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    // The window needs no screen; a platform chosen by the caller is kept.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication application(argc, argv);
    const BenchOptions options = ParseOptions(argc, argv);

    PrintTableHeader();
    PrintTableRow("command overhead above the 100 ms read interval (AT, last byte of OK to return)",
                  CommandOverheadMs(options.samples), "ms", "< 5 ms");
    const RingLatencies ring = RingToCallerBoxMs(options.samples);
    PrintTableRow("event latency above the 100 ms read interval (RING/+CLIP to caller box text)",
                  ring.textSetMs, "ms", "< 5 ms");
    PrintTableRow("event latency above the 100 ms read interval (RING/+CLIP to caller box painted)",
                  ring.paintedMs, "ms", "< 5 ms");
    if (!ring.problem.empty()) {
        std::fprintf(stderr, "event latency: %s\n", ring.problem.c_str());
    }
    PrintStartUp("quillet", QuilletSetupCommands(), options);
    PrintMessageWindow(options);
    PrintStartUp("dorrin", DorrinSetupCommands(), options);
    return 0;
}
