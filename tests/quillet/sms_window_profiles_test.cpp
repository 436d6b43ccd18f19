// The message window on each module family's habits (the simulator's profiles): every message
// shown once and its storage left empty, a module left out of text entry, a module set up once
// it has booted, and a SIM that wants its PIN, its PUK, or is not there.

#include <QTest>
#include <cstdint>
#include <memory>

#include "modal_driver.h"
#include "platform/core/codepage.h"
#include "quillet/resource_ids.h"
#include "quillet/sms_dialog.h"
#include "quillet/texts.h"
#include "recorded_messages.h"
#include "scripted_secrets.h"
#include "simulated_com1.h"
#include "window_probes.h"

using platform::ui::DialogWindow;

namespace {

// A refused command is decided at once: no handler holds the window much longer than the few
// commands it runs, each about 0.1 s (the reader's read interval), however the SIM or the boot
// stands. The sanitizers slow every command down.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr long long kStallBoundMs = 2500;
#else
constexpr long long kStallBoundMs = 1000;
#endif

struct ProfileRun {
    explicit ProfileRun(modemsim::SmsProfile profile,
                        modemsim::BootProfile boot = modemsim::BootProfile::kSilent, int bootMs = 0,
                        const std::string& sim = "")
        : modem{WithSim(Options(trace, profile, boot, bootMs), sim)} {}

    // "": a SIM without a PIN; "absent"; else the SIM's PIN.
    static modemsim::SimulatorOptions WithSim(modemsim::SimulatorOptions options,
                                              const std::string& sim) {
        options.simInserted = sim != "absent";
        options.simPin = sim == "absent" ? "" : sim;
        return options;
    }

    static modemsim::SimulatorOptions Options(const TraceRecorder& trace,
                                              modemsim::SmsProfile profile,
                                              modemsim::BootProfile boot, int bootMs) {
        modemsim::SimulatorOptions options;
        options.bootProfile = boot;
        options.bootMs = bootMs;
        options.networkDelayMs = 100;
        options.traceSink = trace.Sink();
        options.smsProfile = profile;
        options.redeliveryMs = 300;  // a routed message not taken would come again meanwhile
        return options;
    }

    bool StorageEmpty() {
        const modemsim::ModemState state = modem->Snapshot();
        return state.storage.Occupied().empty() && state.phoneStorage.Occupied().empty();
    }

    TraceRecorder trace;
    SimulatedCom1 modem;
    RecordedMessages messages;
    std::unique_ptr<CSmsDlg> dialog = std::make_unique<CSmsDlg>();
};

// A poll and its read: a message shown twice would show again within it.
constexpr int kOnePollMs = 1300;

// Every new text the window shows: until `expected` have come or the limit passed, then for a
// poll more; none expected, for the whole limit.
std::vector<std::u16string> Shown(CSmsDlg& dialog, std::size_t expected, int limitMs) {
    if (expected == 0) {
        return TextsShown(dialog, IDC_RECEIVED, SIZE_MAX, limitMs);
    }
    std::vector<std::u16string> shown = TextsShown(dialog, IDC_RECEIVED, expected, limitMs);
    if (shown.size() == expected) {
        const std::vector<std::u16string> more =
            TextsShown(dialog, IDC_RECEIVED, SIZE_MAX, kOnePollMs);
        shown.insert(shown.end(), more.begin(), more.end());
    }
    return shown;
}

}  // namespace

class SmsWindowProfilesTest : public QObject {
    Q_OBJECT

private slots:
    void eachFamilysMessageIsShownOnceAndLeavesNothingStored_data();
    void eachFamilysMessageIsShownOnceAndLeavesNothingStored();
    void aLatePromptLeavesNoTextEntryBehind();
    void aModuleStillBootingIsSetUpOnceReady_data();
    void aModuleStillBootingIsSetUpOnceReady();
    void theSimsStateIsDealtWith_data();
    void theSimsStateIsDealtWith();
};

void SmsWindowProfilesTest::eachFamilysMessageIsShownOnceAndLeavesNothingStored_data() {
    QTest::addColumn<QString>("profile");
    for (const char* name : {"standard", "zero-based", "arrive-me", "read-me", "routed",
                             "sim-busy", "delete-twice", "dcs-ucs2"}) {
        QTest::newRow(name) << QString(name);
    }
}

// Two messages, the second while the first is still on screen; on the family whose scheme was
// left at UCS2, a GSM text is sent first.
void SmsWindowProfilesTest::eachFamilysMessageIsShownOnceAndLeavesNothingStored() {
    QFETCH(QString, profile);
    const std::optional<modemsim::SmsProfile> habits =
        modemsim::SmsProfileNamed(profile.toStdString());
    QVERIFY(habits);
    ProfileRun run(*habits);
    QVERIFY(run.modem);
    std::vector<std::u16string> shown;
    DriveModal(*run.dialog, [&](DialogWindow& window) {
        QVERIFY(WaitUntil([&] { return HeardCount(run.trace, "AT+CMGR=") > 0; }, 5000));
        run.dialog->SetDlgItemText(IDC_TEXT, u"plain text");
        ClickControl(window, IDC_SEND);
        QVERIFY(run.modem->DeliverSms({"10086", "first", std::nullopt, std::nullopt}).ok);
        QVERIFY(run.modem->DeliverSms({"10010", "second", std::nullopt, std::nullopt}).ok);
        shown = Shown(*run.dialog, 2, 6000);
    });
    QVERIFY((shown == std::vector<std::u16string>{u"first", u"second"}));
    QVERIFY(run.StorageEmpty());
    QCOMPARE(run.messages.texts, std::vector<std::u16string>{kSent});
    QCOMPARE(run.modem->Snapshot().outbox.back().text, std::string("plain text"));
    if (profile == "routed") {
        QVERIFY(HeardCount(run.trace, "AT+CNMA") >= 2);
    }
}

// The prompt comes after the send gave up: ESC ends the text entry, so the next send (on a module
// that prompts in time again) mails exactly what was typed, not the command lines in between.
void SmsWindowProfilesTest::aLatePromptLeavesNoTextEntryBehind() {
    ProfileRun run(modemsim::SmsProfile::kLatePrompt);
    QVERIFY(run.modem);
    DriveModal(*run.dialog, [&](DialogWindow& window) {
        QVERIFY(WaitUntil([&] { return HeardCount(run.trace, "AT+CMGR=") > 0; }, 5000));
        run.dialog->SetDlgItemText(IDC_TEXT, u"never sent");
        ClickControl(window, IDC_SEND);
        QVERIFY(run.modem->SetSmsProfile("standard").ok);
        const int polls = HeardCount(run.trace, "AT+CMGR=");
        QVERIFY(WaitUntil([&] { return HeardCount(run.trace, "AT+CMGR=") > polls + 1; }, 5000));
        run.dialog->SetDlgItemText(IDC_TEXT, u"exactly this");
        ClickControl(window, IDC_SEND);
    });
    QCOMPARE(run.messages.texts, (std::vector<std::u16string>{kNotSent, kSent}));
    const modemsim::ModemState state = run.modem->Snapshot();
    QCOMPARE(state.outbox.size(), std::size_t{1});
    QCOMPARE(state.outbox[0].text, std::string("exactly this"));
}

void SmsWindowProfilesTest::aModuleStillBootingIsSetUpOnceReady_data() {
    QTest::addColumn<int>("boot");
    QTest::addColumn<bool>("reset");
    // SIMCom says "SMS Ready"; Huawei says nothing and refuses with "+CME ERROR: 14" meanwhile.
    QTest::newRow("simcom") << static_cast<int>(modemsim::BootProfile::kSimcom) << false;
    QTest::newRow("huawei") << static_cast<int>(modemsim::BootProfile::kHuawei) << false;
    // Reset while the window runs: "RDY", every setting back at its default. The whole start-up
    // runs again, eleven commands in one handler: the longest stall allowed is one start-up.
    QTest::newRow("simcom reset") << static_cast<int>(modemsim::BootProfile::kSimcom) << true;
}

// The start-up's list is refused while the module boots (2 s); text mode and the rest are set
// once it is ready, so a message is read and shown as text. The window never waits longer than
// one command meanwhile.
void SmsWindowProfilesTest::aModuleStillBootingIsSetUpOnceReady() {
    QFETCH(int, boot);
    QFETCH(bool, reset);
    ProfileRun run(modemsim::SmsProfile::kStandard, static_cast<modemsim::BootProfile>(boot),
                   reset ? 0 : 2000);
    QVERIFY(run.modem);
    std::vector<std::u16string> shown;
    long long worstStallMs = 0;
    DriveModal(*run.dialog, [&](DialogWindow&) {
        const StallProbe stalls;
        QVERIFY(WaitUntil([&] { return HeardCount(run.trace, "AT+CMGR=") > 0; }, 5000));
        if (reset) {
            QVERIFY(run.modem->SetBootDelay(2000).ok);
            QVERIFY(run.modem->Reset().ok);
        }
        QVERIFY(WaitUntil([&] { return HeardCount(run.trace, "AT+CMGF=1") >= 2; }, 8000));
        QTest::qWait(500);
        QVERIFY(run.modem->DeliverSms({"10086", "after the boot", std::nullopt, std::nullopt}).ok);
        shown = Shown(*run.dialog, 1, 3000);
        worstStallMs = stalls.WorstMs();
    });
    QVERIFY((shown == std::vector<std::u16string>{u"after the boot"}));
    QVERIFY(run.messages.texts.empty());
    qInfo("longest stall of the window: %lld ms", worstStallMs);
    const long long bound = reset ? kStallBoundMs * 2 : kStallBoundMs;
    QVERIFY2(worstStallMs < bound, qPrintable(QString::number(worstStallMs)));
}

void SmsWindowProfilesTest::theSimsStateIsDealtWith_data() {
    QTest::addColumn<QString>("sim");
    QTest::addColumn<QStringList>("typed");  // "": cancel
    QTest::addColumn<int>("prompts");
    QTest::addColumn<QString>("said");  // the one message box, or none
    QTest::addColumn<bool>("shown");    // a message that arrives afterwards is shown
    QTest::newRow("PIN") << "1234" << QStringList{"1234"} << 1 << "" << true;
    QTest::newRow("wrong PIN, asked again") << "1234" << QStringList{"9999", "1234"} << 2 << ""
                                            << true;
    QTest::newRow("cancelled") << "1234" << QStringList{""} << 1
                               << QString::fromUtf16(kSimLocked) << false;
    QTest::newRow("three wrong: PUK") << "1234" << QStringList{"1111", "2222", "3333"} << 3
                                      << QString::fromUtf16(kSimNeedsPuk) << false;
    QTest::newRow("no SIM") << "absent" << QStringList{} << 0 << QString::fromUtf16(kNoSim)
                            << false;
}

// Whatever the SIM's state, it is said at most once while the window keeps polling.
void SmsWindowProfilesTest::theSimsStateIsDealtWith() {
    QFETCH(QString, sim);
    QFETCH(QStringList, typed);
    QFETCH(int, prompts);
    QFETCH(QString, said);
    QFETCH(bool, shown);
    ScriptedSecrets secrets;
    for (const QString& pin : typed) {
        secrets.answers.push_back(pin.isEmpty() ? std::nullopt
                                                : std::optional<std::u16string>(pin.toStdU16String()));
    }
    ProfileRun run(modemsim::SmsProfile::kStandard, modemsim::BootProfile::kSilent, 0,
                   sim.toStdString());
    QVERIFY(run.modem);
    std::vector<std::u16string> texts;
    long long worstStallMs = 0;
    DriveModal(*run.dialog, [&](DialogWindow&) {
        const StallProbe stalls;
        QVERIFY(WaitUntil([&] { return HeardCount(run.trace, "AT+CMGR=") >= 2; }, 6000));
        QVERIFY(run.modem->DeliverSms({"10086", "unlocked", std::nullopt, std::nullopt}).ok);
        texts = Shown(*run.dialog, shown ? 1 : 0, 3000);
        worstStallMs = stalls.WorstMs();
    });
    qInfo("longest stall of the window: %lld ms", worstStallMs);
    QVERIFY2(worstStallMs < kStallBoundMs, qPrintable(QString::number(worstStallMs)));
    QCOMPARE(static_cast<int>(secrets.prompts.size()), prompts);
    QCOMPARE(HeardCount(run.trace, "AT+CPIN=\""), static_cast<int>(typed.size()) -
                                                      static_cast<int>(typed.count("")));
    const std::vector<std::u16string> expected =
        said.isEmpty() ? std::vector<std::u16string>{} : std::vector<std::u16string>{said.toStdU16String()};
    QCOMPARE(run.messages.texts, expected);
    QCOMPARE(!texts.empty(), shown);
}

QTEST_MAIN(SmsWindowProfilesTest)
#include "sms_window_profiles_test.moc"
