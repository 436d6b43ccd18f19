#include "platform/ui/win_app.h"

#include <QApplication>
#include <QIcon>
#include <QString>
#include <QStringList>

#include <cstdio>

#include "platform/core/message_box.h"
#include "platform/ui/command_line.h"
#include "platform/ui/control_widgets.h"
#include "platform/ui/message_box_window.h"
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

}  // namespace

int RunApplication(int argc, char** argv) {
    const VersionRecord& version = ProgramVersionRecord();
    // Help and version before Qt looks for a display: they work on a text console too.
    const CommandLine early = ParseCommandLine(RawArguments(argc, argv), version);
    if (early.action == CommandLine::Action::kHelp ||
        early.action == CommandLine::Action::kVersion) {
        Print(stdout, early.text);
        return 0;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(version.productName));
    QApplication::setApplicationVersion(VersionNumbers(version));
    const CommandLine line = ParseCommandLine(QCoreApplication::arguments(), version);
    if (line.action == CommandLine::Action::kUsageError) {
        Print(stderr, line.text);
        return kUsageStatus;
    }
    UsePort(line);
    const ScopedMessageSink boxes(ShowModalMessageBox);
    CWinApp* app = CWinApp::Instance();
    if (app == nullptr) {
        return 1;
    }
    return app->RunMainDialog();
}

}  // namespace platform::ui
