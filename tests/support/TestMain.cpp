// SPDX-License-Identifier: GPL-3.0-or-later
// The main of every test program, compiled into each one with the options
// of its vt_test() call:
//   VT_TEST_CORE   a QCoreApplication instead of a QApplication
//   VT_TEST_X11    Qt on the private X display (Xvfb with openbox); else the
//                  offscreen platform with no DISPLAY at all
//   VT_TEST_TRAY   trayer as system tray on that display
//   VT_TEST_PULSE  the private PulseAudio daemon, started before anything else
//   VT_TEST_DBUS   a private D-Bus session bus
// The settings of every program go to a private folder that is removed at the end.
#include "support/DBusSession.h"
#include "support/PulseServer.h"
#include "support/XServer.h"

#include <QSettings>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>

#ifdef VT_TEST_CORE
#include <QCoreApplication>
using Application = QCoreApplication;
#else
#include <QApplication>
using Application = QApplication;
#endif

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
#if defined(VT_TEST_X11) || defined(VT_TEST_TRAY)
    XServer& x = XServer::instance();
    if (!x.isRunning()) {
        std::fprintf(stderr, "The private X server did not start\n");
        return 1;
    }
#ifdef VT_TEST_TRAY
    if (!x.startTray()) {
        std::fprintf(stderr, "The system tray did not start\n");
        return 1;
    }
#endif
    qputenv("QT_QPA_PLATFORM", "xcb");
#else
    qunsetenv("DISPLAY");
    qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    // The desktop session the tests were started from takes no part.
    qunsetenv("WAYLAND_DISPLAY");
    qunsetenv("XDG_SESSION_TYPE");
#ifdef VT_TEST_DBUS
    if (!DBusSession::instance().isRunning()) {
        std::fprintf(stderr, "The private session bus did not start\n");
        return 1;
    }
#else
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
#endif
#ifdef VT_TEST_PULSE
    if (!PulseServer::instance().isRunning()) {
        std::fprintf(stderr, "The private sound server did not start\n");
        return 1;
    }
#endif
    QTemporaryDir settings;
    // The programs' native format has a path of its own, also on Linux.
    for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, settings.path());
    Application::setOrganizationName(QStringLiteral("VoiceTray"));
    Application::setApplicationName(QStringLiteral("VoiceTray"));
    Application app(argc, argv);
    return RUN_ALL_TESTS();
}
