// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include <QCommandLineParser>

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
    parser.addOptions({record, resume, show});
    parser.process(withoutQtOptions(arguments));
    // optionNames() keeps the order (and repetitions) of the command line.
    QStringList commands;
    for (const QString& name : parser.optionNames())
        if (name == QLatin1String(kRecord) || name == QLatin1String(kContinue) ||
            name == QLatin1String(kShow))
            commands << name;
    return commands;
}
