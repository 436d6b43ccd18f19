#pragma once
// The host of a running dialog's modem commands (platform/core/command_wait.h): while one waits,
// the window's event loop is served, with the user's input dropped and the dialog's handlers held
// back (dialog.h); a wait longer than kBusyCursorAfterMs shows the busy cursor over the window;
// a close of the window, or one asked for (a termination signal), ends the commands' interest.
//
// Thread contract: the window's thread only; installed by DoModal for the time the window runs.

#include <cstdint>

#include "platform/core/clock.h"
#include "platform/core/command_wait.h"

class CDialog;

namespace platform::ui {

class WindowCommandWait final : public platform::CommandWaitHost {
public:
    static constexpr std::uint32_t kBusyCursorAfterMs = 300;

    explicit WindowCommandWait(CDialog& dialog) : m_dialog(dialog) {}

    bool Wanted() override;
    void WaitBegins() override;
    void WaitEnds() override;
    void Serve() override;

private:
    CDialog& m_dialog;
    platform::TimePoint m_waitStart{};
    bool m_busyCursor = false;
};

}  // namespace platform::ui
