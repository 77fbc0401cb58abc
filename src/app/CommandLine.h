// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <chrono>
#include <optional>

// The options of the voicetray command. Each option becomes a command word
// that a running VoiceTray carries out (see CommandDispatcher).
class CommandLine
{
    Q_DECLARE_TR_FUNCTIONS(CommandLine)

public:
    static constexpr const char* kRecord = "record";
    static constexpr const char* kContinue = "continue";
    static constexpr const char* kShow = "show";
    static constexpr const char* kStop = "stop";
    static constexpr const char* kStatus = "status";
    // These two carry a value after a space: "mark NOTE", "stop-after MILLISECONDS".
    static constexpr const char* kMark = "mark";
    static constexpr const char* kStopAfter = "stop-after";

    // The program's version, as the build sets it.
    static QString version();

    // Reads the arguments (the program's name first). "--help", "--version"
    // and a wrong option print their text and end the process with its exit
    // status, as QCommandLineParser does; this needs an application object.
    // Answers the command words in the order the options were given.
    static QStringList process(const QStringList& arguments);
    // Whether the words need a VoiceTray to start when none runs: asking
    // for the status, a stop or a mark of a program that does not run do not.
    static bool startsProgram(const QStringList& commands);
    // "90m", "4s", "1h30m", "2h", or minutes alone ("15"); nothing for
    // anything else or a length of zero.
    static std::optional<std::chrono::milliseconds> parseLength(const QString& text);
};
