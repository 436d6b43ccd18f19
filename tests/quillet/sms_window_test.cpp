// The message window on offscreen Qt: the real channel on a pseudo-terminal to the simulated
// modem on COM1; and on the test backend's virtual clock, with a scripted modem, where its timers
// are the point (or where the port cannot even be opened).

#include <QIcon>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "fake_system.h"
#include "modal_driver.h"
#include "modemlink/port_messages.h"
#include "platform/core/codepage.h"
#include "quillet/resource_ids.h"
#include "quillet/sms_dialog.h"
#include "quillet/texts.h"
#include "recorded_messages.h"
#include "scripted_device.h"
#include "simulated_com1.h"
#include "stderr_capture.h"
#include "stopwatch.h"
#include "window_clock.h"
#include "window_common/link_watch.h"
#include "window_probes.h"

using platform::ui::DialogWindow;
using namespace std::chrono_literals;

namespace {

// The message window on a simulated modem whose trace is kept; messages are recorded, not shown.
struct SmsWindowOnSimulator {
    static modemsim::SimulatorOptions Options(const TraceRecorder& trace) {
        modemsim::SimulatorOptions options;
        options.networkDelayMs = 100;
        options.traceSink = trace.Sink();
        return options;
    }

    TraceRecorder trace;
    SimulatedCom1 modem{Options(trace)};
    RecordedMessages messages;
    std::unique_ptr<CSmsDlg> dialog = std::make_unique<CSmsDlg>();
};

// The message window on the test backend's device and virtual clock. The modem answers every
// line at once ("OK", an empty storage) but AT+CPMS?, which it answers 300 ms late; the times at
// which it hears each line are kept.
struct SmsWindowOnVirtualTime {
    FakeSystem system;
    std::mutex lock;
    std::vector<std::pair<std::string, long long>> heard;  // line, ms since the start
    const platform::TimePoint start = system.backend.Now();
    ScriptedDevice modem{
        system.backend, [this](const std::string& line) {
            std::lock_guard<std::mutex> held(lock);
            heard.emplace_back(line, system.backend.MsSince(start));
            if (line != "AT+CPMS?") {
                return Say("\r\nOK\r\n");
            }
            return Reply{{300, "\r\n+CPMS: \"SM\",0,20,\"SM\",0,20\r\n\r\nOK\r\n"}};
        }};
    CSmsDlg dialog;

    // When the modem heard `line`, in ms since the start.
    std::vector<long long> TimesOf(const std::string& line) {
        std::lock_guard<std::mutex> held(lock);
        std::vector<long long> times;
        for (const auto& [text, ms] : heard) {
            if (text == line) {
                times.push_back(ms);
            }
        }
        return times;
    }
};

// The received box's texts as they change, until `count` have been seen or the limit passed.
std::vector<std::u16string> CollectShown(CSmsDlg& dialog, std::size_t count, int limitMs) {
    return TextsShown(dialog, IDC_RECEIVED, count, limitMs);
}

std::u16string Utf16(const std::string& text) {
    return platform::Utf8ToUtf16(text);
}

// 400 GSM characters, 153 a part (an extension character takes two of them), and 200 Chinese
// ones: 3 parts each.
std::string LongGsmText(bool euroAtThePartEnd) {
    std::string text;
    for (int i = 0; i < 400; ++i) {
        text += euroAtThePartEnd && i == 152 ? std::string("\xE2\x82\xAC")
                                             : std::string(1, static_cast<char>('a' + i % 26));
    }
    return text;
}

std::string LongChineseText(char16_t first) {
    std::u16string text;
    for (char16_t i = 0; i < 200; ++i) {
        text.push_back(static_cast<char16_t>(first + i));
    }
    return platform::Utf16ToUtf8(text);
}

}  // namespace

class SmsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void startsWithTheDefaultsAndDeletesALeftOverMessageUnseen();
    void showsADeliveredMessageWithCrLfAndEmptiesTheSlot();
    void refusesAnEmptyNumberOrText();
    void sendAndCentreOutcomes();
    void failedStartUpStillOpensAndCommandsFailAtOnce();
    void everyMessageShownOnceLongOnesWhole();
    void aMissingPartIsMarkedAfterTheWait();
    void closingWhileACommandWaitsEndsPromptly_data();
    void closingWhileACommandWaitsEndsPromptly();
    void pollComesASecondAfterEachCommandHasEnded();
    void aGoneModemIsLookedForTwiceASecond();
    void aModemPluggedInAfterTheStartIsStarted();
};

void SmsWindowTest::startsWithTheDefaultsAndDeletesALeftOverMessageUnseen() {
    SmsWindowOnSimulator run;
    QVERIFY(run.modem);
    QVERIFY(run.modem->DeliverSms({"+8613912345678", "left over", 1, std::nullopt}).ok);
    // A module without the long header: the text is then read as the GSM alphabet.
    run.modem->AddErrorCommand("+CSDH");
    DriveModal(*run.dialog, [&](DialogWindow& window) {
        QCOMPARE(ControlAs<QLineEdit>(window, IDC_NUMBER)->text(),
                 QString::fromUtf16(kDefaultNumber));
        QVERIFY(!ControlAs<QPlainTextEdit>(window, IDC_TEXT)->toPlainText().isEmpty());
        QCOMPARE(ControlAs<QLineEdit>(window, IDC_CENTRE)->text(),
                 QString::fromUtf16(kDefaultCentre));
        QCOMPARE(window.windowTitle(), QString::fromUtf16(kCaption));
        QVERIFY(!window.windowIcon().isNull());
        QVERIFY(WaitUntil([&] { return HeardCount(run.trace, "AT+CMGR=1") > 0; }, 3000));
        QVERIFY(ControlAs<QLineEdit>(window, IDC_FROM)->text().isEmpty());
        QVERIFY(run.modem->DeliverSms({"10086", "a@b_c$d", 1, std::nullopt}).ok);
        QVERIFY(WaitUntil([&] { return run.dialog->GetDlgItemText(IDC_RECEIVED) == u"a@b_c$d"; },
                          9000));
    });
    const std::vector<std::string> startUp = {
        "AT",        "AT",        "AT+IPR=115200",      "AT+CREG=1",
        "AT+CLIP=1", "AT+CMGF=1", "AT+CSCS=\"GSM\"",    "AT+CSMP=17,167,0,0",
        "AT+CSDH=1", "AT+CNMI=2,1,0,0,0", "AT+CMEE=1", "AT+CPIN?", "AT+CMGD=1",
        "AT+CMGR=1", "AT+CMGD=?", "AT+CNMI?",           "AT+CPMS?"};
    const std::vector<std::string> heard = HeardLines(run.trace);
    QVERIFY(heard.size() >= startUp.size());
    QVERIFY(std::equal(startUp.begin(), startUp.end(), heard.begin()));
    QVERIFY(run.modem->Snapshot().storage.IsFree(1));
    QVERIFY(run.messages.texts.empty());
}

// One after another, as they arrive: a line break and an "@" (0x00 in the GSM alphabet: the read
// must neither stop at it nor leave the message in the slot), then Chinese text (UCS2).
void SmsWindowTest::showsADeliveredMessageWithCrLfAndEmptiesTheSlot() {
    const struct {
        const char* sender;
        const char* text;
        std::u16string shown;
    } rows[] = {
        {"+8613912345678", "Mail me\nat a@b.com", u"Mail me\r\nat a@b.com"},
        {"10010", "\xE4\xBD\xA0\xE5\xA5\xBD\xEF\xBC\x8C\xE4\xB8\x96\xE7\x95\x8C", u"你好，世界"},
    };
    SmsWindowOnSimulator run;
    QVERIFY(run.modem);
    DriveModal(*run.dialog, [&](DialogWindow& window) {
        QVERIFY(WaitHeardBeyond(run.trace, "AT+CMGD=1", 0, 3s));  // the start's own delete
        auto* from = ControlAs<QLineEdit>(window, IDC_FROM);
        for (const auto& row : rows) {
            QVERIFY(run.modem->DeliverSms({row.sender, row.text, 1, std::nullopt}).ok);
            QVERIFY2(
                WaitUntil([&] { return run.dialog->GetDlgItemText(IDC_RECEIVED) == row.shown; },
                          3000),
                row.text);
            QCOMPARE(from->text(), QString::fromUtf8(row.sender));
            // Deleted once shown, so no later poll shows it again.
            QVERIFY(WaitUntil([&] { return run.modem->Snapshot().storage.IsFree(1); }, 3000));
        }
    });
    QVERIFY(run.messages.texts.empty());
}

void SmsWindowTest::refusesAnEmptyNumberOrText() {
    struct Row {
        std::u16string number;
        std::u16string text;
        std::u16string message;  // the refusal; empty: the send goes ahead
    };
    // Blanks are content: only a box with nothing in it is refused. A text longer than one message
    // and a number that no command line can carry are refused before a byte goes out.
    const Row rows[] = {{u"", u"hi", kEmptyInput},
                        {u"13912345678", u"", kEmptyInput},
                        {u"  ", u"hi", u""},
                        {u"13912345678", u" ", u""},
                        {u"13912345678", std::u16string(161, u'x'), kTooLong},
                        {u"13912345678", std::u16string(71, u'\x4F60'), kTooLong},
                        {u"139\x4E0D"
                         u"0",
                         u"hi", kNotSent},
                        {u"139\r0", u"hi", kNotSent}};
    SmsWindowOnSimulator run;
    QVERIFY(run.modem);
    run.modem->AddErrorCommand("+CMGS");  // what becomes of a message sent is no matter here
    DriveModal(*run.dialog, [&](DialogWindow& window) {
        for (const Row& row : rows) {
            const int before = HeardCount(run.trace, "AT+CMGS=");
            run.messages.texts.clear();
            run.dialog->SetDlgItemText(IDC_NUMBER, row.number);
            run.dialog->SetDlgItemText(IDC_TEXT, row.text);
            ClickControl(window, IDC_SEND);
            QCOMPARE(run.messages.texts.size(), std::size_t{1});
            if (!row.message.empty()) {
                QVERIFY(run.messages.texts[0] == row.message);
            }
            QCOMPARE(HeardCount(run.trace, "AT+CMGS=") - before, row.message.empty() ? 1 : 0);
        }
    });
}

void SmsWindowTest::sendAndCentreOutcomes() {
    struct Row {
        const char* name;
        std::function<void(modemsim::Simulator&)> fault;
        std::int32_t button;
        std::string line;  // the command the modem must have heard
        std::u16string message;
        std::string reason;  // the end of the line on stderr; none when empty
    };
    const auto none = [](modemsim::Simulator&) {};
    const auto refuse = [](const char* command) {
        return [command](modemsim::Simulator& m) { m.AddErrorCommand(command); };
    };
    const auto smscUnknown = [](modemsim::Simulator& m) { m.SetSendError(330); };
    // The centre box holds its default.
    const std::string centreLine = "AT+CSCA=\"+8613800200500\",145";
    const Row rows[] = {
        {"sent", none, IDC_SEND, "AT+CMGS=\"+8613912345678\"", kSent, ""},
        {"refused at the prompt", refuse("+CMGS"), IDC_SEND, "AT+CMGS=", kNotSent,
         ": send failed: AT+CMGS: ERROR\n"},
        {"SMSC unknown", smscUnknown, IDC_SEND, "AT+CMGS=", kNotSent,
         ": send failed: AT+CMGS: +CMS ERROR: 330 (SMSC address unknown)\n"},
        {"centre set", none, IDC_SET_CENTRE, centreLine, kCentreSet, ""},
        {"centre refused", refuse("+CSCA"), IDC_SET_CENTRE, centreLine, kCentreNotSet,
         ": setting the SMS centre failed: AT+CSCA: ERROR\n"},
    };
    SmsWindowOnSimulator run;
    QVERIFY(run.modem);
    const std::u16string text = u"Line one\r\nline two: 100% (ok) a@b_c$d \"quoted\" +CMGS: 9";
    DriveModal(*run.dialog, [&](DialogWindow& window) {
        run.dialog->SetDlgItemText(IDC_NUMBER, u"+8613912345678");
        run.dialog->SetDlgItemText(IDC_TEXT, text);
        for (const Row& row : rows) {
            run.modem->ClearErrors();
            run.modem->SetSendError(std::nullopt);
            row.fault(*run.modem);
            const int before = HeardCount(run.trace, row.line);
            run.messages.texts.clear();
            StderrCapture stderrLines;
            ClickControl(window, row.button);
            const std::string said = stderrLines.Take();
            QVERIFY2(row.reason.empty() ? said.find(" failed") == std::string::npos
                                        : said.find(row.reason) != std::string::npos,
                     qPrintable(QString::fromStdString(said)));
            QVERIFY2(run.messages.texts == std::vector<std::u16string>{row.message}, row.name);
            QVERIFY2(HeardCount(run.trace, row.line) == before + 1, row.name);
        }
    });
    const modemsim::ModemState state = run.modem->Snapshot();
    QCOMPARE(state.outbox.size(), std::size_t{1});
    QCOMPARE(state.outbox[0].destination, std::string("+8613912345678"));
    // The box's line break as one LF, nothing after the text.
    QCOMPARE(state.outbox[0].text,
             std::string("Line one\nline two: 100% (ok) a@b_c$d \"quoted\" +CMGS: 9"));
}

void SmsWindowTest::failedStartUpStillOpensAndCommandsFailAtOnce() {
    platform::InjectedFaults faults;
    faults.openFails = true;
    FakeSystem system(faults);
    CSmsDlg dialog;
    DriveModal(dialog, [&](DialogWindow& window) {
        QCOMPARE(ControlAs<QLineEdit>(window, IDC_CENTRE)->text(),
                 QString::fromUtf16(kDefaultCentre));
        WindowClock clock(system.backend, window);
        clock.Advance(2500ms);  // polls without a port show nothing
        QCOMPARE(system.backend.Messages().size(), std::size_t{2});
        const platform::TimePoint click = system.backend.Now();
        ClickControl(window, IDC_SEND);
        QCOMPARE(system.backend.MsSince(click), 0);
    });
    QCOMPARE(system.backend.Messages(),
             (std::vector<std::u16string>{kPortCannotOpen, kStartFailed, kNotSent}));
}

// A burst fills slots 1-3 before the first poll has shown slot 1; then long messages, one with
// its parts in reverse order. Each is shown once and whole, and storage ends empty.
void SmsWindowTest::everyMessageShownOnceLongOnesWhole() {
    SmsWindowOnSimulator run;
    QVERIFY(run.modem);
    const std::string gsm = LongGsmText(true);
    const std::string chinese = LongChineseText(0x4E00);
    const std::string reversedChinese = LongChineseText(0x5000);
    std::vector<std::u16string> shown;
    DriveModal(*run.dialog, [&](DialogWindow&) {
        QVERIFY(WaitHeardBeyond(run.trace, "AT+CMGD=1", 0, 3s));
        QVERIFY(run.modem->DeliverBurst(3, 300, "10086").ok);
        shown = CollectShown(*run.dialog, 3, 6000);
        QVERIFY(run.modem->DeliverSms({"10086", gsm, std::nullopt, std::nullopt}).ok);
        QVERIFY(run.modem->DeliverSms({"10010", chinese, std::nullopt, std::nullopt}).ok);
        modemsim::PartDelivery reversed;
        reversed.reversed = true;
        QVERIFY(run.modem
                    ->DeliverParts({"10086", reversedChinese, std::nullopt, std::nullopt}, reversed)
                    .ok);
        const std::vector<std::u16string> more = CollectShown(*run.dialog, 3, 9000);
        shown.insert(shown.end(), more.begin(), more.end());
        // Nothing more to show, however many polls follow.
        const std::vector<std::u16string> after = CollectShown(*run.dialog, 1, 2500);
        shown.insert(shown.end(), after.begin(), after.end());
    });
    const std::vector<std::u16string> expected = {u"message 1 of 3", u"message 2 of 3",
                                                  u"message 3 of 3", Utf16(gsm),
                                                  Utf16(chinese),    Utf16(reversedChinese)};
    QCOMPARE(shown.size(), expected.size());
    QVERIFY(shown == expected);
    QVERIFY(run.modem->Snapshot().storage.Occupied().empty());
}

void SmsWindowTest::aMissingPartIsMarkedAfterTheWait() {
    SmsWindowOnSimulator run;
    QVERIFY(run.modem);
    run.dialog->SetPartWait(2s);
    const std::string gsm = LongGsmText(false);
    std::vector<std::u16string> shown;
    long long waitedMs = 0;
    DriveModal(*run.dialog, [&](DialogWindow&) {
        QVERIFY(WaitHeardBeyond(run.trace, "AT+CMGD=1", 0, 3s));
        modemsim::PartDelivery lost;
        lost.missingPart = 2;
        const Stopwatch watch;
        QVERIFY(run.modem->DeliverParts({"10086", gsm, std::nullopt, std::nullopt}, lost).ok);
        shown = CollectShown(*run.dialog, 1, 6000);
        waitedMs = watch.ElapsedMs();
    });
    const std::u16string text = Utf16(gsm);
    QCOMPARE(shown.size(), std::size_t{1});
    QVERIFY(shown[0] == text.substr(0, 153) + kMissingPartMark + text.substr(306));
    QVERIFY2(waitedMs >= 2000 && waitedMs < 4000, qPrintable(QString::number(waitedMs)));
    QVERIFY(run.modem->Snapshot().storage.Occupied().empty());
}

void SmsWindowTest::closingWhileACommandWaitsEndsPromptly_data() {
    QTest::addColumn<bool>("inSend");
    // The modem has fallen silent: the read or the prompt waits out 2 s of silence.
    QTest::newRow("in a poll") << false;
    QTest::newRow("in a send without its prompt") << true;
}

// A close asked for from another thread once the modem has heard the command (as a termination
// signal asks): the command gives up, and the window and its device are gone within a second. A
// window call made after the request waits behind the close, which comes before the command's
// message and before any poll.
void SmsWindowTest::closingWhileACommandWaitsEndsPromptly() {
    QFETCH(bool, inSend);
    const std::string line = inSend ? "AT+CMGS" : "AT+CMGR=1";
    SmsWindowOnSimulator run;
    QVERIFY(run.modem);
    std::unique_ptr<Stopwatch> sinceRequest;
    std::atomic<bool> callReturned{false};
    std::thread closer;
    DriveModal(*run.dialog, [&](DialogWindow& window) {
        if (!inSend) {
            run.modem->SetSilent(true);
        }
        const int seen = HeardCount(run.trace, line);
        closer = std::thread([&, seen] {
            if (WaitHeardBeyond(run.trace, line, seen, 6s)) {
                sinceRequest = std::make_unique<Stopwatch>();
                RequestClose(window);
                run.dialog->SetDlgItemText(IDC_FROM, u"late");
            }
            callReturned = true;
        });
        if (inSend) {
            run.modem->SetSilent(true);
            ClickControl(window, IDC_SEND);
        }
        // The window must outlive the request, which may come only after a wait in a command.
        WaitUntil([&] { return callReturned.load(); }, 9000);
    });
    closer.join();
    run.dialog.reset();
    QVERIFY(sinceRequest);
    // The command gave up at the request: its 2 s of silence were not waited out.
    const long long toGone = sinceRequest->ElapsedMs();
    QVERIFY2(toGone < 1000, qPrintable(QString::number(toGone)));
    // The close comes before the send's message: nothing shows on a window asked to go.
    QVERIFY(run.messages.texts.empty());
}

// Each poll reads slot 1 and asks for the storage's use, which the modem answers 300 ms late;
// the next poll comes a second after the last one ended, and a command the user gives starts the
// second again.
void SmsWindowTest::pollComesASecondAfterEachCommandHasEnded() {
    SmsWindowOnVirtualTime run;
    DriveModal(run.dialog, [&](DialogWindow& window) {
        WindowClock clock(run.system.backend, window);
        clock.Advance(3000ms);
        ClickControl(window, IDC_SET_CENTRE);
        clock.Advance(1999ms);
    });
    QCOMPARE(run.TimesOf("AT+CMGR=1"), (std::vector<long long>{1000, 2300, 4000}));
    QCOMPARE(run.TimesOf("AT+CPMS?"), (std::vector<long long>{1000, 2300, 4000}));
    QCOMPARE(run.system.backend.Messages(), std::vector<std::u16string>{kCentreSet});
}

// Unplugged at 1.5 s, plugged in again at 2.2 s: the window says so once, looks for the device
// every 500 ms, opens it at the first look after the replug and starts it at the next, once its
// modem has answered "AT"; then it polls at once.
void SmsWindowTest::aGoneModemIsLookedForTwiceASecond() {
    SmsWindowOnVirtualTime run;
    std::vector<int> opens;  // at 1.5 s, 1.999 s, 2.0 s and 2.5 s
    std::size_t saidBeforeTheStart = 0;
    DriveModal(run.dialog, [&](DialogWindow& window) {
        WindowClock clock(run.system.backend, window);
        platform::FakeBackend& backend = run.system.backend;
        clock.Advance(1500ms);
        backend.Unplug();
        clock.Settle();
        opens.push_back(backend.OpenCount());
        for (const auto step : {499ms, 1ms, 200ms}) {
            clock.Advance(step);
            opens.push_back(backend.OpenCount());
        }
        backend.Replug();
        clock.Advance(300ms);
        opens.push_back(backend.OpenCount());
        saidBeforeTheStart = backend.Messages().size();
        clock.Advance(500ms);
    });
    // One open at the start, one at the loss; a failed look at 2.0 s, the first open at 2.5 s.
    QCOMPARE(opens, (std::vector<int>{2, 2, 3, 3, 4}));
    QCOMPARE(saidBeforeTheStart, std::size_t{1});
    QCOMPARE(run.TimesOf("AT+IPR=115200"), (std::vector<long long>{0, 3000}));
    QCOMPARE(run.TimesOf("AT+CMGR=1").back(), 3000LL);
    QCOMPARE(run.system.backend.Messages(),
             (std::vector<std::u16string>{kModemLostNotice, kModemBackNotice}));
}


// Not there at the start: the start-up's failure is said once; the window then looks for the
// device twice a second, quietly, and starts it at the look after the one that found it.
void SmsWindowTest::aModemPluggedInAfterTheStartIsStarted() {
    SmsWindowOnVirtualTime run;
    run.system.backend.Unplug();
    std::size_t saidBeforeThePlug = 0;
    DriveModal(run.dialog, [&](DialogWindow& window) {
        WindowClock clock(run.system.backend, window);
        clock.Advance(3000ms);
        saidBeforeThePlug = run.system.backend.Messages().size();
        run.system.backend.Replug();
        clock.Advance(1200ms);
    });
    QCOMPARE(saidBeforeThePlug, std::size_t{2});
    QCOMPARE(run.TimesOf("AT+IPR=115200"), (std::vector<long long>{4000}));
    QCOMPARE(run.TimesOf("AT+CMGR=1").front(), 4000LL);
    QCOMPARE(run.system.backend.Messages(),
             (std::vector<std::u16string>{kPortCannotOpen, kStartFailed, kModemFoundNotice}));
}

QTEST_MAIN(SmsWindowTest)
#include "sms_window_test.moc"
