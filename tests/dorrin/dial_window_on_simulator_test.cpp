// The dialer window end to end: the real channel on a pseudo-terminal to the simulated modem.

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "dorrin/dial_dialog.h"
#include "dorrin/resource_ids.h"
#include "modal_driver.h"
#include "recorded_messages.h"
#include "simulated_com1.h"
#include "stopwatch.h"

using platform::ui::DialogWindow;

class DialWindowOnSimulator : public QObject {
    Q_OBJECT

private slots:
    void dialsAndHangsUp();
    void takesACallThatTheOtherSideEnds();
};

namespace {

modemsim::SimulatorOptions Options() {
    modemsim::SimulatorOptions options;
    options.ringPeriodMs = 400;
    return options;
}

QPushButton* Button(const DialogWindow& window, std::int32_t id) {
    return ControlAs<QPushButton>(window, id);
}

}  // namespace

void DialWindowOnSimulator::dialsAndHangsUp() {
    SimulatedCom1 modem(Options());
    QVERIFY(modem);
    RecordedMessages messages;
    CDialDlg dialog;
    DriveModal(dialog, [&](DialogWindow& window) {
        ControlAs<QLineEdit>(window, IDC_DIAL_NUMBER)->setText(QStringLiteral("+8613912345678"));
        ClickControl(window, IDC_DIAL);
        QVERIFY(Button(window, IDC_DIAL)->isChecked());
        QCOMPARE(Button(window, IDC_DIAL)->text(), QStringLiteral("挂机"));
        const modemsim::Call call = modem->Snapshot().call;
        QCOMPARE(call.phase, modemsim::CallPhase::kActive);
        QCOMPARE(call.number, std::string("+8613912345678"));
        ClickControl(window, IDC_DIAL);
        QVERIFY(!Button(window, IDC_DIAL)->isChecked());
        QCOMPARE(Button(window, IDC_DIAL)->text(), QStringLiteral("拨号"));
        QCOMPARE(modem->Snapshot().call.phase, modemsim::CallPhase::kIdle);
    });
    QVERIFY(messages.texts.empty());
}

void DialWindowOnSimulator::takesACallThatTheOtherSideEnds() {
    SimulatedCom1 modem(Options());
    QVERIFY(modem);
    RecordedMessages messages;
    CDialDlg dialog;
    DriveModal(dialog, [&](DialogWindow& window) {
        auto* caller = ControlAs<QLineEdit>(window, IDC_CALLER);
        QVERIFY(modem->Ring(std::string("10086")).ok);
        QVERIFY(WaitUntil([&] { return caller->text() == QStringLiteral("10086"); }, 2000));
        ClickControl(window, IDC_ANSWER);
        QVERIFY(Button(window, IDC_ANSWER)->isChecked());
        QCOMPARE(Button(window, IDC_ANSWER)->text(), QStringLiteral("挂断"));
        QCOMPARE(modem->Snapshot().call.phase, modemsim::CallPhase::kActive);
        const Stopwatch watch;
        QVERIFY(modem->RemoteHangUp().ok);
        QVERIFY(WaitUntil([&] { return caller->text() == QStringLiteral("对方已挂机."); }, 2000));
        QVERIFY(WaitUntil([&] { return !Button(window, IDC_ANSWER)->isChecked(); }, 3500));
        QVERIFY(watch.ElapsedMs() >= 1900);
        QVERIFY(caller->text().isEmpty());
        QCOMPARE(Button(window, IDC_ANSWER)->text(), QStringLiteral("接听"));
        QCOMPARE(Button(window, IDC_DIAL)->text(), QStringLiteral("拨号"));
        QCOMPARE(ControlAs<QLineEdit>(window, IDC_DIAL_NUMBER)->text().size(), 11);
    });
    QVERIFY(messages.texts.empty());
}

QTEST_MAIN(DialWindowOnSimulator)
#include "dial_window_on_simulator_test.moc"
