// Line settings onto termios and back.

#include "platform/core/termios_mapping.h"

#include <gtest/gtest.h>

namespace {

using platform::LineControl;
using platform::LineSettings;

termios CookedTerminal() {
    termios t{};
    t.c_iflag = ICRNL | IXON;
    t.c_oflag = OPOST | ONLCR;
    t.c_cflag = CS7 | CREAD | HUPCL;
    t.c_lflag = ICANON | ECHO | ISIG;
    cfsetospeed(&t, B9600);
    cfsetispeed(&t, B9600);
    return t;
}

LineSettings ModemLine() {
    LineSettings s;
    s.baudRate = 115200;
    s.byteSize = 8;
    s.parity = platform::kNoParity;
    s.stopBits = platform::kOneStopBit;
    s.dtrControl = LineControl::kHandshake;
    s.rtsControl = LineControl::kHandshake;
    return s;
}

TEST(TermiosMapping, ModemLineIsRaw8N1WithoutFlowControl) {
    const auto t = platform::TermiosFromLineSettings(ModemLine(), CookedTerminal());
    ASSERT_TRUE(t);
    EXPECT_EQ(cfgetospeed(&*t), B115200);
    EXPECT_EQ(cfgetispeed(&*t), B115200);
    EXPECT_EQ(t->c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t->c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);  // RTS handshake: no CRTSCTS
    EXPECT_NE(t->c_cflag & CLOCAL, 0u);
    EXPECT_NE(t->c_cflag & HUPCL, 0u);  // kept as the device had it
    EXPECT_EQ(t->c_iflag & (IXON | IXOFF | IXANY | ICRNL | INPCK), 0u);
    EXPECT_EQ(t->c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t->c_oflag & OPOST, 0u);
    EXPECT_TRUE(platform::ModemLinesFor(ModemLine()).dtr && platform::ModemLinesFor(ModemLine()).rts);
    LineSettings lowered = ModemLine();
    lowered.dtrControl = LineControl::kDisable;
    lowered.rtsControl = LineControl::kEnable;
    EXPECT_FALSE(platform::ModemLinesFor(lowered).dtr);
    EXPECT_TRUE(platform::ModemLinesFor(lowered).rts);
}

TEST(TermiosMapping, FormatsRoundTrip) {
    const struct {
        std::uint32_t baud;
        std::uint8_t bits;
        std::uint8_t parity;
        std::uint8_t stop;
    } rows[] = {
        {115200, 8, platform::kNoParity, platform::kOneStopBit},
        {9600, 7, platform::kEvenParity, platform::kOneStopBit},
        {57600, 7, platform::kOddParity, platform::kTwoStopBits},
        {4800, 5, platform::kMarkParity, platform::kOneStopBit},
        {921600, 6, platform::kSpaceParity, platform::kTwoStopBits},
    };
    for (const auto& row : rows) {
        LineSettings wanted = ModemLine();
        wanted.baudRate = row.baud;
        wanted.byteSize = row.bits;
        wanted.parity = row.parity;
        wanted.stopBits = row.stop;
        const auto t = platform::TermiosFromLineSettings(wanted, CookedTerminal());
        ASSERT_TRUE(t) << row.baud;
        const LineSettings back = platform::LineSettingsFromTermios(*t, {});
        EXPECT_EQ(back.baudRate, row.baud);
        EXPECT_EQ(back.byteSize, row.bits);
        EXPECT_EQ(back.parity, row.parity);
        EXPECT_EQ(back.stopBits, row.stop);
    }
}

TEST(TermiosMapping, RejectsWhatATtyCannotDo) {
    const struct {
        const char* name;
        void (*change)(LineSettings&);
    } rows[] = {
        {"unknown speed", [](LineSettings& s) { s.baudRate = 115201; }},
        {"zero speed", [](LineSettings& s) { s.baudRate = 0; }},
        {"4 data bits", [](LineSettings& s) { s.byteSize = 4; }},
        {"9 data bits", [](LineSettings& s) { s.byteSize = 9; }},
        {"parity code 5", [](LineSettings& s) { s.parity = 5; }},
        {"1.5 stop bits", [](LineSettings& s) { s.stopBits = platform::kOneAndHalfStopBits; }},
        {"stop-bit code 3", [](LineSettings& s) { s.stopBits = 3; }},
        {"text mode", [](LineSettings& s) { s.binary = false; }},
    };
    for (const auto& row : rows) {
        LineSettings s = ModemLine();
        row.change(s);
        EXPECT_FALSE(platform::TermiosFromLineSettings(s, CookedTerminal())) << row.name;
    }
}

TEST(TermiosMapping, KeepsFlowControlTheDeviceReported) {
    termios t = CookedTerminal();
    t.c_cflag |= CRTSCTS;
    LineSettings s = platform::LineSettingsFromTermios(t, {true, true});
    EXPECT_TRUE(s.ctsOutFlow);
    EXPECT_EQ(s.dtrControl, LineControl::kEnable);
    s.baudRate = 115200;
    s.byteSize = 8;
    s.binary = true;
    const auto applied = platform::TermiosFromLineSettings(s, t);
    ASSERT_TRUE(applied);
    EXPECT_NE(applied->c_cflag & CRTSCTS, 0u);
}

}  // namespace
