// The message window while a command waits, on the simulated modem: a send that the network takes
// 6 s to confirm leaves the window served (its event loop turns, it repaints, it shows the busy
// cursor) with its handlers held back; a close during a send whose result never comes ends the
// window at once and leaves the device to the next program.

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "modal_driver.h"
#include "platform/core/backend.h"
#include "platform/core/message_box.h"
#include "quillet/resource_ids.h"
#include "quillet/sms_dialog.h"
#include "quillet/texts.h"
#include "simulated_com1.h"
#include "stopwatch.h"
#include "window_probes.h"

using platform::ui::DialogWindow;

namespace {

struct AliveRun {
    explicit AliveRun(int networkDelayMs) : modem{Options(trace, networkDelayMs)} {}

    static modemsim::SimulatorOptions Options(const TraceRecorder& trace, int networkDelayMs) {
        modemsim::SimulatorOptions options;
        options.networkDelayMs = networkDelayMs;
        options.traceSink = trace.Sink();
        return options;
    }

    // The lines the modem heard after the send's command, when a message box came.
    std::vector<std::string> HeardAfterSend() const {
        std::vector<std::string> heard = HeardLines(trace);
        const auto send = std::find_if(heard.begin(), heard.end(), [](const std::string& line) {
            return line.rfind("AT+CMGS", 0) == 0;
        });
        return {send == heard.end() ? send : send + 1, heard.end()};
    }

    TraceRecorder trace;
    SimulatedCom1 modem;
    struct Box {
        std::u16string text;
        std::uint64_t resultsWritten;  // "+CMGS:" lines the modem had written by then
        std::vector<std::string> heardAfterSend;
    };
    std::vector<Box> boxes;
    platform::ScopedMessageSink sink{[this](const std::u16string& text) {
        boxes.push_back({text, trace.WritesHolding("+CMGS:").count, HeardAfterSend()});
    }};
    std::unique_ptr<CSmsDlg> dialog = std::make_unique<CSmsDlg>();
};

// What a 20 ms timer of the window's thread sees while the send runs.
struct DuringTheSend {
    long long worstGapMs = 0;
    int paints = 0;
    Qt::CursorShape cursorAfterHalfASecond = Qt::ArrowCursor;
    bool clickedAgain = false;
};

class PaintCounter final : public QObject {
public:
    explicit PaintCounter(int& paints) : m_paints(paints) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        m_paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }

private:
    int& m_paints;
};

}  // namespace

class SmsWindowAliveTest : public QObject {
    Q_OBJECT

private slots:
    void aLongSendLeavesTheWindowServedAndItsHandlersHeld();
    void aCloseDuringASendEndsAtOnceAndFreesTheDevice();
};

void SmsWindowAliveTest::aLongSendLeavesTheWindowServedAndItsHandlersHeld() {
    AliveRun run(6000);
    QVERIFY(run.modem);
    DuringTheSend seen;
    long long sendMs = 0;
    DriveModal(*run.dialog, [&](DialogWindow& window) {
        QVERIFY(WaitUntil([&] { return HeardCount(run.trace, "AT+CMGR=") > 0; }, 5000));
        QTimer tick;
        QElapsedTimer sinceClick;
        QElapsedTimer sinceTick;
        PaintCounter counter(seen.paints);
        window.installEventFilter(&counter);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            if (!sinceClick.isValid()) {
                return;
            }
            seen.worstGapMs = std::max<long long>(seen.worstGapMs, sinceTick.restart());
            window.update();
            if (sinceClick.elapsed() > 500 && !seen.clickedAgain) {
                seen.cursorAfterHalfASecond = window.cursor().shape();
                QTest::mouseClick(qobject_cast<QPushButton*>(window.Control(IDC_SEND)),
                                  Qt::LeftButton);
                seen.clickedAgain = true;
            }
        });
        tick.start(20);
        sinceClick.start();
        sinceTick.start();
        ClickControl(window, IDC_SEND);
        sendMs = sinceClick.elapsed();
        tick.stop();
        window.removeEventFilter(&counter);
        QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
        QTest::qWait(300);  // a click that was only held back would send now
    });
    qInfo("send %lld ms; worst gap of the window's loop %lld ms; %d paints", sendMs,
          seen.worstGapMs, seen.paints);
    QVERIFY2(sendMs >= 6000, qPrintable(QString::number(sendMs)));
    QVERIFY2(seen.worstGapMs < 150, qPrintable(QString::number(seen.worstGapMs)));
    QVERIFY2(seen.paints >= 20, qPrintable(QString::number(seen.paints)));
    QVERIFY(seen.clickedAgain);
    QCOMPARE(seen.cursorAfterHalfASecond, Qt::WaitCursor);
    QCOMPARE(HeardCount(run.trace, "AT+CMGS"), 1);
    // The result box after the result, and nothing but the text heard between.
    QCOMPARE(run.boxes.size(), std::size_t{1});
    QVERIFY(run.boxes[0].text == kSent);
    QCOMPARE(run.boxes[0].resultsWritten, std::uint64_t{1});
    QCOMPARE(run.boxes[0].heardAfterSend.size(), std::size_t{1});
}

// The network never confirms (its delay is past the send's wait): closed a second into the wait,
// the window goes, the program's dialog and channel are gone within a second, and the device is
// free for the next program.
void SmsWindowAliveTest::aCloseDuringASendEndsAtOnceAndFreesTheDevice() {
    AliveRun run(60000);
    QVERIFY(run.modem);
    std::unique_ptr<Stopwatch> sinceClose;
    DriveModal(*run.dialog, [&](DialogWindow& window) {
        QVERIFY(WaitUntil([&] { return HeardCount(run.trace, "AT+CMGR=") > 0; }, 5000));
        QTimer::singleShot(1000, &window, [&] {
            sinceClose = std::make_unique<Stopwatch>();
            window.close();
        });
        ClickControl(window, IDC_SEND);
        QVERIFY(!window.isVisible());
    });
    run.dialog.reset();
    QVERIFY(sinceClose);
    qInfo("from the close to the dialog's end: %lld ms", sinceClose->ElapsedMs());
    QVERIFY2(sinceClose->ElapsedMs() < 1000, qPrintable(QString::number(sinceClose->ElapsedMs())));
    QVERIFY(run.boxes.empty());
    // The module itself still owns the message: it answers once the network has had its say.
    platform::Backend& system = platform::System();
    const platform::DeviceHandle device =
        system.OpenDevice(u"COM1:", platform::Backend::OpenFailure::kQuiet);
    QVERIFY(device.IsValid());
    system.CloseDevice(device);
}

QTEST_MAIN(SmsWindowAliveTest)
#include "sms_window_alive_test.moc"
