// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <cstdio>
#include <cstdlib>

namespace {

// QApplication's own options, which it takes out of the arguments itself;
// a session manager restarts the program with "-session <id>", for instance.
QStringList withoutQtOptions(const QStringList& arguments)
{
    static const QStringList withValue{
        "platform",    "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
        "qwindowicon", "qwindowtitle",       "session",       "display", "geometry",
        "style",       "stylesheet",         "name",          "title",   "qmljsdebugger"};
    static const QStringList flags{"reverse", "widgetcount", "nograb", "dograb", "sync"};
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString name = arguments[i];
        if (i == 0 || !name.startsWith('-') || name.startsWith(QLatin1String("--"))) {
            kept << arguments[i];
            continue;
        }
        name = name.mid(1);
        const QString key = name.section('=', 0, 0);
        if (withValue.contains(key)) {
            if (!name.contains('='))
                ++i;
        } else if (!flags.contains(name)) {
            kept << arguments[i];
        }
    }
    return kept;
}

// "--mark" takes the next argument as its note unless that is an option, and
// stands alone for a mark without a note.
QStringList withMarkValues(const QStringList& arguments)
{
    QStringList out;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (i == 0 || arguments[i] != QLatin1String("--mark")) {
            out << arguments[i];
            continue;
        }
        const bool noted = i + 1 < arguments.size() && !arguments[i + 1].startsWith('-');
        out << QStringLiteral("--mark=") + (noted ? arguments[++i] : QString());
    }
    return out;
}

[[noreturn]] void failWith(const QString& text)
{
    std::fprintf(stderr, "voicetray: %s\n", qPrintable(text));
    std::exit(1);
}

} // namespace

QString CommandLine::version()
{
    return QStringLiteral(VT_VERSION);
}

QStringList CommandLine::process(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        tr("A voice recorder in the system tray.\n\n"
           "While VoiceTray runs, starting it again hands the options to the "
           "running program; without options its window opens. When none runs, "
           "VoiceTray starts and then carries out the options."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption record(
        QString::fromLatin1(kRecord),
        tr("Start a new recording, or stop the one that runs (the Super+Shift+R hot key)."));
    const QCommandLineOption resume(
        QString::fromLatin1(kContinue),
        tr("Continue the selected recording, or stop recording (the Super+Shift+C hot key)."));
    const QCommandLineOption show(QString::fromLatin1(kShow), tr("Open the VoiceTray window."));
    const QCommandLineOption stop(QString::fromLatin1(kStop), tr("Stop the running recording."));
    const QCommandLineOption mark(
        QString::fromLatin1(kMark),
        tr("Put a mark with the note (may be left out) into the running recording, at the "
           "time of the call."),
        tr("NOTE"));
    const QCommandLineOption status(
        QString::fromLatin1(kStatus),
        tr("Print what VoiceTray does (\"recording 00:03:12 \"Untitled 3\"\" or \"idle\"); "
           "the exit status is 0 while it records, else 1."));
    const QCommandLineOption stopAfter(
        QString::fromLatin1(kStopAfter),
        tr("Stop the recording that --record or --continue starts, or else the running one, "
           "once it is this long: 90m, 4s, 1h30m, or minutes."),
        tr("LENGTH"));
    parser.addOptions({record, resume, show, stop, mark, status, stopAfter});
    parser.process(withMarkValues(withoutQtOptions(arguments)));
    // optionNames() keeps the order (and repetitions) of the command line.
    QStringList commands;
    qsizetype marks = 0;
    for (const QString& name : parser.optionNames()) {
        if (name == QLatin1String(kMark)) {
            // Words go one a line: a note is kept to one.
            const QString note = parser.values(mark).value(marks++).simplified();
            commands << QStringLiteral("%1 %2").arg(name, note);
        } else if (name != QLatin1String(kStopAfter)) {
            commands << name;
        }
    }
    // After the start it limits, wherever it was given.
    if (parser.isSet(stopAfter)) {
        const auto length = parseLength(parser.value(stopAfter));
        if (!length)
            failWith(tr("\"%1\" is no length; write it as 90m, 4s, 1h30m or 2h.")
                         .arg(parser.value(stopAfter)));
        commands << QStringLiteral("%1 %2").arg(QLatin1String(kStopAfter)).arg(length->count());
    }
    return commands;
}

bool CommandLine::startsProgram(const QStringList& commands)
{
    if (commands.isEmpty())
        return true;
    for (const QString& command : commands)
        if (command == QLatin1String(kRecord) || command == QLatin1String(kContinue) ||
            command == QLatin1String(kShow))
            return true;
    return false;
}

std::optional<std::chrono::milliseconds> CommandLine::parseLength(const QString& text)
{
    static const QRegularExpression minutesAlone(QStringLiteral("^\\s*(\\d{1,5})\\s*$"));
    static const QRegularExpression units(
        QStringLiteral("^\\s*(?:(\\d{1,3})h)?\\s*(?:(\\d{1,5})m)?\\s*(?:(\\d{1,6})s)?\\s*$"));
    using namespace std::chrono;
    milliseconds length{0};
    if (const auto match = minutesAlone.match(text); match.hasMatch()) {
        length = minutes(match.captured(1).toLongLong());
    } else if (const auto parts = units.match(text.toLower()); parts.hasMatch()) {
        length = hours(parts.captured(1).toLongLong()) + minutes(parts.captured(2).toLongLong()) +
                 seconds(parts.captured(3).toLongLong());
    }
    if (length <= milliseconds(0))
        return std::nullopt;
    return length;
}
