// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <sys/types.h>

// A private X display for tests: Xvfb (1280 x 800) on a free display number
// with a US keyboard layout, openbox as window manager and, on request,
// trayer as system tray: a 30-pixel panel that reserves its strip of the
// screen, at the top edge unless told otherwise.
// The first call to instance() starts the server and sets DISPLAY in this
// process's environment, so it must come before the QApplication is created
// (the X11 option of vt_test() does both).
// Everything started here is stopped when the process exits (and dies with
// the process if it is killed). Main thread only.
class XServer
{
public:
    enum class TrayEdge
    {
        Top,
        Bottom,
        Left,
        Right
    };

    static XServer& instance();

    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    // ":N"; empty when the server could not be started.
    QString display() const { return m_display; }
    bool isRunning() const { return !m_display.isEmpty(); }

    // Starts trayer once; answers whether a system tray is in place.
    bool startTray(TrayEdge edge = TrayEdge::Top);
    // Starts a real desktop panel instead: xfce4-panel along the bottom edge,
    // holding only its system tray (a StatusNotifier host and watcher beside
    // the XEmbed tray), with a configuration of its own in a private folder.
    // It talks over the session bus of this process, which must be a private
    // one (the DBUS option of vt_test()). Answers once its strip is reserved.
    bool startPanel();

    // The screen less the strips that panels reserve, as the window manager
    // publishes it; null when it does not.
    QRect workArea() const;

    // Writes a picture of the whole screen (any format ImageMagick knows by the extension).
    bool screenshot(const QString& path) const;

    // Runs xdotool on this display and answers its standard output, trimmed.
    // ok, when given, tells whether xdotool exited with status 0.
    QString xdotool(const QStringList& args, bool* ok = nullptr) const;

    // Runs any X client (setxkbmap, xprop, ...) on this display, as xdotool().
    QString run(const QString& program, const QStringList& args, bool* ok = nullptr) const;

private:
    XServer();
    ~XServer();

    // Runs the X client until its output holds the expected text.
    bool waitFor(const QString& program, const QStringList& args, const QString& expected) const;

    QString m_display;
    pid_t m_xvfb = -1;
    pid_t m_windowManager = -1;
    pid_t m_tray = -1;
    pid_t m_settingsDaemon = -1;
    QTemporaryDir m_panelHome;
};
