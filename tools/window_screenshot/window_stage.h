#pragma once
// What a program's window shows in its picture: each program's screenshot tool defines these two,
// and window_screenshot.cpp does the rest.
//
// Thread contract: both run on the window's thread; Stage runs inside the modal loop.

#include <functional>
#include <memory>

#include "modemsim/simulator.h"
#include "platform/ui/dialog.h"
#include "platform/ui/dialog_window.h"

namespace screenshot {

// Waits, running the window's events, until `done` holds or `ms` have passed; true if it held.
bool WaitFor(const std::function<bool()>& done, int ms);
// Clicks a button as the user does.
void Click(const platform::ui::DialogWindow& window, std::int32_t controlId);

std::unique_ptr<CDialog> MakeWindow();
// Brings the window into the state of the picture, driving the modem's other side; false when
// the window did not get there.
bool Stage(modemsim::Simulator& modem, CDialog& dialog, platform::ui::DialogWindow& window);

}  // namespace screenshot
