#pragma once
// Where a modal box or prompt of the running program stands, and which thread may show it. The
// message box and the secret prompt follow the same rule: shown by the main dialog's thread over
// whatever modal window is on top, so closing the main window takes it along
// (DialogWindow::done).
//
// Thread contract: OnGuiThread and MainDialog from any thread; ModalOwner on the GUI thread.

class CDialog;
class QWidget;

namespace platform::ui {

// True on the thread that runs the Qt application (the main dialog's thread).
bool OnGuiThread();
// The running main dialog, or nullptr when there is none (a test without an application object).
CDialog* MainDialog();
// The topmost modal window, else the main dialog's window; nullptr when neither stands.
QWidget* ModalOwner();

}  // namespace platform::ui
