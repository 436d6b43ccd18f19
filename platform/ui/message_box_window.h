#pragma once
// The modal message box that user-facing messages become in a running program.

#include <string>

namespace platform::ui {

// A modal box with the application title, the text and one OK button, over the running dialog;
// returns when the user has dismissed it. Called on any other thread, the box is shown by the
// main dialog's thread and the caller waits; with no dialog to own it, the text goes to stderr.
void ShowModalMessageBox(const std::u16string& text);

}  // namespace platform::ui
