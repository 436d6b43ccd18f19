// The message window when its modem drops off the bus and comes back under the same path (a USB
// module that resets): on offscreen Qt, the real channel, the simulated modem on COM1.

#include <QLineEdit>
#include <QTest>
#include <atomic>
#include <memory>
#include <thread>

#include "modal_driver.h"
#include "process_figures.h"
#include "quillet/resource_ids.h"
#include "quillet/sms_dialog.h"
#include "recorded_messages.h"
#include "simulated_com1.h"
#include "stopwatch.h"
#include "window_common/link_watch.h"
#include "window_probes.h"

using platform::ui::DialogWindow;
using namespace std::chrono_literals;

namespace {

constexpr char kLineSpeed[] = "AT+IPR=115200";

struct SmsWindowOnSimulator {
    explicit SmsWindowOnSimulator(int networkDelayMs) : modem(Options(trace, networkDelayMs)) {}
    static modemsim::SimulatorOptions Options(const TraceRecorder& trace, int networkDelayMs) {
        modemsim::SimulatorOptions options;
        options.networkDelayMs = networkDelayMs;
        options.traceSink = trace.Sink();
        return options;
    }

    TraceRecorder trace;
    SimulatedCom1 modem;
    RecordedMessages messages;
    std::unique_ptr<CSmsDlg> dialog = std::make_unique<CSmsDlg>();
};

bool ShowsReceived(CSmsDlg& dialog, const std::u16string& text, int limitMs) {
    return WaitUntil([&] { return dialog.GetDlgItemText(IDC_RECEIVED) == text; }, limitMs);
}

}  // namespace

class SmsWindowUnplugTest : public QObject {
    Q_OBJECT

private slots:
    void unplugAnywhereThenReplugCarriesOn_data();
    void unplugAnywhereThenReplugCarriesOn();
    void unplugCyclesLeaveNothingBehind();
};

void SmsWindowUnplugTest::unplugAnywhereThenReplugCarriesOn_data() {
    QTest::addColumn<QString>("during");
    QTest::newRow("while idle") << QStringLiteral("idle");
    QTest::newRow("in a poll") << QStringLiteral("poll");
    QTest::newRow("in a send's result wait") << QStringLiteral("send");
}

// The waiting command ends at once and the window says once that the modem has gone; commands
// fail at once meanwhile, and the window idles. Once the device is back the start-up runs again,
// the message that waited in slot 1 meanwhile is shown, not deleted unseen, and polling goes on.
void SmsWindowUnplugTest::unplugAnywhereThenReplugCarriesOn() {
    QFETCH(QString, during);
    SmsWindowOnSimulator run(during == "send" ? 10000 : 100);
    QVERIFY(run.modem);
    const Stopwatch clock;
    std::atomic<long long> unpluggedAt{-1};
    const auto unplug = [&] {
        unpluggedAt = clock.ElapsedMs();
        run.modem->Unplug();
    };
    std::thread unplugger;
    long long noticeMs = -1;
    long long sendMs = -1;
    long long replugMs = -1;
    double cpuShare = 1;
    DriveModal(*run.dialog, [&](DialogWindow& window) {
        QVERIFY(WaitUntil([&] { return HeardCount(run.trace, "AT+CMGR=1") > 0; }, 3000));
        if (during == "idle") {
            unplug();
        } else {
            const std::string line = during == "send" ? "AT+CMGS" : "AT+CMGR=1";
            run.modem->SetSilent(during == "poll");
            const int seen = HeardCount(run.trace, line);
            unplugger = std::thread([&run, &unplug, line, seen] {
                if (WaitHeardBeyond(run.trace, line, seen, 6s)) {
                    std::this_thread::sleep_for(300ms);  // the answer is waited for now
                    unplug();
                }
            });
            if (during == "send") {
                ClickControl(window, IDC_SEND);
            }
        }
        QVERIFY(WaitUntil([&] { return !run.messages.texts.empty(); }, 6000));
        noticeMs = clock.ElapsedMs() - unpluggedAt;
        const Stopwatch send;
        ClickControl(window, IDC_SEND);
        sendMs = send.ElapsedMs();
        cpuShare = CpuShareWhileIdle(2000);
        // The network hands it over as the modem comes back; no indication announces it.
        QVERIFY(run.modem->DeliverSms({"10086", "waited", std::nullopt, std::nullopt}).ok);
        run.modem->SetSilent(false);
        const int starts = HeardCount(run.trace, kLineSpeed);
        const auto replugAt = std::chrono::steady_clock::now();
        QVERIFY(run.modem->Replug().ok);
        QVERIFY(WaitUntil([&] { return HeardCount(run.trace, kLineSpeed) > starts; }, 3000));
        replugMs = HeardAfterMs(run.trace, kLineSpeed, replugAt);
        QVERIFY(ShowsReceived(*run.dialog, u"waited", 3000));
        QVERIFY(run.modem->DeliverSms({"10010", "after", std::nullopt, std::nullopt}).ok);
        QVERIFY(ShowsReceived(*run.dialog, u"after", 4000));
    });
    if (unplugger.joinable()) {
        unplugger.join();
    }
    QVERIFY2(noticeMs >= 0 && noticeMs < 300, qPrintable(QString::number(noticeMs)));
    QVERIFY2(sendMs < 300, qPrintable(QString::number(sendMs)));
    QVERIFY2(cpuShare < kIdleShare, qPrintable(QString::number(cpuShare * 100) + " % of a core"));
    QVERIFY2(replugMs >= 0 && replugMs < 1500, qPrintable(QString::number(replugMs)));
    // Said once on its own; the send given meanwhile hears it again.
    QCOMPARE(run.messages.texts,
             (std::vector<std::u16string>{kModemLostNotice, kModemLostNotice, kModemBackNotice}));
}

void SmsWindowUnplugTest::unplugCyclesLeaveNothingBehind() {
    SmsWindowOnSimulator run(100);
    QVERIFY(run.modem);
    int descriptors = 0;
    int threads = 0;
    DriveModal(*run.dialog, [&](DialogWindow&) {
        QVERIFY(WaitUntil([&] { return HeardCount(run.trace, "AT+CMGR=1") > 0; }, 3000));
        // Counted after the first cycle: what the first start-up alone opens is not a leak.
        for (std::size_t cycle = 0; cycle < 4; ++cycle) {
            if (cycle == 1) {
                descriptors = OpenDescriptors();
                threads = ThreadCount();
            }
            QVERIFY(run.modem->Unplug().ok);
            QVERIFY(WaitUntil([&] { return run.messages.texts.size() == 2 * cycle + 1; }, 2000));
            QVERIFY(run.modem->Replug().ok);
            QVERIFY(WaitUntil([&] { return run.messages.texts.size() == 2 * cycle + 2; }, 3000));
        }
        // At most as many: a descriptor a cycle left behind would add up to 3.
        QVERIFY2(OpenDescriptors() <= descriptors, qPrintable(QString::number(OpenDescriptors())));
        QVERIFY2(ThreadCount() <= threads, qPrintable(QString::number(ThreadCount())));
    });
    QCOMPARE(run.messages.texts.back(), kModemBackNotice);
}

QTEST_MAIN(SmsWindowUnplugTest)
#include "sms_window_unplug_test.moc"
