#include "platform/core/termios_mapping.h"

#include <iterator>

namespace platform {
namespace {

struct SpeedEntry {
    std::uint32_t baud;
    speed_t code;
};

constexpr SpeedEntry kSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

constexpr tcflag_t kSizeFlags[] = {CS5, CS6, CS7, CS8};

bool Has(tcflag_t flags, tcflag_t bit) {
    return (flags & bit) == bit;
}

void SetFlag(tcflag_t& flags, tcflag_t bit, bool on) {
    if (on) {
        flags |= bit;
    } else {
        flags &= ~bit;
    }
}

std::uint8_t ParityFrom(tcflag_t cflag) {
    if (!Has(cflag, PARENB)) {
        return kNoParity;
    }
    if (Has(cflag, CMSPAR)) {
        return Has(cflag, PARODD) ? kMarkParity : kSpaceParity;
    }
    return Has(cflag, PARODD) ? kOddParity : kEvenParity;
}

}  // namespace

std::optional<speed_t> SpeedCode(std::uint32_t baudRate) {
    for (const SpeedEntry& entry : kSpeeds) {
        if (entry.baud == baudRate) {
            return entry.code;
        }
    }
    return std::nullopt;
}

std::optional<std::uint32_t> BaudRate(speed_t code) {
    for (const SpeedEntry& entry : kSpeeds) {
        if (entry.code == code) {
            return entry.baud;
        }
    }
    return std::nullopt;
}

LineSettings LineSettingsFromTermios(const termios& attributes, ModemLines lines) {
    LineSettings settings;
    settings.baudRate = BaudRate(cfgetospeed(&attributes)).value_or(0);
    for (std::size_t i = 0; i < std::size(kSizeFlags); ++i) {
        if ((attributes.c_cflag & CSIZE) == kSizeFlags[i]) {
            settings.byteSize = static_cast<std::uint8_t>(5 + i);
        }
    }
    settings.parity = ParityFrom(attributes.c_cflag);
    settings.stopBits = Has(attributes.c_cflag, CSTOPB) ? kTwoStopBits : kOneStopBit;
    settings.binary = !Has(attributes.c_lflag, ICANON);
    settings.parityCheck = Has(attributes.c_iflag, INPCK);
    settings.dtrControl = lines.dtr ? LineControl::kEnable : LineControl::kDisable;
    settings.rtsControl = lines.rts ? LineControl::kEnable : LineControl::kDisable;
    settings.ctsOutFlow = Has(attributes.c_cflag, CRTSCTS);
    settings.xonXoffOut = Has(attributes.c_iflag, IXON);
    settings.xonXoffIn = Has(attributes.c_iflag, IXOFF);
    settings.txContinueOnXoff = Has(attributes.c_iflag, IXANY);
    settings.xonChar = static_cast<char>(attributes.c_cc[VSTART]);
    settings.xoffChar = static_cast<char>(attributes.c_cc[VSTOP]);
    settings.eofChar = static_cast<char>(attributes.c_cc[VEOF]);
    return settings;
}

std::optional<termios> TermiosFromLineSettings(const LineSettings& settings, termios base) {
    const std::optional<speed_t> speed = SpeedCode(settings.baudRate);
    if (!speed || !settings.binary || settings.byteSize < 5 || settings.byteSize > 8 ||
        settings.parity > kSpaceParity ||
        (settings.stopBits != kOneStopBit && settings.stopBits != kTwoStopBits)) {
        return std::nullopt;
    }
    termios attributes = base;
    cfmakeraw(&attributes);
    if (cfsetispeed(&attributes, *speed) != 0 || cfsetospeed(&attributes, *speed) != 0) {
        return std::nullopt;
    }
    attributes.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB);
    attributes.c_cflag |= kSizeFlags[settings.byteSize - 5] | CLOCAL | CREAD;
    if (settings.parity != kNoParity) {
        attributes.c_cflag |= PARENB;
        SetFlag(attributes.c_cflag, PARODD,
                settings.parity == kOddParity || settings.parity == kMarkParity);
        SetFlag(attributes.c_cflag, CMSPAR,
                settings.parity == kMarkParity || settings.parity == kSpaceParity);
    }
    SetFlag(attributes.c_cflag, CSTOPB, settings.stopBits == kTwoStopBits);
    SetFlag(attributes.c_iflag, INPCK, settings.parityCheck);
    // Output flow control follows CTS only when the device already did so: RTS handshake alone
    // must not switch it on, or an adapter that never raises CTS would block every write.
    SetFlag(attributes.c_cflag, CRTSCTS, settings.ctsOutFlow);
    SetFlag(attributes.c_iflag, IXON, settings.xonXoffOut);
    SetFlag(attributes.c_iflag, IXOFF, settings.xonXoffIn);
    SetFlag(attributes.c_iflag, IXANY, settings.txContinueOnXoff);
    attributes.c_cc[VSTART] = static_cast<cc_t>(settings.xonChar);
    attributes.c_cc[VSTOP] = static_cast<cc_t>(settings.xoffChar);
    // Reads are paced by poll(); the descriptor is non-blocking, so these only matter to others.
    attributes.c_cc[VMIN] = 1;
    attributes.c_cc[VTIME] = 0;
    return attributes;
}

ModemLines ModemLinesFor(const LineSettings& settings) {
    return ModemLines{settings.dtrControl != LineControl::kDisable,
                      settings.rtsControl != LineControl::kDisable};
}

}  // namespace platform
