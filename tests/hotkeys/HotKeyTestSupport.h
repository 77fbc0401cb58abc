// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "hotkeys/AppHotKeys.h"

#include <QStringList>

// Counts the log messages written while it lives.
class LogRecorder
{
public:
    LogRecorder();
    ~LogRecorder();
    int count(const QString& message) const;
};

// The presses the hot keys hand on, in order: "record" or "continue".
class PressLog
{
public:
    explicit PressLog(AppHotKeys& hotKeys)
    {
        QObject::connect(&hotKeys, &AppHotKeys::pressed, [this](AppHotKeys::Action action) {
            actions << (action == AppHotKeys::Action::Record ? QStringLiteral("record")
                                                             : QStringLiteral("continue"));
        });
    }
    QStringList actions;
};

// X modifier masks, as a second client grabs keys with them.
constexpr quint16 kXShift = 1 << 0;
constexpr quint16 kXLock = 1 << 1;
constexpr quint16 kXControl = 1 << 2;
constexpr quint16 kXAlt = 1 << 3;
constexpr quint16 kXNumLock = 1 << 4;
constexpr quint16 kXSuper = 1 << 6;
constexpr quint16 kXLockStates[] = {0, kXLock, kXNumLock, kXLock | kXNumLock};
// X key codes of the fixture's keyboard.
constexpr quint8 kXR = 27;
constexpr quint8 kXC = 54;
constexpr quint8 kXF1 = 67;
constexpr quint8 kXF5 = 71;

// A second X client on the test display: grabs keys and owns a window.
class OtherXClient
{
public:
    OtherXClient();
    ~OtherXClient();
    // Grabs the X key code with the X modifier mask; false when refused.
    bool grab(quint8 xKeycode, quint16 mods);
    void ungrab(quint8 xKeycode, quint16 mods);
    // Whether the combination is free for another client right now.
    bool canGrab(quint8 xKeycode, quint16 mods);
    // Maps a window of this client and gives it the input focus.
    void showFocusedWindow();

private:
    struct xcb_connection_t* m_connection;
    quint32 m_root = 0;
};
