// The dialer window when its modem drops off the bus and comes back under the same path (a USB
// module that resets): on offscreen Qt, the real channel, the simulated modem on COM1.

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "dorrin/dial_dialog.h"
#include "dorrin/resource_ids.h"
#include "dorrin/texts.h"
#include "modal_driver.h"
#include "recorded_messages.h"
#include "simulated_com1.h"
#include "stopwatch.h"
#include "window_common/link_watch.h"
#include "window_probes.h"

using platform::ui::DialogWindow;
using namespace std::chrono_literals;

namespace {

const QString kDial = QString::fromUtf16(kDialCaption);
const QString kHangUp = QString::fromUtf16(kHangUpCaption);
const QString kNotice = QString::fromUtf16(kOtherPartyHungUp);
constexpr char kLineSpeed[] = "AT+IPR=115200";

struct DialWindowOnSimulator {
    static modemsim::SimulatorOptions Options(const TraceRecorder& trace) {
        modemsim::SimulatorOptions options;
        options.traceSink = trace.Sink();
        return options;
    }

    TraceRecorder trace;
    SimulatedCom1 modem{Options(trace)};
    RecordedMessages messages;
    std::unique_ptr<CDialDlg> dialog = std::make_unique<CDialDlg>();
};

QPushButton* Button(const DialogWindow& window, std::int32_t id) {
    return ControlAs<QPushButton>(window, id);
}

}  // namespace

class DialWindowUnplugTest : public QObject {
    Q_OBJECT

private slots:
    void unplugInTheNoticeThenReplugDialsAgain();
};

// The other side has hung up and the notice stands when the modem goes: the window says so at
// once, the notice still ends and releases the toggles, the window idles and a hang-up given
// meanwhile fails at once; once the device is back the start-up runs again and a dial works.
void DialWindowUnplugTest::unplugInTheNoticeThenReplugDialsAgain() {
    DialWindowOnSimulator run;
    QVERIFY(run.modem);
    long long noticeMs = -1;
    long long replugMs = -1;
    double cpuShare = 1;
    DriveModal(*run.dialog, [&](DialogWindow& window) {
        ClickControl(window, IDC_DIAL);
        QVERIFY(run.modem->RemoteHangUp().ok);
        auto* number = ControlAs<QLineEdit>(window, IDC_DIAL_NUMBER);
        QVERIFY(WaitUntil([&] { return number->text() == kNotice; }, 2000));
        const Stopwatch unplugged;
        QVERIFY(run.modem->Unplug().ok);
        QVERIFY(WaitUntil([&] { return !run.messages.texts.empty(); }, 2000));
        noticeMs = unplugged.ElapsedMs();
        QVERIFY(WaitUntil([&] { return !Button(window, IDC_DIAL)->isChecked(); }, 3000));
        QCOMPARE(Button(window, IDC_DIAL)->text(), kDial);
        cpuShare = CpuShareWhileIdle(2000);
        number->setText(QStringLiteral("13912345678"));  // the notice's end emptied the box
        const Stopwatch dial;
        ClickControl(window, IDC_DIAL);  // fails without a word, at once
        QVERIFY(dial.ElapsedMs() < 300 && !Button(window, IDC_DIAL)->isChecked());
        const int starts = HeardCount(run.trace, kLineSpeed);
        const auto replugAt = std::chrono::steady_clock::now();
        QVERIFY(run.modem->Replug().ok);
        QVERIFY(WaitUntil([&] { return HeardCount(run.trace, kLineSpeed) > starts; }, 3000));
        replugMs = HeardAfterMs(run.trace, kLineSpeed, replugAt);
        QVERIFY(WaitUntil([&] { return run.messages.texts.size() == 2; }, 3000));
        const int dials = HeardCount(run.trace, "ATD");
        ClickControl(window, IDC_DIAL);
        QVERIFY(Button(window, IDC_DIAL)->isChecked());
        QCOMPARE(Button(window, IDC_DIAL)->text(), kHangUp);
        QCOMPARE(HeardCount(run.trace, "ATD"), dials + 1);
    });
    QVERIFY2(noticeMs < 300, qPrintable(QString::number(noticeMs)));
    QVERIFY2(cpuShare < kIdleShare, qPrintable(QString::number(cpuShare * 100) + " % of a core"));
    QVERIFY2(replugMs >= 0 && replugMs < 1500, qPrintable(QString::number(replugMs)));
    QCOMPARE(run.messages.texts, (std::vector<std::u16string>{kModemLostNotice, kModemBackNotice}));
}

QTEST_MAIN(DialWindowUnplugTest)
#include "dial_window_unplug_test.moc"
