#include "platform/ui/command_line.h"

#include <QCommandLineParser>
#include <QtGlobal>

namespace platform::ui {
namespace {

QString Describe(const VersionRecord& version) {
    return QStringLiteral(
               "%1: %2.\n"
               "The modem is on COM1: the device given with --port, else the path in the\n"
               "environment variable COM1, else /dev/ttyS0. Qt's own options (-platform,\n"
               "-style, ...) work too. See %3(1).")
        .arg(QString::fromUtf8(version.productName), QString::fromUtf8(version.fileDescription),
             QString::fromUtf8(version.internalName));
}

// Qt names the program after argv[0], or "<executable_name>" before the application exists: the
// usage line names the program as its users call it instead.
QString HelpText(const QCommandLineParser& parser, const VersionRecord& version) {
    QString text = parser.helpText();
    text.remove(0, text.indexOf(QLatin1Char('\n')));
    return QStringLiteral("Usage: %1 [options]").arg(QString::fromUtf8(version.internalName)) +
           text;
}

QString Complaint(const QCommandLineParser& parser, const VersionRecord& version) {
    QString error = parser.errorText();
    if (error.isEmpty() && !parser.positionalArguments().isEmpty()) {
        error = QStringLiteral("unexpected argument '%1'.").arg(parser.positionalArguments()[0]);
    } else if (error.isEmpty()) {
        error = QStringLiteral("--port needs a device, e.g. --port /dev/ttyUSB0.");
    }
    return QString::fromUtf8(version.internalName) + QStringLiteral(": ") + error +
           QLatin1Char('\n') + HelpText(parser, version);
}

struct Options {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help and exit.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the version and exit.")};
    QCommandLineOption port{
        QStringLiteral("port"),
        QStringLiteral("The modem's serial device, e.g. /dev/ttyUSB0 (instead of COM1)."),
        QStringLiteral("device")};
    QCommandLineOption trace{
        QStringLiteral("trace"),
        QStringLiteral("Show the dialogue with the modem on stderr: '<' to it, '>' from it, "
                       "seconds since start.")};
};

bool Misused(const QCommandLineParser& parser, bool parsed, const Options& options) {
    return !parsed || !parser.positionalArguments().isEmpty() ||
           (parser.isSet(options.port) && parser.value(options.port).isEmpty());
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments, const VersionRecord& version) {
    QCommandLineParser parser;
    // Qt's own options are single-dash words ("-reverse"): read as letters they would spell -v.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(Describe(version));
    const Options options;
    parser.addOptions({options.help, options.version, options.port, options.trace});

    CommandLine line;
    const bool parsed = parser.parse(arguments);
    if (parser.isSet(options.help)) {
        line.action = CommandLine::Action::kHelp;
        line.text = HelpText(parser, version);
    } else if (parser.isSet(options.version)) {
        line.action = CommandLine::Action::kVersion;
        line.text = QString::fromUtf8(version.internalName) + QLatin1Char(' ') +
                    VersionNumbers(version) + QLatin1Char('\n');
    } else if (Misused(parser, parsed, options)) {
        line.action = CommandLine::Action::kUsageError;
        line.text = Complaint(parser, version);
    } else {
        line.port = parser.value(options.port);
        line.trace = parser.isSet(options.trace);
    }
    return line;
}

QString VersionNumbers(const VersionRecord& version) {
    const unsigned short* numbers = version.fileVersionNumbers;
    return QStringLiteral("%1.%2.%3.%4")
        .arg(numbers[0])
        .arg(numbers[1])
        .arg(numbers[2])
        .arg(numbers[3]);
}

void UsePort(const CommandLine& line) {
    if (!line.port.isEmpty()) {
        qputenv("COM1", line.port.toLocal8Bit());
    }
}

}  // namespace platform::ui
