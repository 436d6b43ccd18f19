// The template dialog on offscreen Qt: rendering, message map, keys, timers, the real message box
// and the real secret prompt. Calls from other threads: window_call_gate_test and the programs'
// window tests.

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <functional>
#include <optional>
#include <thread>

#include "modal_driver.h"
#include "platform/core/message_box.h"
#include "platform/core/secret_prompt.h"
#include "platform/ui/control_widgets.h"
#include "platform/ui/dialog.h"
#include "platform/ui/dialog_window.h"
#include "platform/ui/message_box_window.h"
#include "platform/ui/secret_dialog.h"
#include "platform/ui/version_record.h"

using namespace platform::ui;
using namespace platform::ui::style;

const VersionRecord& ProgramVersionRecord() {
    static const VersionRecord record{
        "040904B0",  "1, 0, 0, 1", "1, 0, 0, 1", "LayerTest", "window layer tests",
        "layertest", "layertest",  "",           "",          {1, 0, 0, 1}};
    return record;
}

namespace {

constexpr std::int32_t IDC_PUSH = 2001;
constexpr std::int32_t IDC_TOGGLE = 2002;
constexpr std::int32_t IDC_LINE = 2003;
constexpr std::int32_t IDC_MULTI = 2004;
constexpr std::int32_t IDC_CHECK = 2005;
constexpr std::int32_t IDC_NO_TAB = 2006;
constexpr std::int32_t IDC_UNMAPPED = 2007;

const DialogTemplate& TestTemplate() {
    static const DialogTemplate dialog{
        300,
        {0, 0, 200, 120},
        u"System",
        8,
        kMainDialog,
        kMainDialogEx,
        u"Layer test",
        {
            {IDC_LINE, ControlKind::kEdit, u"", {40, 10, 70, 14}, kLineEditControl},
            {kNoControlId, ControlKind::kStatic, u"Number:", {5, 12, 30, 8}, kLabelControl},
            {IDC_PUSH, ControlKind::kButton, u"Push", {120, 10, 50, 14}, kPushButtonControl},
            {IDC_TOGGLE, ControlKind::kButton, u"Toggle", {120, 30, 50, 14}, kToggleControl},
            {IDC_NO_TAB, ControlKind::kButton, u"NoTab", {120, 50, 50, 14}, kChildControl},
            {IDC_MULTI, ControlKind::kEdit, u"", {10, 30, 100, 50}, kMultiLineEditControl},
            {IDC_CHECK,
             ControlKind::kButton,
             u"Check",
             {10, 90, 60, 10},
             kPushButtonControl | kAutoCheckBox},
            {kNoControlId, ControlKind::kButton, u"Frame", {2, 2, 196, 116}, kGroupBoxControl},
            {IDC_UNMAPPED, ControlKind::kButton, u"Other", {120, 90, 50, 14}, kPushButtonControl},
        },
    };
    return dialog;
}

class TestDialog : public CDialog {
public:
    TestDialog() : CDialog(TestTemplate(), nullptr) {}

    std::function<std::int32_t(TestDialog&)> onInit;
    std::vector<std::string> log;  // window thread only
    std::vector<std::uint32_t> toggleStates;
    std::vector<qint64> timerTimes;
    QElapsedTimer clock;

    std::function<void(TestDialog&)> onPush;

    void OnPush() {
        log.push_back("push");
        if (onPush) {
            onPush(*this);
        }
    }
    void OnToggle() {
        log.push_back("toggle");
        toggleStates.push_back(GetButtonState(IDC_TOGGLE) & 3);
    }
    void OnTimer(std::uintptr_t id) {
        log.push_back("timer" + std::to_string(id));
        timerTimes.push_back(clock.elapsed());
        DefaultTimer(id);
    }

protected:
    std::int32_t InitDialog() override {
        CDialog::InitDialog();
        clock.start();
        return onInit ? onInit(*this) : 1;
    }
    const MessageMap& GetMessageMap() const override {
        static const MessageMap map = {
            OnClicked<&TestDialog::OnPush>(IDC_PUSH),
            OnClicked<&TestDialog::OnToggle>(IDC_TOGGLE),
            platform::ui::OnTimer<&TestDialog::OnTimer>(),
        };
        return map;
    }
};

const platform::SecretPrompt kPin{u"SIM", u"Enter the PIN\r\n3 attempts left", {4, 8, true}};

// The secret prompt on top, once it stands: the template window has no button box, a message box
// no line.
QDialog* StandingPrompt() {
    auto* top = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    return top != nullptr && top->findChild<QDialogButtonBox*>() != nullptr &&
                   top->findChild<QLineEdit*>() != nullptr
               ? top
               : nullptr;
}

// The dialog asks for the PIN through the real prompt; once it stands, `user` acts on it inside
// the prompt's loop. A prompt the user left standing is cancelled, so a failed check never hangs.
std::optional<std::u16string> AskWith(TestDialog& dialog,
                                      const std::function<void(QDialog&)>& user) {
    const platform::ScopedSecretAnswerer answerer(ShowSecretDialog);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QDialog* prompt = StandingPrompt();
        if (prompt == nullptr) {
            return;
        }
        poll.stop();
        user(*prompt);
        if (prompt == StandingPrompt()) {
            prompt->reject();
        }
    });
    poll.start(5);
    return dialog.AskSecret(kPin);
}

QPushButton* OkOf(const QDialog& prompt) {
    return prompt.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
}

}  // namespace

class DialogTest : public QObject {
    Q_OBJECT

private slots:
    void rendersEachControlKindFromItsStyle();
    void placesControlsInDialogUnitsOfTheTemplateFont();
    void tabOrderFollowsTemplateOrderOverTabStops();
    void messageMapRoutesClicksAfterTheToggleFlipped();
    void enterNeverClosesAndEscapeAndCloseDo();
    void restartingATimerRestartsItsPeriod();
    void realMessageBoxHasTheTitleAndOneOkButton();
    void multiLineBoxesUseCrLfLineBreaks();
    void endDialogDuringInitialisationNeverShowsTheWindow();
    void boxesNeverPileAndAWaitingCloseComesBeforeTheMessage();
    void postedCloseNeverWaitsAndIsNeverLost();
    void promptTakesOnlyWhatFitsTheForm_data();
    void promptTakesOnlyWhatFitsTheForm();
    void closingTheWindowCancelsAStandingPrompt_data();
    void closingTheWindowCancelsAStandingPrompt();
    void boxesWaitForAStandingPromptAndASecondOneIsCancelled();
};

void DialogTest::rendersEachControlKindFromItsStyle() {
    TestDialog dialog;
    DriveModal(dialog, [](DialogWindow& window) {
        QCOMPARE(window.Controls().size(), TestTemplate().controls.size());
        QVERIFY(ControlAs<QLineEdit>(window, IDC_LINE) != nullptr);
        auto* multi = ControlAs<QPlainTextEdit>(window, IDC_MULTI);
        QVERIFY(multi != nullptr);
        QCOMPARE(multi->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        auto* push = ControlAs<QPushButton>(window, IDC_PUSH);
        QVERIFY(push != nullptr && !push->isCheckable() && !push->autoDefault());
        auto* toggle = ControlAs<QPushButton>(window, IDC_TOGGLE);
        QVERIFY(toggle != nullptr && toggle->isCheckable());
        QVERIFY(ControlAs<QCheckBox>(window, IDC_CHECK) != nullptr);
        auto* label = qobject_cast<QLabel*>(window.Controls()[1]);
        QVERIFY(label != nullptr && label->textFormat() == Qt::PlainText);
        QVERIFY(qobject_cast<QGroupBox*>(window.Controls()[7]) != nullptr);
    });
}

void DialogTest::placesControlsInDialogUnitsOfTheTemplateFont() {
    TestDialog dialog;
    DriveModal(dialog, [](DialogWindow& window) {
        const DialogBaseUnits base = BaseUnitsOf(TemplateFont(TestTemplate()));
        QVERIFY(base.averageCharWidth > 0 && base.charHeight > 0);
        QCOMPARE(window.BaseUnits().averageCharWidth, base.averageCharWidth);
        const PixelRect client = DialogUnitsToPixels(TestTemplate().rect, base);
        QCOMPARE(window.size(), QSize(client.width, client.height));
        for (std::size_t i = 0; i < window.Controls().size(); ++i) {
            const PixelRect expected = DialogUnitsToPixels(TestTemplate().controls[i].rect, base);
            QCOMPARE(window.Controls()[i]->geometry(),
                     QRect(expected.x, expected.y, expected.width, expected.height));
        }
    });
}

void DialogTest::tabOrderFollowsTemplateOrderOverTabStops() {
    TestDialog dialog;
    DriveModal(dialog, [](DialogWindow& window) {
        window.activateWindow();
        QVERIFY(WaitUntil([&] { return window.focusWidget() != nullptr; }, 2000));
        // InitDialog returned 1: the first tab stop has the focus.
        QCOMPARE(window.focusWidget(), window.Control(IDC_LINE));
        const std::int32_t order[] = {IDC_PUSH,  IDC_TOGGLE,   IDC_MULTI,
                                      IDC_CHECK, IDC_UNMAPPED, IDC_LINE};
        for (std::int32_t id : order) {
            QTest::keyClick(window.focusWidget(), Qt::Key_Tab);
            QCOMPARE(window.focusWidget()->property("controlId").toInt(), id);
        }
    });
}

void DialogTest::messageMapRoutesClicksAfterTheToggleFlipped() {
    TestDialog dialog;
    DriveModal(dialog, [&](DialogWindow& window) {
        ClickControl(window, IDC_PUSH);
        ClickControl(window, IDC_TOGGLE);
        ClickControl(window, IDC_UNMAPPED);  // no entry: nothing happens
        ClickControl(window, IDC_TOGGLE);
        dialog.SetButtonCheck(IDC_TOGGLE, BST_CHECKED);  // a program's own change: no click
    });
    QCOMPARE(dialog.log, (std::vector<std::string>{"push", "toggle", "toggle"}));
    QCOMPARE(dialog.toggleStates, (std::vector<std::uint32_t>{BST_CHECKED, BST_UNCHECKED}));
}

void DialogTest::enterNeverClosesAndEscapeAndCloseDo() {
    {
        TestDialog dialog;
        bool stillOpen = false;
        const std::int32_t result = DriveModal(dialog, [&](DialogWindow& window) {
            QTest::keyClick(window.Control(IDC_LINE), Qt::Key_Return);
            QTest::qWait(50);
            stillOpen = window.isVisible();
            QTest::keyClick(window.Control(IDC_LINE), Qt::Key_Escape);
            QVERIFY(WaitUntil([&] { return !window.isVisible(); }, 1000));
        });
        QVERIFY(stillOpen);
        QCOMPARE(result, IDCANCEL);
        QVERIFY(dialog.log.empty());
    }
    {
        // The template has the caption-bar OK button: closing the window is that button.
        TestDialog dialog;
        QCOMPARE(DriveModal(dialog, [](DialogWindow& window) { window.close(); }), IDOK);
    }
}

void DialogTest::restartingATimerRestartsItsPeriod() {
    TestDialog dialog;
    DriveModal(dialog, [&](DialogWindow&) {
        dialog.clock.restart();
        dialog.SetTimer(5, 300);
        QTest::qWait(200);
        dialog.SetTimer(5, 300);  // the period starts again: first tick near 500 ms, not 300
        QVERIFY(WaitUntil([&] { return dialog.timerTimes.size() >= 2; }, 3000));
        dialog.KillTimer(5);
        const std::size_t ticks = dialog.timerTimes.size();
        QTest::qWait(450);
        QCOMPARE(dialog.timerTimes.size(), ticks);
    });
    QVERIFY(dialog.timerTimes.size() >= 2);
    QVERIFY2(dialog.timerTimes[0] >= 470, "first tick came before the restarted period");
    QVERIFY(dialog.timerTimes[0] < 900);
    QVERIFY(dialog.timerTimes[1] - dialog.timerTimes[0] >= 270);
}

void DialogTest::realMessageBoxHasTheTitleAndOneOkButton() {
    const platform::ScopedMessageSink sink(ShowModalMessageBox);
    TestDialog dialog;
    QString title;
    QString text;
    int buttons = 0;
    QWidget* parent = nullptr;
    DriveModal(dialog, [&](DialogWindow& window) {
        QTimer::singleShot(50, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            title = box->windowTitle();
            text = box->text();
            buttons = static_cast<int>(box->buttons().size());
            parent = box->parentWidget();
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        });
        dialog.MessageBox(u"hello");
        QCOMPARE(parent, static_cast<QWidget*>(&window));
    });
    QCOMPARE(title, QStringLiteral("LayerTest"));
    QCOMPARE(text, QStringLiteral("hello"));
    QCOMPARE(buttons, 1);
}

void DialogTest::multiLineBoxesUseCrLfLineBreaks() {
    TestDialog dialog;
    DriveModal(dialog, [&](DialogWindow& window) {
        dialog.SetDlgItemText(IDC_MULTI, u"one\r\ntwo\r\n\r\nfour");
        auto* multi = ControlAs<QPlainTextEdit>(window, IDC_MULTI);
        QCOMPARE(multi->blockCount(), 4);
        QVERIFY(dialog.GetDlgItemText(IDC_MULTI) == u"one\r\ntwo\r\n\r\nfour");
        multi->setFocus();
        QTest::keyClick(multi, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(multi, "x");
        QVERIFY(dialog.GetDlgItemText(IDC_MULTI) == u"one\r\ntwo\r\n\r\nfourx");
        dialog.SetDlgItemText(IDC_LINE, u"<b>not bold</b>");
        QVERIFY(dialog.GetDlgItemText(IDC_LINE) == u"<b>not bold</b>");
        QVERIFY(dialog.GetDlgItemText(12345).empty());  // no such control
    });
}

void DialogTest::endDialogDuringInitialisationNeverShowsTheWindow() {
    TestDialog dialog;
    bool shown = false;
    dialog.onInit = [&](TestDialog& self) {
        self.EndDialog(IDOK);
        return 1;
    };
    QTimer::singleShot(0,
                       [&] { shown = dialog.Window() != nullptr && dialog.Window()->isVisible(); });
    QCOMPARE(dialog.DoModal(), IDOK);
    QTest::qWait(10);
    QVERIFY(!shown);
}

// The real box. A box asked for while one stands (a timer's notice) comes after it is closed; a
// close that waited behind a busy handler is carried out before the handler's message, which then
// never shows.
void DialogTest::boxesNeverPileAndAWaitingCloseComesBeforeTheMessage() {
    const platform::ScopedMessageSink sink(ShowModalMessageBox);
    std::vector<QString> seen;  // each box as it is dismissed, with how many stood at once
    QTimer dismiss;
    QObject::connect(&dismiss, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box != nullptr) {
            int standing = 0;
            for (QWidget* widget : QApplication::allWidgets()) {
                standing += qobject_cast<QMessageBox*>(widget) != nullptr && widget->isVisible();
            }
            seen.push_back(box->text() + QString::number(standing));
            box->done(0);
        }
    });
    TestDialog dialog;
    DriveModal(dialog, [&](DialogWindow&) {
        QTimer::singleShot(20, [&] { dialog.MessageBox(u"second"); });
        dismiss.start(150);
        dialog.MessageBox(u"first");
        QVERIFY(WaitUntil([&] { return seen.size() == 2; }, 2000));
    });
    QCOMPARE(seen, (std::vector<QString>{QStringLiteral("first1"), QStringLiteral("second1")}));

    seen.clear();
    TestDialog busy;
    busy.onPush = [](TestDialog& self) {
        QCoreApplication::postEvent(self.Window(), new QCloseEvent);
        QThread::msleep(300);  // a command holds the window up
        self.MessageBox(u"result");
        self.log.push_back("after");
    };
    QElapsedTimer sinceHandler;
    DriveModal(busy, [&](DialogWindow& window) {
        QTest::mouseClick(ControlAs<QPushButton>(window, IDC_PUSH), Qt::LeftButton);
        sinceHandler.start();
        QVERIFY(WaitUntil([&] { return !window.isVisible(); }, 100));
    });
    QVERIFY(sinceHandler.elapsed() < 500);
    QVERIFY(seen.empty());
    QCOMPARE(busy.log, (std::vector<std::string>{"push", "after"}));
}

// Asked before DoModal (the window's calls are refused then), the close ends DoModal right after
// InitDialog; asked from another thread while the window's thread is busy (a modem command), the
// asker goes on at once and the window closes as soon as its thread is free.
void DialogTest::postedCloseNeverWaitsAndIsNeverLost() {
    {
        TestDialog early;
        bool initialised = false;
        early.onInit = [&](TestDialog&) {
            initialised = true;
            return 1;
        };
        early.PostClose(7);
        QCOMPARE(early.DoModal(), 7);
        QVERIFY(initialised);
    }
    TestDialog dialog;
    qint64 askMs = -1;
    qint64 closeMs = -1;
    const std::int32_t result = DriveModal(dialog, [&](DialogWindow& window) {
        std::thread asker([&] {
            QElapsedTimer clock;
            clock.start();
            dialog.PostClose(9);
            askMs = clock.elapsed();
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(WaitUntil([&] { return !window.isVisible(); }, 1000));
        closeMs = clock.elapsed();
        asker.join();
    });
    QCOMPARE(result, 9);
    QVERIFY(dialog.CloseAsked());
    QVERIFY2(askMs >= 0 && askMs < 150, "the asker waited for the busy window");
    QVERIFY(closeMs < 150);
}

// Typed or pasted, nothing the form refuses reaches the line; OK and Enter work only on an
// acceptable input, and Escape cancels whatever it holds.
void DialogTest::promptTakesOnlyWhatFitsTheForm_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("held");
    QTest::addColumn<bool>("okEnabled");
    QTest::addColumn<int>("finish");      // a key, or 0 for a click on OK
    QTest::addColumn<QString>("answer");  // null: cancelled
    const int ok = 0;
    const int enter = Qt::Key_Return;
    const int escape = Qt::Key_Escape;
    const struct {
        const char* name;
        const char* typed;
        const char* pasted;
        const char* held;
        bool okEnabled;
        int finish;
        const char* answer;
    } rows[] = {
        {"digits, OK", "1234", "", "1234", true, ok, "1234"},
        {"longest, Enter", "12345678", "", "12345678", true, enter, "12345678"},
        {"letters typed", "1a2b3C4!", "", "1234", true, ok, "1234"},
        {"digits pasted", "12", "3456", "123456", true, enter, "123456"},
        {"letters pasted", "1234", "56ab", "1234", true, ok, "1234"},
        {"too short, Enter", "123", "", "123", false, enter, nullptr},
        {"too long typed", "123456789", "", "12345678", true, ok, "12345678"},
        {"too long pasted", "", "123456789", "", false, enter, nullptr},
        {"Escape", "1234", "", "1234", true, escape, nullptr},
    };
    for (const auto& row : rows) {
        QTest::newRow(row.name) << QString(row.typed) << QString(row.pasted) << QString(row.held)
                                << row.okEnabled << row.finish
                                << (row.answer != nullptr ? QString(row.answer) : QString());
    }
}

void DialogTest::promptTakesOnlyWhatFitsTheForm() {
    QFETCH(QString, typed);
    QFETCH(QString, pasted);
    QFETCH(QString, held);
    QFETCH(bool, okEnabled);
    QFETCH(int, finish);
    QFETCH(QString, answer);
    TestDialog dialog;
    std::optional<std::u16string> secret;
    bool standsAfterEnter = false;
    DriveModal(dialog, [&](DialogWindow&) {
        secret = AskWith(dialog, [&](QDialog& prompt) {
            auto* line = prompt.findChild<QLineEdit*>();
            QCOMPARE(line->echoMode(), QLineEdit::Password);
            QVERIFY(!OkOf(prompt)->isEnabled());
            QTest::keyClicks(line, typed);
            if (!pasted.isEmpty()) {
                QGuiApplication::clipboard()->setText(pasted);
                QTest::keyClick(line, Qt::Key_V, Qt::ControlModifier);
            }
            QCOMPARE(line->text(), held);
            QCOMPARE(OkOf(prompt)->isEnabled(), okEnabled);
            if (finish == 0) {
                QTest::mouseClick(OkOf(prompt), Qt::LeftButton);
            } else {
                QTest::keyClick(line, static_cast<Qt::Key>(finish));
            }
            standsAfterEnter = finish == Qt::Key_Return && prompt.isVisible();
        });
    });
    QCOMPARE(secret.has_value(), !answer.isNull());
    if (secret) {
        QCOMPARE(FromQString(answer), *secret);
    }
    // Enter on an input that does not fit leaves the prompt standing for the user to mend it.
    QCOMPARE(standsAfterEnter, finish == Qt::Key_Return && answer.isNull());
}

// The close button, or a close posted from another thread (a termination signal), ends the prompt
// as cancelled, whatever it held, and the window closes with the close's result.
void DialogTest::closingTheWindowCancelsAStandingPrompt_data() {
    QTest::addColumn<bool>("posted");
    QTest::addColumn<int>("result");
    QTest::newRow("close button") << false << static_cast<int>(IDOK);
    QTest::newRow("posted close") << true << 7;
}

void DialogTest::closingTheWindowCancelsAStandingPrompt() {
    QFETCH(bool, posted);
    QFETCH(int, result);
    TestDialog dialog;
    std::optional<std::u16string> secret{u"unset"};
    QString title;
    QString text;
    bool windowClosed = false;
    const std::int32_t ended = DriveModal(dialog, [&](DialogWindow& window) {
        secret = AskWith(dialog, [&](QDialog& prompt) {
            title = prompt.windowTitle();
            text = prompt.findChild<QLabel*>()->text();
            QCOMPARE(prompt.parentWidget(), static_cast<QWidget*>(&window));
            QTest::keyClicks(prompt.findChild<QLineEdit*>(), "1234");
            if (posted) {
                std::thread([&dialog] { dialog.PostClose(7); }).join();
            } else {
                window.close();
            }
            QVERIFY(WaitUntil([&] { return !prompt.isVisible(); }, 1000));
        });
        windowClosed = !window.isVisible();
    });
    QVERIFY(!secret.has_value());
    QVERIFY(windowClosed);
    QCOMPARE(ended, result);
    QCOMPARE(title, QStringLiteral("SIM"));
    QCOMPARE(text, QStringLiteral("Enter the PIN\n3 attempts left"));
}

// A box asked for while the prompt stands (a timer's notice) is shown once it is answered, never
// over it; a second prompt asked meanwhile is cancelled at once.
void DialogTest::boxesWaitForAStandingPromptAndASecondOneIsCancelled() {
    const platform::ScopedMessageSink sink(ShowModalMessageBox);
    std::vector<QString> boxes;  // each box as it is dismissed, with whether a prompt stood
    QTimer dismiss;
    QObject::connect(&dismiss, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            boxes.push_back(box->text() + (StandingPrompt() != nullptr ? "+prompt" : ""));
            box->done(0);
        }
    });
    dismiss.start(20);
    TestDialog dialog;
    std::optional<std::u16string> first;
    std::optional<std::u16string> second{u"unset"};
    DriveModal(dialog, [&](DialogWindow&) {
        first = AskWith(dialog, [&](QDialog& prompt) {
            dialog.MessageBox(u"notice");
            second = dialog.AskSecret(kPin);
            QTest::qWait(100);
            QVERIFY(boxes.empty());
            QTest::keyClicks(prompt.findChild<QLineEdit*>(), "4321");
            QTest::mouseClick(OkOf(prompt), Qt::LeftButton);
        });
    });
    QCOMPARE(first, std::optional<std::u16string>(u"4321"));
    QVERIFY(!second.has_value());
    QCOMPARE(boxes, std::vector<QString>{QStringLiteral("notice")});
}

QTEST_MAIN(DialogTest)
#include "dialog_test.moc"
