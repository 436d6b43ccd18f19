#pragma once
// What a window does about its modem's device going away and coming back (a USB modem that resets
// drops off the bus for a second or two): it says so once, looks for the device on a timer of its
// own and, once the start-up has run on it again, says that too. The window keeps the timer; this
// keeps the count of what has been said.
//
// Thread contract: the window's thread only, like the channel's commands.

#include <cstdint>

class CModem;

inline constexpr char16_t kModemLostNotice[] = u"调制解调器已断开, 正在等待重新连接.";
inline constexpr char16_t kModemBackNotice[] = u"调制解调器已重新连接.";
// A modem that was not there when the program started, plugged in since.
inline constexpr char16_t kModemFoundNotice[] = u"调制解调器已连接.";
// Twice a second: the device is back in use about a second after it reappears, and a look costs
// no wait (CModem::Reconnect).
inline constexpr std::uint32_t kReconnectCheckMs = 500;

class LinkWatch {
public:
    explicit LinkWatch(CModem& modem) : m_modem(modem) {}

    // The start-up failed and the window has said so: the device is looked for as after a loss,
    // without a loss notice, and commands keep their own failure texts until it is there.
    void StartFailed();
    // True when the device has gone and nobody looks for it yet: the window starts its timer now.
    bool StartsWatching();
    // The notice for a loss the window found on its own: once a loss, else nullptr.
    const char16_t* LossNoticeOnce();
    // A command's message; for a command that failed, the loss notice when the device has gone:
    // the failure may be the loss's, and a text may even have gone out before the line did.
    const char16_t* CommandMessage(bool done, const char16_t* text);
    // At the window's timer: once the modem is back (or there for the first time) and started,
    // the notice to say (kModemBackNotice, kModemFoundNotice); the window then stops the timer.
    // Else nullptr.
    const char16_t* Reconnected();

private:
    CModem& m_modem;
    bool m_watching = false;
    bool m_lossSaid = false;
    bool m_neverStarted = false;
};
