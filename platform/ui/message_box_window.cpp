#include "platform/ui/message_box_window.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <cstdio>

#include "platform/ui/control_widgets.h"
#include "platform/ui/dialog.h"
#include "platform/ui/dialog_window.h"
#include "platform/ui/win_app.h"

namespace platform::ui {
namespace {

bool OnGuiThread() {
    return QCoreApplication::instance() != nullptr &&
           QThread::currentThread() == QCoreApplication::instance()->thread();
}

QWidget* OwnerWindow() {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    CWinApp* app = CWinApp::Instance();
    CDialog* main = app != nullptr ? app->MainWindow() : nullptr;
    return main != nullptr ? main->Window() : nullptr;
}

void ToStderr(const std::u16string& text) {
    const QByteArray utf8 = ToQString(text).toUtf8();
    std::fprintf(stderr, "%s\n", utf8.constData());
}

}  // namespace

void ShowModalMessageBox(const std::u16string& text) {
    if (!OnGuiThread()) {
        CWinApp* app = CWinApp::Instance();
        CDialog* main = app != nullptr ? app->MainWindow() : nullptr;
        if (main == nullptr || main->MessageBox(text) == 0) {
            ToStderr(text);
        }
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, ToQString(CWinApp::Title()), ToQString(text),
                    QMessageBox::Ok, OwnerWindow());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace platform::ui
