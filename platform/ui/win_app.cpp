#include "platform/ui/win_app.h"

#include <QApplication>
#include <QIcon>
#include <QString>

#include "platform/core/message_box.h"
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

int RunApplication(int argc, char** argv) {
    QApplication application(argc, argv);
    const VersionRecord& version = ProgramVersionRecord();
    QApplication::setApplicationName(QString::fromUtf8(version.productName));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3.%4")
                                            .arg(version.fileVersionNumbers[0])
                                            .arg(version.fileVersionNumbers[1])
                                            .arg(version.fileVersionNumbers[2])
                                            .arg(version.fileVersionNumbers[3]));
    const ScopedMessageSink boxes(ShowModalMessageBox);
    CWinApp* app = CWinApp::Instance();
    if (app == nullptr) {
        return 1;
    }
    return app->RunMainDialog();
}

}  // namespace platform::ui
