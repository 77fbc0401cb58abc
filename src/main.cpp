// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RecorderAppDelegate.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName("VoiceTray");
    QApplication::setApplicationName("VoiceTray");
    QApplication::setDesktopFileName("io.github.voicetray.VoiceTray");

    RecorderAppDelegate delegate;
    QObject::connect(&app, &QApplication::aboutToQuit, &delegate,
                     [&delegate] { delegate.applicationShouldTerminate(); });
    delegate.applicationDidFinishLaunching();
    return app.exec();
}
