// Figures of the channel and the dialer window against the simulated modem on a pseudo-terminal,
// printed as a Markdown table (median, min and max of the runs):
//   command overhead - the modem's last byte of "OK" for "AT" to WaitResult returning
//   event latency    - the modem's "RING"/"+CLIP" to the dialer's caller box, text and paint
//   start-up         - CModem::Start with each program's set-up list, responsive and silent modem
//   message latency  - a message's arrival in storage to its text in the message window
// The first two are given above the channel's 100 ms read interval.
// Usage: simulator_bench [--samples N (default 21)] [--silent-runs N (default 5)]
//                        [--messages N (default 20)]

#include <QApplication>
#include <algorithm>
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
    int silentRuns = 5;  // each one takes about 3.4 s
    int messages = 20;   // each one takes a few seconds under the former rule
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
    const MessageLatencies messages = MessageToWindowMs(options.messages);
    PrintTableRow("message arrival to window, slot 1 only (the former rule)", messages.slotOnlyMs,
                  "ms", "-");
    PrintTableRow("message arrival to window, every slot", messages.inboxMs, "ms", "< 1500 ms");
    PrintTableRow("message arrival to window, burst 0.3 s apart, every slot", messages.burstMs,
                  "ms", "-");
    if (!messages.problem.empty()) {
        std::fprintf(stderr, "message latency: %s\n", messages.problem.c_str());
    }
    PrintStartUp("dorrin", DorrinSetupCommands(), options);
    return 0;
}
