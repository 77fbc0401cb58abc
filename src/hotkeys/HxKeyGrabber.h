// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSet>
#include <QtGlobal>
#include <optional>

struct xcb_connection_t;

// Passive key grabs on the root window, made on Qt's own X connection so that
// the key events reach Qt's native event filters on the main thread. Each
// combination is grabbed under every state of Lock and NumLock; a grab the
// server refuses (another client holds the combination) is answered false.
// Main thread only.
class HxKeyGrabber
{
public:
    static HxKeyGrabber& instance();

    // Qt's X connection, or null when Qt does not run on X11.
    static xcb_connection_t* connection();

    bool grab(quint16 keyCode, quint32 modifierFlags);
    void ungrab(quint16 keyCode, quint32 modifierFlags);

    // The identifier of the grabbed combination a key event belongs to.
    std::optional<quint32> hotKeyIdForKeyEvent(quint32 xKeycode, quint16 state) const;

private:
    HxKeyGrabber() = default;

    QSet<quint32> m_grabbed;
};
