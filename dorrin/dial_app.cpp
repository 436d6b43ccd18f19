#include "dorrin/dial_app.h"

#include "dorrin/dial_dialog.h"

std::int32_t CDialApp::RunMainDialog() {
    CDialDlg dialog(nullptr);
    SetMainWindow(&dialog);
    dialog.DoModal();
    SetMainWindow(nullptr);
    // 0: the program ends with the window instead of running a message loop of its own.
    return 0;
}

// The program's one application object.
CDialApp theApp;
