// The dialer window on offscreen Qt: the real channel on a pseudo-terminal to the simulated modem
// on COM1; the notice's two seconds on the test backend's virtual clock, with a scripted modem.

#include <QIcon>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <map>
#include <memory>
#include <thread>

#include "dorrin/dial_dialog.h"
#include "dorrin/resource_ids.h"
#include "dorrin/texts.h"
#include "fake_system.h"
#include "modal_driver.h"
#include "platform/core/message_box.h"
#include "scripted_device.h"
#include "scripted_secrets.h"
#include "simulated_com1.h"
#include "stderr_capture.h"
#include "stopwatch.h"
#include "window_clock.h"
#include "window_probes.h"

using platform::ui::DialogWindow;
using namespace std::chrono_literals;

namespace {

const QString kDial = QString::fromUtf16(kDialCaption);
const QString kHangUp = QString::fromUtf16(kHangUpCaption);
const QString kAnswer = QString::fromUtf16(kAnswerCaption);
const QString kEnd = QString::fromUtf16(kEndCaption);
const QString kNotice = QString::fromUtf16(kOtherPartyHungUp);
const QString kNumber = QStringLiteral("13912345678");
constexpr long long kCloseLimitMs = 2500;

// The dialer window on a simulated modem whose trace is kept. Each message is recorded with
// whether the answer button was up while it showed.
struct DialWindowOnSimulator {
    // `simPin`: a SIM that asks for it; empty: one that asks for none.
    explicit DialWindowOnSimulator(const std::string& simPin = "")
        : modem{Options(trace, simPin)} {}

    static modemsim::SimulatorOptions Options(const TraceRecorder& trace,
                                              const std::string& simPin) {
        modemsim::SimulatorOptions options;
        options.ringPeriodMs = 400;
        options.traceSink = trace.Sink();
        options.simPin = simPin;
        return options;
    }

    TraceRecorder trace;
    SimulatedCom1 modem;
    std::vector<QString> messages;  // the window's thread only
    std::vector<bool> answerUpWhenShown;
    std::unique_ptr<CDialDlg> dialog = std::make_unique<CDialDlg>();
    platform::ScopedMessageSink sink{[this](const std::u16string& text) {
        messages.push_back(QString::fromStdU16String(text));
        answerUpWhenShown.push_back((dialog->GetButtonState(IDC_ANSWER) & 3) == BST_UNCHECKED);
    }};
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

// One press of a toggle and what it must lead to.
struct Press {
    const char* name;
    std::function<void(modemsim::Simulator&)> before;
    std::int32_t button;
    QString number;
    std::vector<std::string> lines;  // the commands the modem hears
    std::vector<QString> messages;
    bool endsDown;
    QString caption;
};

void RunPresses(DialWindowOnSimulator& run, DialogWindow& window, const std::vector<Press>& rows) {
    for (const Press& row : rows) {
        run.modem->ClearErrors();
        if (row.before) {
            row.before(*run.modem);
        }
        ControlAs<QLineEdit>(window, IDC_DIAL_NUMBER)->setText(row.number);
        const QString caller = Text(window, IDC_CALLER);
        const std::size_t heard = HeardLines(run.trace).size();
        run.messages.clear();
        ClickControl(window, row.button);
        QVERIFY2(Button(window, row.button)->isChecked() == row.endsDown, row.name);
        QVERIFY2(Button(window, row.button)->text() == row.caption, row.name);
        std::vector<std::string> sent = HeardLines(run.trace);
        sent.erase(sent.begin(), sent.begin() + static_cast<long>(heard));
        QVERIFY2(sent == row.lines, row.name);
        QVERIFY2(run.messages == row.messages, row.name);
        // The other toggle and the caller box are never touched.
        const std::int32_t other = row.button == IDC_DIAL ? IDC_ANSWER : IDC_DIAL;
        QVERIFY2(!Button(window, other)->isChecked(), row.name);
        QVERIFY2(Button(window, other)->text() == (other == IDC_DIAL ? kDial : kAnswer), row.name);
        QVERIFY2(Text(window, IDC_CALLER) == caller, row.name);
    }
}

}  // namespace

class DialWindowTest : public QObject {
    Q_OBJECT

private slots:
    void startsIdleWithTheDefaults();
    void dialButtonPresses();
    void answerButtonPressesAndTheCallerBox();
    void eachEndOfACallShowsItsNoticeForTwoSeconds_data();
    void eachEndOfACallShowsItsNoticeForTwoSeconds();
    void aCallBegunDuringTheNoticeOutlivesIt();
    void aStormOfDroppedLinesLeavesNoQueue();
    void everyModuleFamilysCallsThroughTheWindow_data();
    void everyModuleFamilysCallsThroughTheWindow();
    void eachFamilysHangUpHabits_data();
    void eachFamilysHangUpHabits();
    void eventsAfterAFailedStartUpChangeNothing();
    void closingWhileTheReaderThreadWaitsEndsPromptly_data();
    void closingWhileTheReaderThreadWaitsEndsPromptly();
    void aSimThatWantsItsPinIsUnlockedAtTheStart();
};

void DialWindowTest::startsIdleWithTheDefaults() {
    DialWindowOnSimulator run;
    QVERIFY(run.modem);
    DriveModal(*run.dialog, [&](DialogWindow& window) {
        QCOMPARE(Text(window, IDC_DIAL_NUMBER), QString::fromUtf16(kDefaultNumber));
        QCOMPARE(Button(window, IDC_DIAL)->text(), kDial);
        QCOMPARE(Button(window, IDC_ANSWER)->text(), kAnswer);
        QVERIFY(!Button(window, IDC_DIAL)->isChecked() && !Button(window, IDC_ANSWER)->isChecked());
        QCOMPARE(window.windowTitle(), QString::fromUtf16(kCaption));
        QVERIFY(!window.windowIcon().isNull());
        // An event code the window does not know, from the reader thread, changes nothing.
        std::thread([&] { CDialDlg::OnModemEvent(run.dialog.get(), 99, u"13912345678"); }).join();
        QTest::qWait(50);
        QVERIFY(Text(window, IDC_CALLER).isEmpty());
    });
    QCOMPARE(HeardLines(run.trace),
             (std::vector<std::string>{"AT", "AT", "AT+IPR=115200", "AT+CLIP=1", "AT+CMGF=1",
                                       "AT+CVHU=0", "AT+CPIN?"}));
    QVERIFY(run.messages.empty());
}

void DialWindowTest::dialButtonPresses() {
    const auto dialFails = [](modemsim::Simulator& m) { m.AddErrorCommand("D"); };
    const auto hangUpFails = [](modemsim::Simulator& m) { m.AddErrorCommand("H"); };
    // Blanks and signs go out as typed.
    const std::vector<Press> rows = {
        {"empty number", {}, IDC_DIAL, "", {}, {QString::fromUtf16(kEnterNumber)}, false, kDial},
        {"refused", dialFails, IDC_DIAL, "+86 139", {"ATD+86 139;"}, {}, false, kDial},
        {"dialled", {}, IDC_DIAL, kNumber, {"ATD13912345678;"}, {}, true, kHangUp},
        {"hung up", {}, IDC_DIAL, kNumber, {"ATH"}, {}, false, kDial},
        {"dialled again", {}, IDC_DIAL, kNumber, {"ATD13912345678;"}, {}, true, kHangUp},
        {"hang-up fails",
         hangUpFails,
         IDC_DIAL,
         kNumber,
         {"ATH"},
         {QString::fromUtf16(kHangUpFailed)},
         false,
         kDial},
    };
    DialWindowOnSimulator run;
    QVERIFY(run.modem);
    DriveModal(*run.dialog, [&](DialogWindow& window) {
        RunPresses(run, window, {rows.begin(), rows.begin() + 3});
        QCOMPARE(run.modem->Snapshot().call.phase, modemsim::CallPhase::kActive);
        QCOMPARE(run.modem->Snapshot().call.number, std::string("13912345678"));
        RunPresses(run, window, {rows.begin() + 3, rows.end()});
        // A modem that says nothing: the dial springs back, and stderr says why.
        run.modem->SetSilent(true);
        StderrCapture stderrLines;
        ClickControl(window, IDC_DIAL);
        QVERIFY(!Button(window, IDC_DIAL)->isChecked());
        const std::string said = stderrLines.Take();
        QVERIFY2(said.find(": dial failed: ATD: no answer within 500 ms\n") != std::string::npos,
                 said.c_str());
    });
}

void DialWindowTest::answerButtonPressesAndTheCallerBox() {
    const auto answerFails = [](modemsim::Simulator& m) { m.AddErrorCommand("A"); };
    const auto endFails = [](modemsim::Simulator& m) { m.AddErrorCommand("+CHUP"); };
    const std::vector<Press> rows = {
        {"answer fails",
         answerFails,
         IDC_ANSWER,
         kNumber,
         {"ATA"},
         {QString::fromUtf16(kAnswerFailed)},
         false,
         kAnswer},
        {"answered", {}, IDC_ANSWER, kNumber, {"ATA"}, {}, true, kEnd},
        {"ended", {}, IDC_ANSWER, kNumber, {"AT+CHUP"}, {}, false, kAnswer},
    };
    const std::vector<Press> last = {
        {"answered", {}, IDC_ANSWER, kNumber, {"ATA"}, {}, true, kEnd},
        {"end fails",
         endFails,
         IDC_ANSWER,
         kNumber,
         {"AT+CHUP"},
         {QString::fromUtf16(kEndFailed)},
         false,
         kAnswer},
    };
    DialWindowOnSimulator run;
    QVERIFY(run.modem);
    DriveModal(*run.dialog, [&](DialogWindow& window) {
        QVERIFY(run.modem->Ring(std::string("10086")).ok);
        QVERIFY(WaitUntil([&] { return Text(window, IDC_CALLER) == "10086"; }, 2000));
        RunPresses(run, window, rows);
        QCOMPARE(run.modem->Snapshot().call.phase, modemsim::CallPhase::kIdle);
        QVERIFY(run.modem->Ring(std::nullopt).ok);  // withheld: the box empties
        QVERIFY(WaitUntil([&] { return Text(window, IDC_CALLER).isEmpty(); }, 2000));
        RunPresses(run, window, last);
    });
    // Released before a failure's message, so the user sees the button up while reading it.
    QCOMPARE(run.answerUpWhenShown, (std::vector<bool>{true, true}));
}

void DialWindowTest::eachEndOfACallShowsItsNoticeForTwoSeconds_data() {
    // What the user did before (each family's own words for the end: the simulator's rows in
    // everyModuleFamilysCallsThroughTheWindow), what the modem sends, and the notice: none when
    // no call is shown, as after the user's own hang-up.
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("ending");
    QTest::addColumn<QString>("notice");
    const QString busy = QString::fromUtf16(kBusy);
    const QString ended = QStringLiteral("\r\nNO CARRIER\r\n");
    // clang-format off
    QTest::newRow("hung up") << "dial" << ended << kNotice;
    QTest::newRow("busy") << "dial" << "\r\nBUSY\r\n" << busy;
    QTest::newRow("no answer") << "dial" << "\r\nNO ANSWER\r\n" << QString::fromUtf16(kNoAnswer);
    QTest::newRow("no dial tone") << "dial" << "\r\nNO DIALTONE\r\n"
                                  << QString::fromUtf16(kNoDialTone);
    QTest::newRow("one notice for two reports") << "dial" << "\r\nBUSY\r\n" + ended << busy;
    QTest::newRow("a ring the caller gave up") << "ring" << ended << kNotice;
    QTest::newRow("SIMCom missed call") << "ring" << "\r\nMISSED_CALL: 10:20 10086\r\n" << kNotice;
    QTest::newRow("own hang-up confirmed") << "dial, hang up" << "\r\n^CEND: 1,9,104,16\r\n" << "";
    QTest::newRow("no call") << "" << ended << "";
    // clang-format on
}

// On virtual time, with a modem that answers every line "OK": the notice stands in the box of the
// call that ended for exactly two seconds, then both toggles spring back and the box empties; the
// other box is never touched.
void DialWindowTest::eachEndOfACallShowsItsNoticeForTwoSeconds() {
    QFETCH(QString, before);
    QFETCH(QString, ending);
    QFETCH(QString, notice);
    FakeSystem system;
    ScriptedDevice modem(system.backend, AnswerEverything("\r\nOK\r\n"));
    CDialDlg dialog;
    DriveModal(dialog, [&](DialogWindow& window) {
        WindowClock clock(system.backend, window);
        system.backend.PushInput("\r\nRING\r\n\r\n+CLIP: \"10086\",129\r\n");
        clock.Settle();
        const bool ownCall = before.startsWith("dial");
        if (before.isEmpty()) {
            system.backend.PushInput("\r\nNO CARRIER\r\n");  // the ring's end: now no call
            clock.Advance(2000ms);
        }
        for (int press = 0; press < (before.endsWith("hang up") ? 2 : ownCall ? 1 : 0); ++press) {
            ClickControl(window, IDC_DIAL);
        }
        QVERIFY(Button(window, IDC_DIAL)->isChecked() == (before == "dial"));
        const std::int32_t target = ownCall ? IDC_DIAL_NUMBER : IDC_CALLER;
        const std::int32_t other = ownCall ? IDC_CALLER : IDC_DIAL_NUMBER;
        const QString targetBefore = Text(window, target);
        const QString otherBefore = Text(window, other);
        system.backend.PushInput(ending.toStdString());
        clock.Settle();
        QCOMPARE(Text(window, target), notice.isEmpty() ? targetBefore : notice);
        clock.Advance(1999ms);
        QCOMPARE(Text(window, target), notice.isEmpty() ? targetBefore : notice);
        QVERIFY(Button(window, IDC_DIAL)->isChecked() == (before == "dial"));
        clock.Advance(1ms);
        QCOMPARE(Text(window, target), notice.isEmpty() ? targetBefore : QString());
        QVERIFY(!Button(window, IDC_DIAL)->isChecked() && !Button(window, IDC_ANSWER)->isChecked());
        QCOMPARE(Button(window, IDC_DIAL)->text(), kDial);
        QCOMPARE(Button(window, IDC_ANSWER)->text(), kAnswer);
        QCOMPARE(Text(window, other), otherBefore);
    });
    QVERIFY(system.backend.Messages().empty());
}

// The notice no longer holds the reader: a dial 0.5 s into the notice of an answered call that
// dropped is answered at once, and the call it starts outlives the notice; only the answer
// toggle, which belonged to the call that ended, springs back. The notice still stands its 2 s.
void DialWindowTest::aCallBegunDuringTheNoticeOutlivesIt() {
    DialWindowOnSimulator run;
    QVERIFY(run.modem);
    long long dialMs = -1;
    long long noticeMs = -1;
    DriveModal(*run.dialog, [&](DialogWindow& window) {
        QVERIFY(run.modem->Ring(std::string("10086")).ok);
        QVERIFY(WaitUntil([&] { return Text(window, IDC_CALLER) == "10086"; }, 2000));
        ClickControl(window, IDC_ANSWER);
        QVERIFY(Button(window, IDC_ANSWER)->isChecked());
        QVERIFY(run.modem->RemoteHangUp().ok);
        QVERIFY(WaitUntil([&] { return Text(window, IDC_CALLER) == kNotice; }, 1000));
        const Stopwatch sinceNotice;
        QTest::qWait(500);
        ControlAs<QLineEdit>(window, IDC_DIAL_NUMBER)->setText(kNumber);
        dialMs = TimedClick(window, IDC_DIAL);
        QVERIFY(WaitUntil([&] { return Text(window, IDC_CALLER).isEmpty(); }, 2500));
        noticeMs = sinceNotice.ElapsedMs();
        QTest::qWait(100);
        QVERIFY(Button(window, IDC_DIAL)->isChecked());
        QCOMPARE(Button(window, IDC_DIAL)->text(), kHangUp);
        QVERIFY(!Button(window, IDC_ANSWER)->isChecked());
        QCOMPARE(Button(window, IDC_ANSWER)->text(), kAnswer);
        QCOMPARE(Text(window, IDC_DIAL_NUMBER), kNumber);
    });
    QVERIFY2(dialMs >= 0 && dialMs < 450, qPrintable(QString::number(dialMs)));
    QVERIFY2(noticeMs >= 1800, qPrintable(QString::number(noticeMs)));
    QCOMPARE(run.modem->Snapshot().call.phase, modemsim::CallPhase::kActive);
    QVERIFY(run.messages.empty());
}

// 400 "NO CARRIER" lines in 4 s, the first ending a ring: one notice, no queue; 2.5 s after the
// last line the window is idle and a dial goes through.
void DialWindowTest::aStormOfDroppedLinesLeavesNoQueue() {
    DialWindowOnSimulator run;
    QVERIFY(run.modem);
    long long dialMs = -1;
    DriveModal(*run.dialog, [&](DialogWindow& window) {
        QVERIFY(run.modem->Ring(std::string("10086")).ok);
        QVERIFY(WaitUntil([&] { return Text(window, IDC_CALLER) == "10086"; }, 2000));
        QVERIFY(run.modem->RemoteHangUp().ok);
        QVERIFY(run.modem->SetPeriodicLine("NO CARRIER", 10).ok);
        QTest::qWait(4000);
        QVERIFY(run.modem->SetPeriodicLine("NO CARRIER", 0).ok);
        QVERIFY(WaitUntil([&] { return Text(window, IDC_CALLER).isEmpty(); }, 2500));
        ControlAs<QLineEdit>(window, IDC_DIAL_NUMBER)->setText(kNumber);
        dialMs = TimedClick(window, IDC_DIAL);
        QVERIFY(Button(window, IDC_DIAL)->isChecked());
    });
    QVERIFY(run.trace.WritesHolding("NO CARRIER").count >= 350);
    QVERIFY2(dialMs >= 0 && dialMs < 450, qPrintable(QString::number(dialMs)));
}

void DialWindowTest::everyModuleFamilysCallsThroughTheWindow_data() {
    QTest::addColumn<QString>("profile");
    QTest::newRow("standard") << "standard";
    QTest::newRow("huawei") << "huawei";  // OK ^ORIG ^CONF, ^CONN, ^CEND
    QTest::newRow("zte") << "zte";        // no answer to the dial until CONNECT, HANGUP:
}

// A call placed, answered and ended by the other side; a dial refused; a call taken and ended by
// the other side: each family's reports give the same window.
void DialWindowTest::everyModuleFamilysCallsThroughTheWindow() {
    QFETCH(QString, profile);
    DialWindowOnSimulator run;
    QVERIFY(run.modem);
    QVERIFY(run.modem->SetCallProfile(profile.toStdString()).ok);
    const auto released = [&](const DialogWindow& window) {
        return !Button(window, IDC_DIAL)->isChecked() && !Button(window, IDC_ANSWER)->isChecked() &&
               Button(window, IDC_DIAL)->text() == kDial &&
               Button(window, IDC_ANSWER)->text() == kAnswer;
    };
    DriveModal(*run.dialog, [&](DialogWindow& window) {
        ControlAs<QLineEdit>(window, IDC_DIAL_NUMBER)->setText(kNumber);
        ClickControl(window, IDC_DIAL);
        QVERIFY(Button(window, IDC_DIAL)->isChecked());
        QCOMPARE(Button(window, IDC_DIAL)->text(), kHangUp);
        QVERIFY(run.modem->RemoteAnswer().ok);
        QTest::qWait(300);
        QVERIFY(Button(window, IDC_DIAL)->isChecked());
        QVERIFY(run.modem->RemoteHangUp().ok);
        QVERIFY(WaitUntil([&] { return Text(window, IDC_DIAL_NUMBER) == kNotice; }, 1000));
        QVERIFY(WaitUntil([&] { return released(window); }, 3000));
        QVERIFY(Text(window, IDC_DIAL_NUMBER).isEmpty());

        run.modem->AddErrorCommand("D");
        ControlAs<QLineEdit>(window, IDC_DIAL_NUMBER)->setText(kNumber);
        QVERIFY(TimedClick(window, IDC_DIAL) < 450);
        QVERIFY(released(window));
        run.modem->ClearErrors();

        QVERIFY(run.modem->Ring(std::string("10086")).ok);
        QVERIFY(WaitUntil([&] { return Text(window, IDC_CALLER) == "10086"; }, 2000));
        ClickControl(window, IDC_ANSWER);
        QVERIFY(Button(window, IDC_ANSWER)->isChecked());
        QCOMPARE(Button(window, IDC_ANSWER)->text(), kEnd);
        QVERIFY(run.modem->RemoteHangUp().ok);
        QVERIFY(WaitUntil([&] { return Text(window, IDC_CALLER) == kNotice; }, 1000));
        QVERIFY(WaitUntil([&] { return released(window); }, 3000));
    });
    QVERIFY(run.messages.empty());
}

namespace {

using modemsim::Simulator;

struct HangUpHabit {
    const char* name;
    const char* profile;
    std::function<void(Simulator&)> beforeDial;
    bool answered;     // the other side answers the dial
    bool userHangsUp;  // else the far side ends it: RemoteHangUp when answered
    QString notice;    // empty: none
};

const std::vector<HangUpHabit>& HangUpHabits() {
    static const std::vector<HangUpHabit> rows = {
        {"busy in the dial's burst", "standard",
         [](Simulator& m) { m.FailNextDial(modemsim::DialFailure::kBusy); }, false, false,
         QString::fromUtf16(kBusy)},
        {"NO CARRIER cut between reads", "standard",
         [](Simulator& m) { QVERIFY(m.SetCutReports(7).ok); }, true, false, kNotice},
        {"own hang-up, Huawei", "huawei", {}, true, true, {}},
        {"own hang-up, AT+CVHU=1 at power-on", "huawei-cvhu1", {}, true, true, {}},
        {"hang-up aborts the dial, ZTE", "zte", {}, false, true, {}},
        {"the other side hangs up, SIMCom", "simcom", {}, true, false, kNotice},
        {"own hang-up, SIMCom", "simcom", {}, true, true, {}},
    };
    return rows;
}

}  // namespace

// How a call ends on each family, the window's own hang-up included: a failure in the dial's
// own burst, a report cut between two reads, the end said again after the user's hang-up, a
// module that comes up leaving voice calls up on ATH, a hang-up that aborts a dial still being
// placed. The window shows a notice exactly when the other side ended the call, and the
// simulated call is over every time.
void DialWindowTest::eachFamilysHangUpHabits_data() {
    QTest::addColumn<int>("index");
    for (std::size_t i = 0; i < HangUpHabits().size(); ++i) {
        QTest::newRow(HangUpHabits()[i].name) << static_cast<int>(i);
    }
}

void DialWindowTest::eachFamilysHangUpHabits() {
    QFETCH(int, index);
    const HangUpHabit& row = HangUpHabits()[static_cast<std::size_t>(index)];
    DialWindowOnSimulator run;
    QVERIFY(run.modem);
    QVERIFY(run.modem->SetCallProfile(row.profile).ok);
    if (row.beforeDial) {
        row.beforeDial(*run.modem);
    }
    long long noticeMs = -1;
    DriveModal(*run.dialog, [&](DialogWindow& window) {
        ControlAs<QLineEdit>(window, IDC_DIAL_NUMBER)->setText(kNumber);
        ClickControl(window, IDC_DIAL);
        QVERIFY2(Button(window, IDC_DIAL)->isChecked(), row.name);
        if (row.answered) {
            QVERIFY2(run.modem->RemoteAnswer().ok, row.name);
            QTest::qWait(200);
        }
        if (row.userHangsUp) {
            ClickControl(window, IDC_DIAL);
            QTest::qWait(800);  // past Huawei's ^CEND
            QVERIFY2(Text(window, IDC_DIAL_NUMBER) == kNumber, row.name);
            QVERIFY2(Text(window, IDC_CALLER).isEmpty(), row.name);
            return;
        }
        if (row.answered) {
            QVERIFY2(run.modem->RemoteHangUp().ok, row.name);
        }
        QVERIFY2(WaitUntil([&] { return Text(window, IDC_DIAL_NUMBER) == row.notice; }, 1500),
                 row.name);
        const Stopwatch shown;
        QVERIFY2(WaitUntil([&] { return !Button(window, IDC_DIAL)->isChecked(); }, 3000), row.name);
        noticeMs = shown.ElapsedMs();
    });
    QVERIFY2(row.userHangsUp || (noticeMs >= 1800 && noticeMs < 2500), row.name);
    QVERIFY2(run.modem->Snapshot().call.phase == modemsim::CallPhase::kIdle, row.name);
    QVERIFY2(run.messages.empty(), row.name);
}

void DialWindowTest::eventsAfterAFailedStartUpChangeNothing() {
    DialWindowOnSimulator run;
    QVERIFY(run.modem);
    QVERIFY(run.modem->AddErrorCommand("+IPR").ok);
    DriveModal(*run.dialog, [&](DialogWindow& window) {
        ControlAs<QLineEdit>(window, IDC_CALLER)->setText(QStringLiteral("keep"));
        QVERIFY(run.modem->Ring(std::string("13912345678")).ok);
        run.modem->InjectRaw("\r\nNO CARRIER\r\n");
        QTest::qWait(500);
        QCOMPARE(Text(window, IDC_CALLER), QStringLiteral("keep"));
        QCOMPARE(Text(window, IDC_DIAL_NUMBER), QString::fromUtf16(kDefaultNumber));
        // A press still runs its command, which fails at once on a channel without a port.
        QVERIFY(TimedClick(window, IDC_DIAL) < 300);
        QVERIFY(!Button(window, IDC_DIAL)->isChecked());
        QCOMPARE(Button(window, IDC_DIAL)->text(), kDial);
    });
    QCOMPARE(run.messages, std::vector<QString>{QString::fromUtf16(kStartFailed)});
}

void DialWindowTest::closingWhileTheReaderThreadWaitsEndsPromptly_data() {
    QTest::addColumn<bool>("inNotice");
    QTest::newRow("in the dropped-line notice") << true;
    QTest::newRow("in a ring's window call") << false;
}

void DialWindowTest::closingWhileTheReaderThreadWaitsEndsPromptly() {
    QFETCH(bool, inNotice);
    DialWindowOnSimulator run;
    QVERIFY(run.modem);
    std::unique_ptr<Stopwatch> sinceClose;
    DriveModal(*run.dialog, [&](DialogWindow& window) {
        if (inNotice) {
            ClickControl(window, IDC_DIAL);
            QVERIFY(run.modem->RemoteHangUp().ok);
            // A call up makes it the number's box.
            QVERIFY(WaitUntil([&] { return Text(window, IDC_DIAL_NUMBER) == kNotice; }, 2000));
        } else {
            QVERIFY(run.modem->Ring(std::string("13912345678")).ok);
            // The window's thread is busy; the caller's number waits in its queue.
            std::this_thread::sleep_for(500ms);
            QVERIFY(Text(window, IDC_CALLER).isEmpty());
        }
        sinceClose = std::make_unique<Stopwatch>();
        window.close();
    });
    run.dialog.reset();  // the port closes and the reader thread is joined
    QVERIFY(sinceClose);
    QVERIFY2(sinceClose->ElapsedMs() < kCloseLimitMs,
             qPrintable(QString::number(sinceClose->ElapsedMs())));
    QVERIFY(run.messages.empty());
}

// The PIN is asked once, at the start; the set-up then runs again, so a ring shows its number.
void DialWindowTest::aSimThatWantsItsPinIsUnlockedAtTheStart() {
    ScriptedSecrets secrets;
    secrets.answers.push_back(u"4321");
    DialWindowOnSimulator run("4321");
    QVERIFY(run.modem);
    DriveModal(*run.dialog, [&](DialogWindow& window) {
        QVERIFY(WaitUntil([&] { return HeardCount(run.trace, "AT+CLIP=1") >= 2; }, 5000));
        QVERIFY(run.modem->Ring(std::string("13912345678")).ok);
        QVERIFY(WaitUntil([&] { return Text(window, IDC_CALLER) == "13912345678"; }, 3000));
    });
    QCOMPARE(secrets.prompts.size(), std::size_t{1});
    QCOMPARE(HeardCount(run.trace, "AT+CPIN=\"4321\""), 1);
    QVERIFY(run.messages.empty());
}

QTEST_MAIN(DialWindowTest)
#include "dial_window_test.moc"
