// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "hotkeys/ShortcutBackend.h"

#include <QAbstractNativeEventFilter>
#include <QSet>
#include <QTimer>
#include <optional>

// Global shortcuts as passive key grabs on the X server's root window, made
// on Qt's own X connection so that the key events reach this native event
// filter on the main thread. Each combination is grabbed under every state
// of Lock and NumLock, at the key that gives it in the current keyboard
// layout. A grab the server refuses (another client holds the combination)
// leaves that shortcut without keys, and nothing of it grabbed.
// A held combination is one press however long the server repeats it.
// Main thread only.
class X11ShortcutBackend : public ShortcutBackend, private QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    X11ShortcutBackend();
    ~X11ShortcutBackend() override;

    // Whether Qt runs on X11 here; without it nothing is grabbed (said once in the log).
    static bool isAvailable();

    void bind(const QList<GlobalShortcut>& shortcuts) override;
    void unbind() override;
    QString keys(const QString& id) const override;
    // Whether the shortcut's combination could not be grabbed: another program holds it.
    bool isTaken(const QString& id) const;
    // While suspended nothing is grabbed, so that a field capturing a new
    // combination hears every key; the grabs are made again after.
    void setSuspended(bool suspended);

private:
    struct Grab
    {
        GlobalShortcut shortcut;
        bool grabbed = false;
        bool taken = false;
        quint8 keycode = 0;
        quint16 modifiers = 0;
    };
    struct PendingRelease
    {
        quint8 keycode;
        quint32 time;
    };

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    bool grab(Grab& grab) const;
    void grabAll();
    void ungrabAll();
    void endPendingRelease();

    QList<Grab> m_grabs;
    bool m_suspended = false;
    bool m_reported = false;
    // The server's key repeat is a release and a press with one time stamp,
    // so a release counts only after a short wait shows no such press.
    QSet<quint8> m_down;
    std::optional<PendingRelease> m_pendingRelease;
    QTimer m_releaseTimer;
};
