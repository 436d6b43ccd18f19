#include "platform/ui/modal_owner.h"

#include <QApplication>
#include <QThread>

#include "platform/ui/dialog.h"
#include "platform/ui/dialog_window.h"
#include "platform/ui/win_app.h"

namespace platform::ui {

bool OnGuiThread() {
    return QCoreApplication::instance() != nullptr &&
           QThread::currentThread() == QCoreApplication::instance()->thread();
}

CDialog* MainDialog() {
    CWinApp* app = CWinApp::Instance();
    return app != nullptr ? app->MainWindow() : nullptr;
}

QWidget* ModalOwner() {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    CDialog* main = MainDialog();
    return main != nullptr ? main->Window() : nullptr;
}

}  // namespace platform::ui
