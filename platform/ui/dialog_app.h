#pragma once
// The application object of a program whose whole run is one modal dialog: RunMainDialog shows
// a Dialog as the main window until it closes. A program defines one static object of its
// instance of the template.
//
// Thread contract: as CWinApp, everything on the program's main thread.

#include <cstdint>

#include "platform/ui/win_app.h"

template <class Dialog>
class CDialogApp : public CWinApp {
public:
    std::int32_t RunMainDialog() override {
        Dialog dialog(nullptr);
        SetMainWindow(&dialog);
        dialog.DoModal();
        SetMainWindow(nullptr);
        // 0: the program ends with the window instead of running a message loop of its own.
        return 0;
    }
};
