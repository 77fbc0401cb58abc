// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandDispatcher.h"
#include "app/CommandLine.h"
#include "app/PlatformChoice.h"
#include "app/SingleInstance.h"
#include "app/Translations.h"
#include "app/VoiceTrayApp.h"
#include "media/HeapTuning.h"
#include "shell/DarkTheme.h"

#include <QApplication>
#include <QTimer>

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
        if (!instance.tryLock())
            return instance.sendToRunning(commands) ? 0 : 1;
    }

    PlatformChoice::apply();
    QApplication app(argc, argv);
    const Translations translations;
    QApplication::setDesktopFileName("io.github.voicetray.VoiceTray");
    // Closing the pop-up or the editor must not end a tray program.
    QApplication::setQuitOnLastWindowClosed(false);
    DarkTheme::applyToApplication();

    VoiceTrayApp voiceTray;
    QObject::connect(&app, &QApplication::aboutToQuit, &voiceTray, &VoiceTrayApp::quit);
    CommandDispatcher dispatcher(voiceTray.window());
    QObject::connect(&instance, &SingleInstance::commandsReceived, &dispatcher,
                     &CommandDispatcher::commandsReceived);
    instance.listen();
    voiceTray.start();
    // Once the loop runs. The pop-up opens at start-up anyway; "--show" also
    // opens the plain window at once where VoiceTray still waits for a tray.
    QTimer::singleShot(0, &dispatcher, [&dispatcher, commands] { dispatcher.perform(commands); });
    return app.exec();
}
