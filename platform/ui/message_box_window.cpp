#include "platform/ui/message_box_window.h"

#include <QMessageBox>
#include <cstdio>

#include "platform/ui/control_widgets.h"
#include "platform/ui/dialog.h"
#include "platform/ui/modal_owner.h"
#include "platform/ui/win_app.h"

namespace platform::ui {
namespace {

void ToStderr(const std::u16string& text) {
    const QByteArray utf8 = ToQString(text).toUtf8();
    std::fprintf(stderr, "%s\n", utf8.constData());
}

}  // namespace

void ShowModalMessageBox(const std::u16string& text) {
    if (!OnGuiThread()) {
        CDialog* main = MainDialog();
        if (main == nullptr || main->MessageBox(text) == 0) {
            ToStderr(text);
        }
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, ToQString(CWinApp::Title()), ToQString(text),
                    QMessageBox::Ok, ModalOwner());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace platform::ui
