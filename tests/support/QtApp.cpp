// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/QtApp.h"

#include <QApplication>

QApplication& qtApp()
{
    static int argc = 1;
    static char name[] = "voicetray-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        QApplication::setOrganizationName("VoiceTray");
        QApplication::setApplicationName("VoiceTray");
        return new QApplication(argc, argv);
    }();
    return *app;
}
