#pragma once
// The application object. Each program defines exactly one, as a static object whose class
// overrides RunMainDialog; the layer's main() reads the command line (command_line.h), creates the
// Qt application, installs the modal message box as the sink of every user-facing message, calls
// RunMainDialog once and returns its value as the exit status.
//
// Thread contract: everything here runs on the program's main thread.

#include <cstdint>
#include <string>

class CDialog;

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The one-time start operation.
    virtual std::int32_t RunMainDialog() = 0;

    void SetMainWindow(CDialog* dialog) { m_pMainWnd = dialog; }
    CDialog* MainWindow() const { return m_pMainWnd; }

    // The title of every message box: the product name of the program's version record.
    static std::u16string Title();
    static CWinApp* Instance();

private:
    CDialog* m_pMainWnd = nullptr;
};

namespace platform::ui {
// The body of main(): exit status of the program.
int RunApplication(int argc, char** argv);
}  // namespace platform::ui
