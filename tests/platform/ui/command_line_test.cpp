// The programs' command line as the parser reads it: each option, Qt's own left for Qt, and
// every kind of bad line; then the port taking the place of the COM1 variable.

#include <gtest/gtest.h>

#include "platform/core/device_name.h"
#include "platform/ui/command_line.h"

namespace {

using platform::ui::CommandLine;
using Action = CommandLine::Action;

const platform::ui::VersionRecord kRecord = {"040904B0", "7, 0, 2, 9", "7, 0, 2, 9", "Quillet",
                                             "SMS test", "quillet",    "quillet",    "c",
                                             "c",        {7, 0, 2, 9}};

CommandLine Parse(QStringList arguments) {
    arguments.prepend(QStringLiteral("/usr/bin/quillet"));
    return platform::ui::ParseCommandLine(arguments, kRecord);
}

TEST(CommandLine, OptionsAndMistakes) {
    const struct {
        QStringList arguments;
        Action action;
        QString port;
        QString text;  // a part of the text to print
    } rows[] = {
        {{}, Action::kRun, "", ""},
        {{"--port", "/dev/ttyUSB0"}, Action::kRun, "/dev/ttyUSB0", ""},
        {{"--port=/dev/serial/by-id/usb-1 modem"},
         Action::kRun,
         "/dev/serial/by-id/usb-1 modem",
         ""},
        {{"--port", "/dev/a", "--port", "/dev/b"}, Action::kRun, "/dev/b", ""},
        // Before Qt has taken its own options out, a word like -reverse must not read as -v.
        {{"-reverse", "-stylesheet", "x.qss"}, Action::kUsageError, "", "Unknown options: reverse"},
        {{"-platform", "offscreen", "--version"}, Action::kVersion, "", "quillet 7.0.2.9\n"},
        {{"-v"}, Action::kVersion, "", "quillet 7.0.2.9\n"},
        {{"--bogus", "-h"}, Action::kHelp, "", "Usage: quillet [options]\nQuillet: SMS test."},
        {{"--help"}, Action::kHelp, "", "--port <device>"},
        {{"--trace", "-h"}, Action::kHelp, "", "--trace          Show the dialogue with the modem"},
        {{"--bogus"}, Action::kUsageError, "", "quillet: Unknown option 'bogus'.\nUsage: quillet"},
        {{"--port"}, Action::kUsageError, "", "Missing value after '--port'"},
        {{"--port", ""}, Action::kUsageError, "", "--port needs a device"},
        {{"/dev/ttyUSB0"}, Action::kUsageError, "", "unexpected argument '/dev/ttyUSB0'"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.join(' ').toStdString());
        const CommandLine line = Parse(row.arguments);
        EXPECT_EQ(line.action, row.action);
        EXPECT_EQ(line.port, row.port);
        EXPECT_TRUE(line.text.contains(row.text)) << line.text.toStdString();
        EXPECT_EQ(line.text.isEmpty(), row.action == Action::kRun);
    }
    EXPECT_EQ(Parse({"--version"}).text, "quillet 7.0.2.9\n");
}

TEST(CommandLine, PortWinsOverTheVariable) {
    qputenv("COM1", "/dev/from-variable");
    platform::ui::UsePort(Parse({}));
    EXPECT_EQ(platform::DevicePathFor(u"COM1:"), "/dev/from-variable");
    platform::ui::UsePort(Parse({"--port", "/dev/from-option"}));
    EXPECT_EQ(platform::DevicePathFor(u"COM1:"), "/dev/from-option");
    qunsetenv("COM1");
}

}  // namespace
