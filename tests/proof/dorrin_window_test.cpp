// The dialer window under faults, end to end on offscreen Qt: the real channel on a
// pseudo-terminal to the simulated modem on COM1. The modem pulled out under the open window,
// and the window closed while the real reader thread stands in the dropped-line notice or waits
// in a ring's window call (tests/dorrin covers both on the test backend).

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <thread>

#include "dorrin/dial_dialog.h"
#include "dorrin/resource_ids.h"
#include "modal_driver.h"
#include "platform/core/message_box.h"
#include "simulated_com1.h"
#include "window_probes.h"

using platform::ui::DialogWindow;

namespace {

const QString kDial = QStringLiteral("拨号");
const QString kNotice = QStringLiteral("对方已挂机.");
const std::u16string kHangUpFailed = u"挂机失败.";
const std::u16string kAnswerFailed = u"接听失败.";
const std::u16string kEndFailed = u"挂断失败.";
// From the close until DoModal has returned and the dialog with its channel is gone.
constexpr long long kCloseLimitMs = 2500;

struct Bench {
    SimulatedCom1 modem;
    std::vector<std::u16string> messages;  // shown on the window's thread only
    platform::ScopedMessageSink sink{
        [this](const std::u16string& text) { messages.push_back(text); }};
    std::unique_ptr<CDialDlg> dialog = std::make_unique<CDialDlg>();
};

QPushButton* Button(const DialogWindow& window, std::int32_t id) {
    return ControlAs<QPushButton>(window, id);
}

QString Text(const DialogWindow& window, std::int32_t id) {
    return ControlAs<QLineEdit>(window, id)->text();
}

// Clicks and gives how long the click's handler took.
long long TimedClick(const DialogWindow& window, std::int32_t id) {
    const Stopwatch watch;
    ClickControl(window, id);
    return watch.ElapsedMs();
}

bool FailedByTimeOut(long long ms) {
    return ms >= 450 && ms < 1200;
}

}  // namespace

class DorrinWindowProof : public QObject {
    Q_OBJECT

private slots:
    void unpluggedModemLeavesTheWindowUsable();
    void closingDuringTheDroppedLineNoticeEndsPromptly();
    void closingWhileARingsWindowCallWaitsEndsPromptly();
};

void DorrinWindowProof::unpluggedModemLeavesTheWindowUsable() {
    Bench bench;
    QVERIFY(bench.modem);
    const std::int32_t result = DriveModal(*bench.dialog, [&](DialogWindow& window) {
        ClickControl(window, IDC_DIAL);  // a call is up when the modem goes
        QVERIFY(Button(window, IDC_DIAL)->isChecked());
        bench.modem->Unplug();
        const double share = CpuShareWhileIdle(2000);
        QVERIFY2(share < 0.01, qPrintable(QString::number(share * 100) + " % of a core"));

        QVERIFY(FailedByTimeOut(TimedClick(window, IDC_DIAL)));  // hang up
        QVERIFY(!Button(window, IDC_DIAL)->isChecked());
        QCOMPARE(Button(window, IDC_DIAL)->text(), kDial);
        QVERIFY(FailedByTimeOut(TimedClick(window, IDC_ANSWER)));  // answer
        QVERIFY(!Button(window, IDC_ANSWER)->isChecked());
        Button(window, IDC_ANSWER)->setChecked(true);  // as after a call taken before the pull
        QVERIFY(FailedByTimeOut(TimedClick(window, IDC_ANSWER)));  // end the call
        QVERIFY(FailedByTimeOut(TimedClick(window, IDC_DIAL)));    // dial: fails without a word
        QVERIFY(!Button(window, IDC_DIAL)->isChecked());
        QCOMPARE(Button(window, IDC_DIAL)->text(), kDial);
    });
    QVERIFY(result != -1);
    QCOMPARE(bench.messages,
             (std::vector<std::u16string>{kHangUpFailed, kAnswerFailed, kEndFailed}));
    const Stopwatch watch;
    bench.dialog.reset();
    QVERIFY2(watch.ElapsedMs() < 1000, qPrintable(QString::number(watch.ElapsedMs())));
}

void DorrinWindowProof::closingDuringTheDroppedLineNoticeEndsPromptly() {
    Bench bench;
    QVERIFY(bench.modem);
    std::unique_ptr<Stopwatch> sinceClose;
    DriveModal(*bench.dialog, [&](DialogWindow& window) {
        ClickControl(window, IDC_DIAL);
        QVERIFY(Button(window, IDC_DIAL)->isChecked());
        QVERIFY(bench.modem->RemoteHangUp().ok);
        // The reader thread now pauses two seconds in the notice.
        QVERIFY(WaitUntil([&] { return Text(window, IDC_DIAL_NUMBER) == kNotice; }, 2000));
        sinceClose = std::make_unique<Stopwatch>();
        window.close();
    });
    bench.dialog.reset();  // the port closes and the reader thread is joined
    QVERIFY(sinceClose);
    QVERIFY2(sinceClose->ElapsedMs() < kCloseLimitMs,
             qPrintable(QString::number(sinceClose->ElapsedMs())));
    QVERIFY(bench.messages.empty());
}

void DorrinWindowProof::closingWhileARingsWindowCallWaitsEndsPromptly() {
    Bench bench;
    QVERIFY(bench.modem);
    std::unique_ptr<Stopwatch> sinceClose;
    DriveModal(*bench.dialog, [&](DialogWindow& window) {
        QVERIFY(bench.modem->Ring(std::string("13912345678")).ok);
        // The window's thread is busy; the reader thread's call that shows the caller waits.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        QVERIFY(Text(window, IDC_CALLER).isEmpty());
        sinceClose = std::make_unique<Stopwatch>();
        window.close();
    });
    bench.dialog.reset();
    QVERIFY(sinceClose);
    QVERIFY2(sinceClose->ElapsedMs() < kCloseLimitMs,
             qPrintable(QString::number(sinceClose->ElapsedMs())));
    QVERIFY(bench.messages.empty());
}

QTEST_MAIN(DorrinWindowProof)
#include "dorrin_window_test.moc"
