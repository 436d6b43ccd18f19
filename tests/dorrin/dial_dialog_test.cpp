// The dialer window on offscreen Qt, against a call modem behind the test backend.

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <future>
#include <thread>

#include "call_modem.h"
#include "dorrin/dial_dialog.h"
#include "dorrin/resource_ids.h"
#include "fake_system.h"
#include "modal_driver.h"
#include "stopwatch.h"

using platform::ui::DialogWindow;

namespace {

const QString kDial = QStringLiteral("拨号");
const QString kHangUp = QStringLiteral("挂机");
const QString kAnswer = QStringLiteral("接听");
const QString kEnd = QStringLiteral("挂断");
const QString kNotice = QStringLiteral("对方已挂机.");
const std::string kOk = "\r\nOK\r\n";
const std::string kError = "\r\nERROR\r\n";

struct Bench {
    explicit Bench(platform::InjectedFaults faults = {}) : system(faults), modem(system.backend) {}
    std::vector<std::u16string> Messages() const { return system.backend.Messages(); }

    FakeSystem system;
    CallModem modem;
    CDialDlg dialog;
};

QPushButton* Button(const DialogWindow& window, std::int32_t id) {
    return ControlAs<QPushButton>(window, id);
}

QString Text(const DialogWindow& window, std::int32_t id) {
    return ControlAs<QLineEdit>(window, id)->text();
}

// Puts a toggle into the state the row starts from, the way the user got there.
void PressInto(Bench& bench, const DialogWindow& window, std::int32_t id) {
    bench.modem.SetAnswer(id == IDC_DIAL ? "ATD" : "ATA", kOk);
    ClickControl(window, id);
    QVERIFY(Button(window, id)->isChecked());
}

}  // namespace

class DialDialogTest : public QObject {
    Q_OBJECT

private slots:
    void startsIdleWithTheDefaultNumber();
    void stateTable_data();
    void stateTable();
    void failedAnswerReleasesTheButtonBeforeItsMessage();
    void blanksAndSignsGoOutUnchanged();
    void ringShowsTheCallerAndTouchesNoButton();
    void droppedLineShowsTheNoticeInTheBoxOfTheCall_data();
    void droppedLineShowsTheNoticeInTheBoxOfTheCall();
    void commandDuringTheNoticeFailsAfterTheSilenceTimeOut();
    void eventsAfterAFailedStartUpChangeNothing();
    void unknownEventCodeChangesNothing();
    void closingDuringTheNoticeEndsPromptly();
    void closingWhileAWindowCallWaitsEndsPromptly();
    void saveScreenshot();
};

void DialDialogTest::startsIdleWithTheDefaultNumber() {
    Bench bench;
    DriveModal(bench.dialog, [&](DialogWindow& window) {
        QCOMPARE(Text(window, IDC_DIAL_NUMBER).size(), 11);
        QVERIFY(Text(window, IDC_CALLER).isEmpty());
        QCOMPARE(Button(window, IDC_DIAL)->text(), kDial);
        QCOMPARE(Button(window, IDC_ANSWER)->text(), kAnswer);
        QVERIFY(!Button(window, IDC_DIAL)->isChecked() && !Button(window, IDC_ANSWER)->isChecked());
        QVERIFY(window.windowTitle().startsWith(QStringLiteral("GPRS拔电话测试  ")));
    });
    QCOMPARE(bench.modem.Lines(),
             (std::vector<std::string>{"AT", "AT", "AT+IPR=115200", "AT+CLIP=1", "AT+CMGF=1"}));
    QVERIFY(bench.Messages().empty());
}

void DialDialogTest::stateTable_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("startsDown");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("endsDown");
    QTest::addColumn<QString>("caption");
    const QString none;
    const QString ok = QString::fromStdString(kOk);
    const QString error = QString::fromStdString(kError);
    QTest::newRow("dial, empty number") << IDC_DIAL << false << "" << none << ok
                                        << QStringLiteral("请输入拨号号码.") << false << kDial;
    QTest::newRow("dial accepted") << IDC_DIAL << false << "13912345678"
                                   << "ATD13912345678;" << ok << none << true << kHangUp;
    QTest::newRow("dial refused") << IDC_DIAL << false << "13912345678" << "ATD13912345678;"
                                  << error << none << false << kDial;
    QTest::newRow("dial, silence") << IDC_DIAL << false << "13912345678" << "ATD13912345678;"
                                   << "" << none << false << kDial;
    QTest::newRow("hang up") << IDC_DIAL << true << "13912345678" << "ATH" << ok << none << false
                             << kDial;
    QTest::newRow("hang up fails") << IDC_DIAL << true << "13912345678" << "ATH" << error
                                   << QStringLiteral("挂机失败.") << false << kDial;
    QTest::newRow("answer") << IDC_ANSWER << false << "" << "ATA" << ok << none << true << kEnd;
    QTest::newRow("answer fails") << IDC_ANSWER << false << "" << "ATA" << error
                                  << QStringLiteral("接听失败.") << false << kAnswer;
    QTest::newRow("end call") << IDC_ANSWER << true << "" << "AT+CHUP" << ok << none << false
                              << kAnswer;
    QTest::newRow("end call fails") << IDC_ANSWER << true << "" << "AT+CHUP" << error
                                    << QStringLiteral("挂断失败.") << false << kAnswer;
}

void DialDialogTest::stateTable() {
    QFETCH(int, button);
    QFETCH(bool, startsDown);
    QFETCH(QString, number);
    QFETCH(QString, command);
    QFETCH(QString, answer);
    QFETCH(QString, message);
    QFETCH(bool, endsDown);
    QFETCH(QString, caption);
    Bench bench;
    DriveModal(bench.dialog, [&](DialogWindow& window) {
        ControlAs<QLineEdit>(window, IDC_DIAL_NUMBER)->setText(number);
        if (startsDown) {
            ControlAs<QLineEdit>(window, IDC_DIAL_NUMBER)->setText(QStringLiteral("1"));
            PressInto(bench, window, button);
            ControlAs<QLineEdit>(window, IDC_DIAL_NUMBER)->setText(number);
        }
        const std::string key = command.startsWith(QStringLiteral("ATD"))
                                    ? std::string("ATD")
                                    : command.toStdString();
        if (!command.isEmpty()) {
            bench.modem.SetAnswer(key, answer.toStdString());
        }
        const std::size_t linesBefore = bench.modem.Lines().size();
        ClickControl(window, button);
        QCOMPARE(Button(window, button)->isChecked(), endsDown);
        QCOMPARE(Button(window, button)->text(), caption);
        const std::vector<std::string> lines = bench.modem.Lines();
        const std::vector<std::string> sent(lines.begin() + static_cast<long>(linesBefore),
                                            lines.end());
        QCOMPARE(sent, command.isEmpty() ? std::vector<std::string>{}
                                         : std::vector<std::string>{command.toStdString()});
        // The other toggle is never touched.
        const std::int32_t other = button == IDC_DIAL ? IDC_ANSWER : IDC_DIAL;
        QVERIFY(!Button(window, other)->isChecked());
        QCOMPARE(Button(window, other)->text(), other == IDC_DIAL ? kDial : kAnswer);
    });
    const std::vector<std::u16string> messages = bench.Messages();
    QCOMPARE(messages.size(), message.isEmpty() ? std::size_t{0} : std::size_t{1});
    if (!message.isEmpty()) {
        QCOMPARE(QString::fromStdU16String(messages[0]), message);
    }
}

void DialDialogTest::failedAnswerReleasesTheButtonBeforeItsMessage() {
    FakeSystem system;
    CallModem modem(system.backend);
    CDialDlg dialog;
    bool upWhenShown = false;
    QString captionWhenShown;
    const platform::ScopedMessageSink sink([&](const std::u16string&) {
        upWhenShown = (dialog.GetButtonState(IDC_ANSWER) & 3) == BST_UNCHECKED;
        captionWhenShown = QString::fromStdU16String(dialog.GetDlgItemText(IDC_ANSWER));
    });
    modem.SetAnswer("ATA", kError);
    DriveModal(dialog, [&](DialogWindow& window) { ClickControl(window, IDC_ANSWER); });
    QVERIFY(upWhenShown);
    QCOMPARE(captionWhenShown, kAnswer);
}

void DialDialogTest::blanksAndSignsGoOutUnchanged() {
    Bench bench;
    DriveModal(bench.dialog, [&](DialogWindow& window) {
        ControlAs<QLineEdit>(window, IDC_DIAL_NUMBER)->setText(QStringLiteral("  "));
        ClickControl(window, IDC_DIAL);
        ClickControl(window, IDC_DIAL);  // hang up again
        ControlAs<QLineEdit>(window, IDC_DIAL_NUMBER)->setText(QStringLiteral("+86 139"));
        ClickControl(window, IDC_DIAL);
    });
    QCOMPARE(bench.modem.CountOf("ATD  ;"), 1);
    QCOMPARE(bench.modem.CountOf("ATD+86 139;"), 1);
    QVERIFY(bench.Messages().empty());
}

void DialDialogTest::ringShowsTheCallerAndTouchesNoButton() {
    Bench bench;
    DriveModal(bench.dialog, [&](DialogWindow& window) {
        PressInto(bench, window, IDC_DIAL);
        bench.modem.Ring("+8613912345678");
        QVERIFY(WaitUntil([&] { return Text(window, IDC_CALLER) == "+8613912345678"; }, 2000));
        bench.modem.Ring("");  // no caller identification: the box empties
        QVERIFY(WaitUntil([&] { return Text(window, IDC_CALLER).isEmpty(); }, 2000));
        QVERIFY(Button(window, IDC_DIAL)->isChecked());
        QCOMPARE(Button(window, IDC_DIAL)->text(), kHangUp);
        QVERIFY(!Button(window, IDC_ANSWER)->isChecked());
        // Answering and ending never change the caller box.
        bench.modem.Ring("10086");
        QVERIFY(WaitUntil([&] { return Text(window, IDC_CALLER) == "10086"; }, 2000));
        ClickControl(window, IDC_ANSWER);
        ClickControl(window, IDC_ANSWER);
        QCOMPARE(Text(window, IDC_CALLER), QStringLiteral("10086"));
    });
}

void DialDialogTest::droppedLineShowsTheNoticeInTheBoxOfTheCall_data() {
    QTest::addColumn<bool>("dialDown");
    QTest::addColumn<bool>("answerDown");
    QTest::newRow("own call") << true << false;
    QTest::newRow("answered call") << false << true;
    QTest::newRow("both down") << true << true;
    QTest::newRow("no call") << false << false;
}

void DialDialogTest::droppedLineShowsTheNoticeInTheBoxOfTheCall() {
    QFETCH(bool, dialDown);
    QFETCH(bool, answerDown);
    Bench bench;
    DriveModal(bench.dialog, [&](DialogWindow& window) {
        if (dialDown) {
            PressInto(bench, window, IDC_DIAL);
        }
        if (answerDown) {
            PressInto(bench, window, IDC_ANSWER);
        }
        ControlAs<QLineEdit>(window, IDC_CALLER)->setText(QStringLiteral("10086"));
        const std::int32_t target = dialDown ? IDC_DIAL_NUMBER : IDC_CALLER;
        const std::int32_t other = dialDown ? IDC_CALLER : IDC_DIAL_NUMBER;
        const QString otherBefore = Text(window, other);
        const Stopwatch watch;
        bench.modem.DropLine();
        QVERIFY(WaitUntil([&] { return Text(window, target) == kNotice; }, 1000));
        QVERIFY(WaitUntil([&] { return Text(window, target).isEmpty(); }, 3000));
        const long long stood = watch.ElapsedMs();
        QVERIFY2(stood >= 1900 && stood < 2800, qPrintable(QString::number(stood)));
        // The buttons go last, the dial button after the answer button.
        QVERIFY(WaitUntil([&] {
            return !Button(window, IDC_DIAL)->isChecked() &&
                   !Button(window, IDC_ANSWER)->isChecked() &&
                   Button(window, IDC_DIAL)->text() == kDial;
        }, 500));
        QCOMPARE(Button(window, IDC_DIAL)->text(), kDial);
        QCOMPARE(Button(window, IDC_ANSWER)->text(), kAnswer);
        QCOMPARE(Text(window, other), otherBefore);
    });
    QVERIFY(bench.Messages().empty());
}

void DialDialogTest::commandDuringTheNoticeFailsAfterTheSilenceTimeOut() {
    Bench bench;
    long long took = 0;
    DriveModal(bench.dialog, [&](DialogWindow& window) {
        bench.modem.DropLine();
        QVERIFY(WaitUntil([&] { return Text(window, IDC_CALLER) == kNotice; }, 1000));
        // The modem answers OK at once, but nothing is read while the notice stands.
        const Stopwatch watch;
        ClickControl(window, IDC_ANSWER);
        took = watch.ElapsedMs();
        QVERIFY(!Button(window, IDC_ANSWER)->isChecked());
        QCOMPARE(bench.modem.CountOf("ATA"), 1);
        QVERIFY(WaitUntil([&] { return Text(window, IDC_CALLER).isEmpty(); }, 3000));
    });
    QVERIFY2(took >= 450 && took < 1200, qPrintable(QString::number(took)));
    QCOMPARE(bench.Messages(), (std::vector<std::u16string>{u"接听失败."}));
}

void DialDialogTest::eventsAfterAFailedStartUpChangeNothing() {
    Bench bench;
    bench.modem.SetAnswer("AT+IPR=115200", kError);
    DriveModal(bench.dialog, [&](DialogWindow& window) {
        QVERIFY(window.isVisible());
        ControlAs<QLineEdit>(window, IDC_CALLER)->setText(QStringLiteral("keep"));
        bench.modem.Ring("13912345678");
        bench.modem.DropLine();
        QTest::qWait(300);
        QCOMPARE(Text(window, IDC_CALLER), QStringLiteral("keep"));
        QCOMPARE(Text(window, IDC_DIAL_NUMBER).size(), 11);
        // A press still runs its command, which fails at once on a channel without a port.
        const Stopwatch watch;
        ClickControl(window, IDC_DIAL);
        QVERIFY(watch.ElapsedMs() < 300);
        QVERIFY(!Button(window, IDC_DIAL)->isChecked());
        QCOMPARE(Button(window, IDC_DIAL)->text(), kDial);
    });
    QCOMPARE(bench.Messages(), (std::vector<std::u16string>{u"GPRS初始化失败,请检查是否安装正确."}));
}

void DialDialogTest::unknownEventCodeChangesNothing() {
    Bench bench;
    DriveModal(bench.dialog, [&](DialogWindow& window) {
        std::thread reader([&] { CDialDlg::OnModemEvent(&bench.dialog, 3, u"13912345678"); });
        reader.join();
        QTest::qWait(50);
        QVERIFY(Text(window, IDC_CALLER).isEmpty());
        QCOMPARE(Text(window, IDC_DIAL_NUMBER).size(), 11);
        QVERIFY(!Button(window, IDC_DIAL)->isChecked());
    });
}

void DialDialogTest::closingDuringTheNoticeEndsPromptly() {
    auto bench = std::make_unique<Bench>();
    long long closeToGone = 0;
    Stopwatch* closedAt = nullptr;
    DriveModal(bench->dialog, [&](DialogWindow& window) {
        PressInto(*bench, window, IDC_DIAL);
        bench->modem.DropLine();
        QVERIFY(WaitUntil([&] { return Text(window, IDC_DIAL_NUMBER) == kNotice; }, 1000));
        closedAt = new Stopwatch;
        window.close();
    });
    bench.reset();  // the channel goes with the dialog: port closed, reader thread joined
    closeToGone = closedAt->ElapsedMs();
    delete closedAt;
    QVERIFY2(closeToGone < 1000, qPrintable(QString::number(closeToGone)));
}

void DialDialogTest::closingWhileAWindowCallWaitsEndsPromptly() {
    auto bench = std::make_unique<Bench>();
    DriveModal(bench->dialog, [&](DialogWindow& window) {
        bench->modem.Ring("13912345678");
        // The window's thread is busy; the ring's window call waits for it.
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        QVERIFY(Text(window, IDC_CALLER).isEmpty());
        window.close();
    });
    const Stopwatch watch;
    bench.reset();
    QVERIFY2(watch.ElapsedMs() < 1000, qPrintable(QString::number(watch.ElapsedMs())));
}

void DialDialogTest::saveScreenshot() {
    const char* path = std::getenv("DORRIN_SCREENSHOT");
    if (path == nullptr) {
        QSKIP("DORRIN_SCREENSHOT not set");
    }
    Bench bench;
    DriveModal(bench.dialog, [&](DialogWindow& window) {
        PressInto(bench, window, IDC_DIAL);
        bench.modem.Ring("+8613912345678");
        QVERIFY(WaitUntil([&] { return !Text(window, IDC_CALLER).isEmpty(); }, 2000));
        QVERIFY(window.grab().save(QString::fromLocal8Bit(path)));
    });
}

QTEST_MAIN(DialDialogTest)
#include "dial_dialog_test.moc"
