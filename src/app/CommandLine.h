// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// The options of the voicetray command. Each option becomes a command word
// that a running VoiceTray carries out (see CommandDispatcher).
class CommandLine
{
    Q_DECLARE_TR_FUNCTIONS(CommandLine)

public:
    static constexpr const char* kRecord = "record";
    static constexpr const char* kContinue = "continue";
    static constexpr const char* kShow = "show";

    // The program's version, as the build sets it.
    static QString version();

    // Reads the arguments (the program's name first). "--help", "--version"
    // and a wrong option print their text and end the process with its exit
    // status, as QCommandLineParser does; this needs an application object.
    // Answers the command words in the order the options were given.
    static QStringList process(const QStringList& arguments);
};
