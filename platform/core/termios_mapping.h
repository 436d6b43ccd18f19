#pragma once
// Line settings <-> termios. Only this file and the POSIX device know termios.

#include <termios.h>

#include <cstdint>
#include <optional>

#include "platform/core/serial_settings.h"

namespace platform {

// Which modem-control outputs are raised, as TIOCMGET reports them.
struct ModemLines {
    bool dtr = false;
    bool rts = false;
};

LineSettings LineSettingsFromTermios(const termios& attributes, ModemLines lines);

// Raw 8-bit transfer with the record's speed, format and XON/XOFF choices; CLOCAL so the device
// opens and works without a carrier. No value when the record asks for what the tty cannot do
// (a speed it does not know, 1.5 stop bits, a text-mode transfer, a bad data-bit count or
// parity code).
std::optional<termios> TermiosFromLineSettings(const LineSettings& settings, termios base);

// The DTR and RTS outputs the record asks for: raised for enable and handshake, low for disable.
ModemLines ModemLinesFor(const LineSettings& settings);

std::optional<speed_t> SpeedCode(std::uint32_t baudRate);
std::optional<std::uint32_t> BaudRate(speed_t code);

}  // namespace platform
