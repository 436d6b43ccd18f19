#pragma once
// Records that describe how a serial device is configured. The port reads them from the device,
// changes the fields it cares about and applies them again, so every field that it does not touch
// keeps whatever the device reported.

#include <cstdint>

namespace platform {

// Parity codes.
inline constexpr std::uint8_t kNoParity = 0;
inline constexpr std::uint8_t kOddParity = 1;
inline constexpr std::uint8_t kEvenParity = 2;
inline constexpr std::uint8_t kMarkParity = 3;
inline constexpr std::uint8_t kSpaceParity = 4;

// Stop-bit codes.
inline constexpr std::uint8_t kOneStopBit = 0;
inline constexpr std::uint8_t kOneAndHalfStopBits = 1;
inline constexpr std::uint8_t kTwoStopBits = 2;

// How a modem-control output line (DTR or RTS) is driven.
enum class LineControl { kDisable, kEnable, kHandshake };

struct LineSettings {
    std::uint32_t baudRate = 9600;
    std::uint8_t byteSize = 8;
    std::uint8_t parity = kNoParity;
    std::uint8_t stopBits = kOneStopBit;
    bool binary = true;
    bool parityCheck = false;
    LineControl dtrControl = LineControl::kEnable;
    LineControl rtsControl = LineControl::kEnable;
    bool ctsOutFlow = false;
    bool dsrOutFlow = false;
    bool dsrSensitivity = false;
    bool xonXoffOut = false;
    bool xonXoffIn = false;
    bool txContinueOnXoff = false;
    bool replaceErrors = false;
    bool discardNul = false;
    bool abortOnError = false;
    std::uint16_t xonLimit = 0;
    std::uint16_t xoffLimit = 0;
    char xonChar = 0x11;
    char xoffChar = 0x13;
    char errorChar = 0;
    char eofChar = 0;
    char eventChar = 0;
};

// Read and write time-outs in milliseconds. A read of n bytes ends when n bytes are in, when
// readInterval passes after a byte without a further one, or at the latest
// readTotalPerByte * n + readTotalConstant after it began (0 and 0: no overall limit).
// A readInterval of kNoWait with both totals 0 returns at once with what is waiting.
struct Timeouts {
    std::uint32_t readInterval = 0;
    std::uint32_t readTotalPerByte = 0;
    std::uint32_t readTotalConstant = 0;
    std::uint32_t writeTotalPerByte = 0;
    std::uint32_t writeTotalConstant = 0;
};
inline constexpr std::uint32_t kNoWait = 0xFFFFFFFFu;

// Line events a device can report; the port only ever asks for received characters or none.
inline constexpr std::uint32_t kEventNone = 0;
inline constexpr std::uint32_t kEventRxChar = 1;

}  // namespace platform
