// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandDispatcher.h"
#include "app/CommandLine.h"
#include "app/PlatformChoice.h"
#include "app/Settings.h"
#include "app/SingleInstance.h"
#include "app/Translations.h"
#include "app/VoiceTrayApp.h"
#include "media/HeapTuning.h"
#include "shell/DarkTheme.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>

namespace {

int printAnswer(const SingleInstance::Answer& answer)
{
    std::fputs(answer.output.toUtf8().constData(), stdout);
    std::fputs(answer.errors.toUtf8().constData(), stderr);
    return answer.ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    HeapTuning::keepLargeBlocks();
    QCoreApplication::setOrganizationName("VoiceTray");
    QCoreApplication::setApplicationName("VoiceTray");
    QCoreApplication::setApplicationVersion(CommandLine::version());

    // The options are read, and a running VoiceTray is looked for, before
    // the window system is touched: "--help" works without a display, and a
    // second start hands its commands over and ends at once.
    SingleInstance instance;
    QStringList commands;
    {
        QCoreApplication core(argc, argv);
        const Translations helpTexts;
        commands = CommandLine::process(QCoreApplication::arguments());
        if (!instance.tryLock()) {
            const auto answer = instance.sendToRunning(commands);
            return answer ? printAnswer(*answer) : 1;
        }
        // "--status", "--stop" and "--mark" do not start a VoiceTray.
        if (!CommandLine::startsProgram(commands))
            return printAnswer(CommandDispatcher::answerWhileNotRunning(commands));
    }
    Settings::removeLockOfEndedRun();

    PlatformChoice::apply();
    QApplication app(argc, argv);
    const Translations translations;
    QApplication::setDesktopFileName("io.github.voicetray.VoiceTray");
    // Closing the pop-up or the editor must not end a tray program.
    QApplication::setQuitOnLastWindowClosed(false);
    DarkTheme::applyToApplication();

    VoiceTrayApp voiceTray;
    QObject::connect(&app, &QApplication::aboutToQuit, &voiceTray, &VoiceTrayApp::quit);
    CommandDispatcher dispatcher(voiceTray.window(), voiceTray.session());
    instance.listen([&dispatcher](const QStringList& received) {
        return dispatcher.commandsReceived(received);
    });
    voiceTray.start();
    // Once the loop runs. The pop-up opens at start-up anyway; "--show" also
    // opens the plain window at once where VoiceTray still waits for a tray.
    QTimer::singleShot(0, &dispatcher, [&dispatcher, commands] { dispatcher.perform(commands); });
    return app.exec();
}
