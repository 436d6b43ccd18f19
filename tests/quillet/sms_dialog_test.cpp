// The message window on offscreen Qt, against a modem behind the test backend.

#include <QIcon>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <algorithm>
#include <cstdlib>

#include "fake_system.h"
#include "modal_driver.h"
#include "quillet/resource_ids.h"
#include "quillet/sms_dialog.h"
#include "stopwatch.h"
#include "window_modem.h"

using platform::ui::DialogWindow;

namespace {

const std::u16string kStartFailed = u"GPRS初始化失败, 请检查是否安装正确.";
const std::u16string kEmptyInput = u"电话号码或短信内容不能为空.";
const std::u16string kSent = u"短信发送成功.";
const std::u16string kNotSent = u"短信发送失败.";
const std::u16string kCentreSet = u"设置短信中心号码成功.";
const std::u16string kCentreNotSet = u"设置短信中心号码失败.";

// One window run against the fake modem; messages are recorded, not shown.
struct Bench {
    explicit Bench(platform::InjectedFaults faults = {}) : system(faults), modem(system.backend) {}

    std::vector<std::u16string> Messages() const { return system.backend.Messages(); }
    void SetText(const DialogWindow& window, std::int32_t id, const QString& text) {
        if (auto* line = ControlAs<QLineEdit>(window, id)) {
            line->setText(text);
        } else if (auto* multi = ControlAs<QPlainTextEdit>(window, id)) {
            multi->setPlainText(text);
        }
    }

    FakeSystem system;
    WindowModem modem;
    CSmsDlg dialog;
};

bool WaitForMessages(const Bench& bench, std::size_t count, int timeoutMs = 5000) {
    return WaitUntil([&] { return bench.Messages().size() >= count; }, timeoutMs);
}

int IndexOfLine(const std::vector<std::string>& lines, const std::string& line) {
    const auto found = std::find(lines.begin(), lines.end(), line);
    return found == lines.end() ? -1 : static_cast<int>(found - lines.begin());
}

}  // namespace

class SmsDialogTest : public QObject {
    Q_OBJECT

private slots:
    void startsTheModemClearsSlotOneAndShowsTheDefaults();
    void messageInSlotAtStartIsDeletedUnseen();
    void deliveredMessageIsShownOnceAndItsSlotDeleted();
    void unreadMessageIsShownOnThePollAfter();
    void receivedLineBreaksBecomeCrLf_data();
    void receivedLineBreaksBecomeCrLf();
    void emptyNumberOrTextWarnsAndSendsNothing_data();
    void emptyNumberOrTextWarnsAndSendsNothing();
    void sendOutcomes_data();
    void sendOutcomes();
    void setCentreOutcomes_data();
    void setCentreOutcomes();
    void failedStartUpStillOpensAndPollsQuietly();
    void pollRestartsAboutASecondAfterEachPoll();
    void saveScreenshot();
};

void SmsDialogTest::startsTheModemClearsSlotOneAndShowsTheDefaults() {
    Bench bench;
    DriveModal(bench.dialog, [&](DialogWindow& window) {
        QCOMPARE(ControlAs<QLineEdit>(window, IDC_NUMBER)->text().size(), 11);
        QVERIFY(!ControlAs<QPlainTextEdit>(window, IDC_TEXT)->toPlainText().isEmpty());
        QCOMPARE(ControlAs<QLineEdit>(window, IDC_CENTRE)->text(),
                 QStringLiteral("+8613800200500"));
        QVERIFY(ControlAs<QLineEdit>(window, IDC_FROM)->text().isEmpty());
        QVERIFY(window.windowTitle().startsWith(QStringLiteral("GPRS收发短信测试  ")));
        QVERIFY(!window.windowIcon().isNull());
        QVERIFY(WaitUntil([&] { return bench.modem.CountOf("AT+CMGR=1") >= 1; }, 3000));
    });
    const std::vector<std::string> lines = bench.modem.Lines();
    const std::vector<std::string> startUp = {"AT",        "AT",        "AT+IPR=115200",
                                              "AT+CREG=1", "AT+CLIP=1", "AT+CMGF=1",
                                              "AT+CSCS=\"GSM\"", "AT+CMGD=1", "AT+CMGR=1"};
    QVERIFY(lines.size() >= startUp.size());
    QVERIFY(std::equal(startUp.begin(), startUp.end(), lines.begin()));
    QVERIFY(bench.Messages().empty());
}

void SmsDialogTest::messageInSlotAtStartIsDeletedUnseen() {
    Bench bench;
    bench.modem.Store("+8613912345678", "left over");
    DriveModal(bench.dialog, [&](DialogWindow& window) {
        QVERIFY(WaitUntil([&] { return bench.modem.CountOf("AT+CMGR=1") >= 2; }, 4000));
        QVERIFY(ControlAs<QLineEdit>(window, IDC_FROM)->text().isEmpty());
        QVERIFY(ControlAs<QPlainTextEdit>(window, IDC_RECEIVED)->toPlainText().isEmpty());
    });
    const std::vector<std::string> lines = bench.modem.Lines();
    QVERIFY(IndexOfLine(lines, "AT+CMGD=1") < IndexOfLine(lines, "AT+CMGR=1"));
}

void SmsDialogTest::deliveredMessageIsShownOnceAndItsSlotDeleted() {
    Bench bench;
    DriveModal(bench.dialog, [&](DialogWindow& window) {
        QVERIFY(WaitUntil([&] { return bench.modem.CountOf("AT+CMGR=1") >= 1; }, 3000));
        const Stopwatch sinceArrival;
        bench.modem.Store("+8613912345678", "hello, ERROR\r\n\r\nOK then");
        auto* from = ControlAs<QLineEdit>(window, IDC_FROM);
        // Within two polls of the arrival.
        QVERIFY(WaitUntil([&] { return !from->text().isEmpty(); }, 2600));
        QVERIFY(sinceArrival.ElapsedMs() < 2600);
        QCOMPARE(from->text(), QStringLiteral("+8613912345678"));
        QVERIFY(bench.dialog.GetDlgItemText(IDC_RECEIVED) == u"hello, ERROR\r\n\r\nOK then");
        QVERIFY(WaitUntil([&] { return bench.modem.SlotEmpty(); }, 2000));
        // Shown once: the user's edits are not overwritten by later polls.
        from->setText(QStringLiteral("seen"));
        const int reads = bench.modem.CountOf("AT+CMGR=1");
        QVERIFY(WaitUntil([&] { return bench.modem.CountOf("AT+CMGR=1") >= reads + 2; }, 4000));
        QCOMPARE(from->text(), QStringLiteral("seen"));
    });
    const std::vector<std::string> lines = bench.modem.Lines();
    QCOMPARE(bench.modem.CountOf("AT+CMGD=1"), 2);  // at start, and after the message
}

void SmsDialogTest::unreadMessageIsShownOnThePollAfter() {
    Bench bench;
    DriveModal(bench.dialog, [&](DialogWindow& window) {
        QVERIFY(WaitUntil([&] { return bench.modem.CountOf("AT+CMGR=1") >= 1; }, 3000));
        const int readsBefore = bench.modem.CountOf("AT+CMGR=1");
        bench.modem.Store("10086", "fresh", true);
        auto* from = ControlAs<QLineEdit>(window, IDC_FROM);
        // The read that sees "REC UNREAD" waits out its 2 s of silence; the next one shows it.
        QVERIFY(WaitUntil([&] { return !from->text().isEmpty(); }, 6000));
        QVERIFY(bench.modem.CountOf("AT+CMGR=1") >= readsBefore + 2);
        QCOMPARE(from->text(), QStringLiteral("10086"));
    });
}

void SmsDialogTest::receivedLineBreaksBecomeCrLf_data() {
    QTest::addColumn<QString>("received");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("lines");
    QTest::newRow("bare LF") << "x\ny" << "x\r\ny" << 2;
    QTest::newRow("leading LF") << "\nlead" << "\r\nlead" << 2;
    QTest::newRow("CR LF stays one pair") << "a\r\nb" << "a\r\nb" << 2;
    QTest::newRow("two LFs") << "\n\n" << "\r\n\r\n" << 3;
    QTest::newRow("no break") << "plain" << "plain" << 1;
}

void SmsDialogTest::receivedLineBreaksBecomeCrLf() {
    QFETCH(QString, received);
    QFETCH(QString, shown);
    QFETCH(int, lines);
    Bench bench;
    bench.modem.Store("5551234", received.toStdString());
    DriveModal(bench.dialog, [&](DialogWindow& window) {
        QVERIFY(WaitUntil([&] { return bench.modem.CountOf("AT+CMGR=1") >= 1; }, 3000));
        bench.modem.Store("5551234", received.toStdString());
        auto* from = ControlAs<QLineEdit>(window, IDC_FROM);
        QVERIFY(WaitUntil([&] { return !from->text().isEmpty(); }, 3000));
        QCOMPARE(QString::fromStdU16String(bench.dialog.GetDlgItemText(IDC_RECEIVED)), shown);
        QCOMPARE(ControlAs<QPlainTextEdit>(window, IDC_RECEIVED)->blockCount(), lines);
    });
}

void SmsDialogTest::emptyNumberOrTextWarnsAndSendsNothing_data() {
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("sent");
    QTest::newRow("empty number") << "" << "hi" << false;
    QTest::newRow("empty text") << "13912345678" << "" << false;
    QTest::newRow("both empty") << "" << "" << false;
    QTest::newRow("blank number is content") << "  " << "hi" << true;
    QTest::newRow("blank text is content") << "13912345678" << " " << true;
}

void SmsDialogTest::emptyNumberOrTextWarnsAndSendsNothing() {
    QFETCH(QString, number);
    QFETCH(QString, text);
    QFETCH(bool, sent);
    Bench bench;
    DriveModal(bench.dialog, [&](DialogWindow& window) {
        bench.SetText(window, IDC_NUMBER, number);
        bench.SetText(window, IDC_TEXT, text);
        ClickControl(window, IDC_SEND);
        QVERIFY(WaitForMessages(bench, 1));
    });
    const std::vector<std::u16string> messages = bench.Messages();
    QCOMPARE(messages.size(), std::size_t{1});
    QVERIFY(messages[0] == (sent ? kSent : kEmptyInput));
    const std::string line = "AT+CMGS=\"" + number.toStdString() + "\"";
    QCOMPARE(bench.modem.CountOf(line), sent ? 1 : 0);
    if (sent) {
        QCOMPARE(bench.modem.CountOf("TEXT:" + text.toStdString()), 1);
    }
}

void SmsDialogTest::sendOutcomes_data() {
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<QString>("result");
    QTest::addColumn<bool>("success");
    QTest::addColumn<int>("atLeastMs");
    QTest::newRow("accepted") << "\r\n> " << "\r\n+CMGS: 12\r\n\r\nOK\r\n" << true << 0;
    QTest::newRow("refused at the prompt") << "\r\nERROR\r\n" << "" << false << 0;
    QTest::newRow("network error") << "\r\n> " << "\r\n+CMS ERROR: 500\r\n" << false << 0;
    QTest::newRow("plain error") << "\r\n> " << "\r\nERROR\r\n" << false << 0;
    QTest::newRow("no prompt") << "" << "" << false << 1900;
}

void SmsDialogTest::sendOutcomes() {
    QFETCH(QString, prompt);
    QFETCH(QString, result);
    QFETCH(bool, success);
    QFETCH(int, atLeastMs);
    Bench bench;
    bench.modem.SetPromptAnswer(prompt.toStdString());
    bench.modem.SetSendAnswer(result.toStdString());
    long long elapsed = 0;
    DriveModal(bench.dialog, [&](DialogWindow& window) {
        bench.SetText(window, IDC_NUMBER, QStringLiteral("13912345678"));
        bench.SetText(window, IDC_TEXT, QStringLiteral("CMGS in the text is no result"));
        const Stopwatch watch;
        ClickControl(window, IDC_SEND);
        QVERIFY(WaitForMessages(bench, 1, 5000));
        elapsed = watch.ElapsedMs();
    });
    const std::vector<std::u16string> messages = bench.Messages();
    QCOMPARE(messages.size(), std::size_t{1});
    QVERIFY(messages[0] == (success ? kSent : kNotSent));
    QVERIFY(elapsed >= atLeastMs);
    QCOMPARE(bench.modem.CountOf("AT+CMGS=\"13912345678\""), 1);
}

void SmsDialogTest::setCentreOutcomes_data() {
    QTest::addColumn<QString>("centre");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("success");
    QTest::newRow("default number") << "+8613800200500" << "\r\nOK\r\n"
                                    << "AT+CSCA=\"+8613800200500\",145" << true;
    QTest::newRow("own command") << "AT+CSCA=\"+8613800100500\"" << "\r\nOK\r\n"
                                 << "AT+CSCA=\"+8613800100500\",145" << true;
    QTest::newRow("refused") << "+8613800200500" << "\r\nERROR\r\n"
                             << "AT+CSCA=\"+8613800200500\",145" << false;
    QTest::newRow("silence") << "+8613800200500" << ""
                             << "AT+CSCA=\"+8613800200500\",145" << false;
}

void SmsDialogTest::setCentreOutcomes() {
    QFETCH(QString, centre);
    QFETCH(QString, answer);
    QFETCH(QString, line);
    QFETCH(bool, success);
    Bench bench;
    bench.modem.SetCentreAnswer(answer.toStdString());
    DriveModal(bench.dialog, [&](DialogWindow& window) {
        bench.SetText(window, IDC_CENTRE, centre);
        ClickControl(window, IDC_SET_CENTRE);
        QVERIFY(WaitForMessages(bench, 1));
    });
    const std::vector<std::u16string> messages = bench.Messages();
    QCOMPARE(messages.size(), std::size_t{1});
    QVERIFY(messages[0] == (success ? kCentreSet : kCentreNotSet));
    QCOMPARE(bench.modem.CountOf(line.toStdString()), 1);
}

void SmsDialogTest::failedStartUpStillOpensAndPollsQuietly() {
    platform::InjectedFaults faults;
    faults.openFails = true;
    Bench bench(faults);
    DriveModal(bench.dialog, [&](DialogWindow& window) {
        QVERIFY(window.isVisible());
        QCOMPARE(ControlAs<QLineEdit>(window, IDC_NUMBER)->text().size(), 11);
        QCOMPARE(ControlAs<QLineEdit>(window, IDC_CENTRE)->text(),
                 QStringLiteral("+8613800200500"));
        QTest::qWait(2200);  // two polls' worth: nothing more is shown
        QCOMPARE(bench.Messages().size(), std::size_t{2});
        const Stopwatch watch;
        ClickControl(window, IDC_SEND);
        QVERIFY(WaitForMessages(bench, 3, 1000));
        QVERIFY(watch.ElapsedMs() < 500);  // no port: the command fails at once
    });
    const std::vector<std::u16string> messages = bench.Messages();
    QCOMPARE(messages.size(), std::size_t{3});
    QVERIFY(messages[0] == u"无法打开端口或端口已打开!请检查是否已被占用.");
    QVERIFY(messages[1] == kStartFailed);
    QVERIFY(messages[2] == kNotSent);
    QVERIFY(bench.modem.Lines().empty());
}

void SmsDialogTest::pollRestartsAboutASecondAfterEachPoll() {
    Bench bench;
    // Each read takes 300 ms: a poll restarted after it ends comes 1300 ms after the previous
    // one, where a plain periodic timer would come after 1000 ms.
    bench.modem.SetReadDelay(300);
    std::vector<qint64> times;
    DriveModal(bench.dialog, [&](DialogWindow&) {
        QElapsedTimer clock;
        clock.start();
        int seen = bench.modem.CountOf("AT+CMGR=1");
        while (times.size() < 3 && clock.elapsed() < 8000) {
            QTest::qWait(5);
            const int now = bench.modem.CountOf("AT+CMGR=1");
            if (now != seen) {
                seen = now;
                times.push_back(clock.elapsed());
            }
        }
    });
    QCOMPARE(times.size(), std::size_t{3});
    for (std::size_t i = 1; i < times.size(); ++i) {
        const qint64 gap = times[i] - times[i - 1];
        QVERIFY2(gap >= 1250 && gap < 1800, qPrintable(QString::number(gap)));
    }
}

void SmsDialogTest::saveScreenshot() {
    // QUILLET_SCREENSHOT=docs/quillet.png saves the window as the README shows it.
    const char* path = std::getenv("QUILLET_SCREENSHOT");
    if (path == nullptr) {
        QSKIP("QUILLET_SCREENSHOT not set");
    }
    Bench bench;
    DriveModal(bench.dialog, [&](DialogWindow& window) {
        QVERIFY(WaitUntil([&] { return bench.modem.CountOf("AT+CMGR=1") >= 1; }, 3000));
        bench.modem.Store("+8613912345678", "Meeting moved to 15:00.\nSee you there!");
        QVERIFY(WaitUntil([&] { return !bench.dialog.GetDlgItemText(IDC_FROM).empty(); },
                          3000));
        QVERIFY(window.grab().save(QString::fromLocal8Bit(path)));
    });
}

QTEST_MAIN(SmsDialogTest)
#include "sms_dialog_test.moc"
