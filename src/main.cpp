// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RecorderAppDelegate.h"
#include "shell/DarkTheme.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName("VoiceTray");
    QApplication::setApplicationName("VoiceTray");
    QApplication::setDesktopFileName("io.github.voicetray.VoiceTray");
    // Closing the pop-up or the editor must not end a tray program.
    QApplication::setQuitOnLastWindowClosed(false);
    DarkTheme::applyToApplication();

    RecorderAppDelegate delegate;
    QObject::connect(&app, &QApplication::aboutToQuit, &delegate,
                     [&delegate] { delegate.applicationShouldTerminate(); });
    delegate.applicationDidFinishLaunching();
    return app.exec();
}
