#include "quillet/sms_app.h"

#include "quillet/sms_dialog.h"

std::int32_t CSmsApp::RunMainDialog() {
    CSmsDlg dialog(nullptr);
    SetMainWindow(&dialog);
    dialog.DoModal();
    SetMainWindow(nullptr);
    // 0: the program ends with the window instead of running a message loop of its own.
    return 0;
}

// The program's one application object.
CSmsApp theApp;
