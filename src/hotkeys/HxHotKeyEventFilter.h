// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractNativeEventFilter>
#include <QHash>
#include <QTimer>
#include <optional>

struct HxHotKeyNotice;

// Turns the X key events of grabbed combinations into hot key notices for
// HxHotKeyEvent. A held key sends one press however long the server repeats
// it: the server's repeat is a release and a press with one time stamp, so a
// release is sent only after a short wait shows no such press. A release is
// matched by the key alone, whatever modifier went up first.
// Main thread only (Qt calls native event filters there).
class HxHotKeyEventFilter : public QAbstractNativeEventFilter
{
public:
    HxHotKeyEventFilter();

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    struct PendingRelease
    {
        quint32 xKeycode;
        quint32 time;
        quint32 hotKeyId;
    };

    void sendPendingRelease();
    static HxHotKeyNotice notice(quint32 kind, quint32 hotKeyId);
    static void post(const HxHotKeyNotice& notice);

    QHash<quint32, quint32> m_down; // X key code -> hot key identifier
    std::optional<PendingRelease> m_pendingRelease;
    QTimer m_releaseTimer;
};
