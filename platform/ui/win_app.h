#pragma once
// The application object. Each program defines exactly one, as a static object whose class
// overrides RunMainDialog; the layer's main() reads the command line (command_line.h), creates the
// Qt application, installs the modal message box as the sink of every user-facing message and the
// modal prompt as the answerer of every secret question, calls RunMainDialog once and returns its
// value as the exit status; with --trace, standard error goes through a bounded writer for the
// whole run (platform/core/error_lines.h). SIGINT, SIGTERM and SIGHUP close the main window instead
// of killing the process; the status is then the signal's (termination_watch.h).
//
// Thread contract: everything here runs on the program's main thread, except MainWindow and
// PostCloseMainWindow, which any thread may call. The main window is set and read under a lock
// that is only ever held for a moment, and RunMainDialog clears it before the dialog goes.

#include <cstdint>
#include <mutex>
#include <optional>
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

    // A close asked for before the window was set reaches it here.
    void SetMainWindow(CDialog* dialog);
    CDialog* MainWindow() const;
    // From any thread, never waiting: the main window closes as a window close would
    // (CDialog::PostClose); asked before there is one, the next window set is asked.
    void PostCloseMainWindow(std::int32_t result);

    // The title of every message box: the product name of the program's version record.
    static std::u16string Title();
    static CWinApp* Instance();

private:
    mutable std::mutex m_mainWindowLock;
    CDialog* m_pMainWnd = nullptr;
    std::optional<std::int32_t> m_closeWaiting;
};

namespace platform::ui {
// The body of main(): exit status of the program.
int RunApplication(int argc, char** argv);
}  // namespace platform::ui
