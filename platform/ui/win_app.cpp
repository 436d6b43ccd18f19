#include "platform/ui/win_app.h"

#include <QApplication>
#include <QIcon>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <memory>

#include "platform/core/error_lines.h"
#include "platform/core/message_box.h"
#include "platform/core/secret_prompt.h"
#include "platform/core/termination_signal.h"
#include "platform/ui/command_line.h"
#include "platform/ui/control_widgets.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box_window.h"
#include "platform/ui/secret_dialog.h"
#include "platform/ui/termination_watch.h"
#include "platform/ui/version_record.h"

namespace {

CWinApp* g_application = nullptr;

}  // namespace

CWinApp::CWinApp() {
    g_application = this;
}

CWinApp::~CWinApp() {
    if (g_application == this) {
        g_application = nullptr;
    }
}

CWinApp* CWinApp::Instance() {
    return g_application;
}

void CWinApp::SetMainWindow(CDialog* dialog) {
    std::lock_guard<std::mutex> lock(m_mainWindowLock);
    m_pMainWnd = dialog;
    if (dialog != nullptr && m_closeWaiting) {
        dialog->PostClose(*m_closeWaiting);
    }
}

CDialog* CWinApp::MainWindow() const {
    std::lock_guard<std::mutex> lock(m_mainWindowLock);
    return m_pMainWnd;
}

// Under the lock, so the dialog cannot go while it is asked.
void CWinApp::PostCloseMainWindow(std::int32_t result) {
    std::lock_guard<std::mutex> lock(m_mainWindowLock);
    m_closeWaiting = result;
    if (m_pMainWnd != nullptr) {
        m_pMainWnd->PostClose(result);
    }
}

std::u16string CWinApp::Title() {
    return platform::ui::FromQString(QString::fromUtf8(ProgramVersionRecord().productName));
}

namespace platform::ui {
namespace {

// The status of a command line the programs cannot follow, as command-line tools give it.
constexpr int kUsageStatus = 2;

QStringList RawArguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

void Print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

// The main dialog, ended early by a termination signal when one comes (termination_watch.h).
int RunWatched(CWinApp& app, TerminationSignal* termination) {
    if (termination == nullptr) {
        return app.RunMainDialog();
    }
    TerminationWatch watch(*termination, app);
    const int status = app.RunMainDialog();
    return watch.Stop().value_or(status);
}

}  // namespace

int RunApplication(int argc, char** argv) {
    const TimePoint started = Clock::now();
    const VersionRecord& version = ProgramVersionRecord();
    // Help and version before Qt looks for a display: they work on a text console too.
    const CommandLine early = ParseCommandLine(RawArguments(argc, argv), version);
    if (early.action == CommandLine::Action::kHelp ||
        early.action == CommandLine::Action::kVersion) {
        Print(stdout, early.text);
        return 0;
    }
    // Before QApplication, which starts threads: each thread inherits the blocked signals, so
    // none dies of one with the device still held. Without it the programs end as before.
    const std::unique_ptr<TerminationSignal> termination = TerminationSignal::Create();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(version.productName));
    QApplication::setApplicationVersion(VersionNumbers(version));
    const CommandLine line = ParseCommandLine(QCoreApplication::arguments(), version);
    if (line.action == CommandLine::Action::kUsageError) {
        Print(stderr, line.text);
        return kUsageStatus;
    }
    UsePort(line);
    // Ends last, once the window and its port have gone: the trace ends with the dialogue.
    const ScopedErrorLines errorLines(line.trace, started);
    const ScopedMessageSink boxes(ShowModalMessageBox);
    const ScopedSecretAnswerer prompts(ShowSecretDialog);
    CWinApp* app = CWinApp::Instance();
    if (app == nullptr) {
        return 1;
    }
    return RunWatched(*app, termination.get());
}

}  // namespace platform::ui
