// The message window end to end: the real channel on a pseudo-terminal to the simulated modem.

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include "modal_driver.h"
#include "quillet/resource_ids.h"
#include "quillet/sms_dialog.h"
#include "recorded_messages.h"
#include "simulated_com1.h"
#include "stopwatch.h"

using platform::ui::DialogWindow;

class SmsWindowOnSimulator : public QObject {
    Q_OBJECT

private slots:
    void sendsAMessageThatLandsInTheOutboxByteForByte();
    void showsADeliveredMessageWithinTwoPollsAndEmptiesTheSlot();
};

namespace {

modemsim::SimulatorOptions Fast() {
    modemsim::SimulatorOptions options;
    options.networkDelayMs = 200;
    return options;
}

}  // namespace

void SmsWindowOnSimulator::sendsAMessageThatLandsInTheOutboxByteForByte() {
    SimulatedCom1 modem(Fast());
    QVERIFY(modem);
    RecordedMessages messages;
    CSmsDlg dialog;
    const QString text = QStringLiteral("Line one\r\nline two: 100% {ok} ~ \"quoted\"");
    DriveModal(dialog, [&](DialogWindow& window) {
        ControlAs<QLineEdit>(window, IDC_NUMBER)->setText(QStringLiteral("+8613912345678"));
        ControlAs<QPlainTextEdit>(window, IDC_TEXT)->setPlainText(text);
        ClickControl(window, IDC_SEND);
        QVERIFY(WaitUntil([&] { return !messages.texts.empty(); }, 5000));
    });
    QCOMPARE(messages.texts, (std::vector<std::u16string>{u"短信发送成功."}));
    const modemsim::ModemState state = modem->Snapshot();
    QCOMPARE(state.outbox.size(), std::size_t{1});
    QCOMPARE(state.outbox[0].destination, std::string("+8613912345678"));
    QCOMPARE(state.outbox[0].text, std::string("Line one\r\nline two: 100% {ok} ~ \"quoted\"\r\n"));
}

void SmsWindowOnSimulator::showsADeliveredMessageWithinTwoPollsAndEmptiesTheSlot() {
    SimulatedCom1 modem(Fast());
    QVERIFY(modem);
    RecordedMessages messages;
    CSmsDlg dialog;
    DriveModal(dialog, [&](DialogWindow& window) {
        modemsim::SmsDelivery delivery;
        delivery.sender = "+8613912345678";
        delivery.text = "Arrived\nsafely";
        delivery.slot = 1;
        QVERIFY(modem->DeliverSms(delivery).ok);
        // The first read finds it unread and waits out its silence; the next one shows it.
        // A poll lasts up to 2 s of silence plus the 1 s period.
        auto* from = ControlAs<QLineEdit>(window, IDC_FROM);
        QVERIFY(WaitUntil([&] { return !from->text().isEmpty(); }, 7500));
        QCOMPARE(from->text(), QStringLiteral("+8613912345678"));
        QVERIFY(dialog.GetDlgItemText(IDC_RECEIVED) == u"Arrived\r\nsafely");
        QVERIFY(WaitUntil([&] { return modem->Snapshot().storage.IsFree(1); }, 3000));
    });
    QVERIFY(messages.texts.empty());
}

QTEST_MAIN(SmsWindowOnSimulator)
#include "sms_window_on_simulator_test.moc"
