// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QProcessEnvironment>

// The windowing platform Qt runs VoiceTray on. On a Wayland session a
// program may neither place its own windows nor grab keys, so where XWayland
// is at hand VoiceTray runs on Qt's X11 platform, which places the pop-up
// window and finds the tray as on X11, unless the user chose a platform
// (QT_QPA_PLATFORM).
class PlatformChoice
{
public:
    // The platform to ask Qt for in this environment; empty to leave Qt's choice.
    static QByteArray platformFor(const QProcessEnvironment& environment);
    // Sets it for this process; call before the application object exists.
    static void apply();
    // The desktop session is a Wayland one (whatever platform Qt runs on).
    static bool isWaylandSession(
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());
};
