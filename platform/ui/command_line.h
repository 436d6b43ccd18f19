#pragma once
// The programs' command line: --port DEVICE (the modem's device, before the COM1 variable),
// --trace (the modem dialogue on stderr), --help, --version. Read twice: once before Qt starts,
// where only --help and --version count, so both answer without a display; and once after Qt has
// taken its own options (-platform, -style, ...) out, where anything left that is not ours is a
// usage error.
//
// Thread contract: the main thread, before the window opens.

#include <QString>
#include <QStringList>

#include "platform/ui/version_record.h"

namespace platform::ui {

struct CommandLine {
    enum class Action { kRun, kHelp, kVersion, kUsageError };
    Action action = Action::kRun;
    QString port;  // empty: "COM1:" as the environment maps it
    bool trace = false;
    QString text;  // kHelp and kVersion: for stdout; kUsageError: the complaint and the usage
};

// arguments: the program name first, as QCoreApplication::arguments() gives them. --help and
// --version win over errors elsewhere on the line; --version prints "quillet 1.0.0.1" from the
// record.
CommandLine ParseCommandLine(const QStringList& arguments, const VersionRecord& version);

// "1.0.0.1": the record's version numbers.
QString VersionNumbers(const VersionRecord& version);

// Makes the port the one "COM1:" names, as COM1=DEVICE in the environment would.
void UsePort(const CommandLine& line);

}  // namespace platform::ui
