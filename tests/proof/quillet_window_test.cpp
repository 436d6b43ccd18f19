// The message window under faults, end to end on offscreen Qt: the real channel on a
// pseudo-terminal to the simulated modem on COM1. The modem pulled out under the open window, and
// the window closed while its thread waits in a poll, in a send, or while another thread's
// window call waits.

#include <QLineEdit>
#include <QTest>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "modal_driver.h"
#include "platform/core/message_box.h"
#include "quillet/resource_ids.h"
#include "quillet/sms_dialog.h"
#include "simulated_com1.h"
#include "window_probes.h"

using platform::ui::DialogWindow;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

const std::u16string kNotSent = u"短信发送失败.";
const std::u16string kCentreNotSet = u"设置短信中心号码失败.";
// From the close until DoModal has returned and the dialog with its channel is gone.
constexpr long long kCloseLimitMs = 2500;

long long MsSince(Clock::time_point since) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
}

modemsim::SimulatorOptions Options(const ModemEar& ear) {
    modemsim::SimulatorOptions options;
    options.networkDelayMs = 200;
    options.traceSink = ear.Sink();
    return options;
}

struct Bench {
    ModemEar ear;
    SimulatedCom1 modem{Options(ear)};
    std::vector<std::u16string> messages;  // shown on the window's thread only
    platform::ScopedMessageSink sink{
        [this](const std::u16string& text) { messages.push_back(text); }};
    std::unique_ptr<CSmsDlg> dialog = std::make_unique<CSmsDlg>();
};

struct CloseTiming {
    bool requested = false;
    long long toGoneMs = -1;  // from the request until the dialog was destroyed
};

// Runs the window; once the modem has heard `line` again, another thread asks the window to
// close and then runs `afterRequest` (which must not touch the window). `busy` runs on the
// window's thread first. The dialog is destroyed as soon as DoModal has returned.
CloseTiming CloseWhenHeard(Bench& bench, const std::string& line,
                           const std::function<void(DialogWindow&)>& busy,
                           const std::function<void()>& afterRequest = {}) {
    Clock::time_point requestedAt{};
    bool requested = false;
    std::atomic<bool> closerDone{false};
    std::thread closer;
    DriveModal(*bench.dialog, [&](DialogWindow& window) {
        const int seen = bench.ear.Count(line);
        closer = std::thread([&, seen] {
            if (bench.ear.WaitBeyond(line, seen, 6s)) {
                requestedAt = Clock::now();
                requested = true;
                RequestClose(window);
            }
            closerDone = true;
            if (requested && afterRequest) {
                afterRequest();
            }
        });
        busy(window);
        // The window must outlive the request, which may come only after a wait in a command.
        WaitUntil([&] { return closerDone.load(); }, 9000);
        WaitUntil([&] { return !window.isVisible(); }, 5000);
    });
    closer.join();  // a window call made after the request has returned by now
    bench.dialog.reset();
    CloseTiming timing;
    timing.requested = requested;
    timing.toGoneMs = requested ? MsSince(requestedAt) : -1;
    return timing;
}

}  // namespace

class QuilletWindowProof : public QObject {
    Q_OBJECT

private slots:
    void unpluggedModemLeavesTheWindowUsable();
    void closingDuringAPollEndsPromptly();
    void closingWhileTheSendWaitsForItsPromptEndsPromptly();
    void closingWhileAnotherThreadsWindowCallWaitsEndsPromptly();
};

void QuilletWindowProof::unpluggedModemLeavesTheWindowUsable() {
    Bench bench;
    QVERIFY(bench.modem);
    long long sendMs = 0;
    long long centreMs = 0;
    const std::int32_t result = DriveModal(*bench.dialog, [&](DialogWindow& window) {
        bench.modem->Unplug();
        // Polls go on meanwhile, each one a read that fails after its silence.
        const double share = CpuShareWhileIdle(2000);
        QVERIFY2(share < 0.01, qPrintable(QString::number(share * 100) + " % of a core"));
        Stopwatch watch;
        ClickControl(window, IDC_SEND);  // the prompt never comes: 2 s of silence
        sendMs = watch.ElapsedMs();
        watch = Stopwatch();
        ClickControl(window, IDC_SET_CENTRE);
        centreMs = watch.ElapsedMs();
    });
    QVERIFY(result != -1);
    QVERIFY2(sendMs >= 1950 && sendMs < 2600, qPrintable(QString::number(sendMs)));
    QVERIFY2(centreMs >= 450 && centreMs < 1000, qPrintable(QString::number(centreMs)));
    QCOMPARE(bench.messages, (std::vector<std::u16string>{kNotSent, kCentreNotSet}));
    const Stopwatch watch;
    bench.dialog.reset();
    QVERIFY2(watch.ElapsedMs() < 1000, qPrintable(QString::number(watch.ElapsedMs())));
}

void QuilletWindowProof::closingDuringAPollEndsPromptly() {
    Bench bench;
    QVERIFY(bench.modem);
    // Slot 1 is empty: the modem answers OK, and the read waits out its 2 s of silence.
    const CloseTiming timing = CloseWhenHeard(bench, "AT+CMGR=1", [](DialogWindow&) {});
    QVERIFY(timing.requested);
    // At least most of the read's wait lay after the request: it was closed during the poll.
    QVERIFY2(timing.toGoneMs >= 1500 && timing.toGoneMs < kCloseLimitMs,
             qPrintable(QString::number(timing.toGoneMs)));
    QVERIFY(bench.messages.empty());
}

void QuilletWindowProof::closingWhileTheSendWaitsForItsPromptEndsPromptly() {
    Bench bench;
    QVERIFY(bench.modem);
    const CloseTiming timing = CloseWhenHeard(bench, "AT+CMGS", [&](DialogWindow& window) {
        bench.modem->SetSilent(true);
        ClickControl(window, IDC_SEND);
    });
    QVERIFY(timing.requested);
    QVERIFY2(timing.toGoneMs >= 1500 && timing.toGoneMs < kCloseLimitMs,
             qPrintable(QString::number(timing.toGoneMs)));
    QCOMPARE(bench.messages, std::vector<std::u16string>{kNotSent});
}

void QuilletWindowProof::closingWhileAnotherThreadsWindowCallWaitsEndsPromptly() {
    Bench bench;
    QVERIFY(bench.modem);
    CSmsDlg* dialog = bench.dialog.get();
    Clock::time_point callReturned{};
    const CloseTiming timing = CloseWhenHeard(
        bench, "AT+CMGR=1", [](DialogWindow&) {},
        [&] {
            // Queued behind the close while the window's thread is still in the read.
            dialog->SetDlgItemText(IDC_FROM, u"late");
            callReturned = Clock::now();
        });
    QVERIFY(timing.requested);
    QVERIFY2(timing.toGoneMs < kCloseLimitMs, qPrintable(QString::number(timing.toGoneMs)));
    // The call returned before the dialog went (the closer was joined first).
    QVERIFY(callReturned != Clock::time_point{});
    QVERIFY(bench.messages.empty());
}

QTEST_MAIN(QuilletWindowProof)
#include "quillet_window_test.moc"
