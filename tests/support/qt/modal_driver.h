#pragma once
// Drives a modal dialog from a test: DoModal runs, and once its window is on screen the body
// runs on the window's thread inside the modal loop (QTest clicks and waits work there); the
// window is then closed unless the body closed it.

#include <cstdint>
#include <functional>

#include "platform/ui/dialog.h"
#include "platform/ui/dialog_window.h"

using ModalBody = std::function<void(platform::ui::DialogWindow& window)>;

std::int32_t DriveModal(CDialog& dialog, const ModalBody& body);

// The control with the id in the running dialog's window, as the widget type (nullptr if not).
template <class Widget>
Widget* ControlAs(const platform::ui::DialogWindow& window, std::int32_t controlId) {
    return qobject_cast<Widget*>(window.Control(controlId));
}

// Clicks a button with the mouse, as a user would.
void ClickControl(const platform::ui::DialogWindow& window, std::int32_t controlId);

// Waits, processing events, until the predicate holds or the time is up; true if it held.
bool WaitUntil(const std::function<bool()>& predicate, int timeoutMs);
