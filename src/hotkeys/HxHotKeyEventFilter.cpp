// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/HxHotKeyEventFilter.h"

#include "hotkeys/HxHotKeyEvent.h"
#include "hotkeys/HxKeyGrabber.h"

#include <QByteArray>
#include <QCoreApplication>
#include <xcb/xcb.h>

namespace {

constexpr int kRepeatWindowMs = 30;

} // namespace

HxHotKeyEventFilter::HxHotKeyEventFilter()
{
    m_releaseTimer.setSingleShot(true);
    m_releaseTimer.setInterval(kRepeatWindowMs);
    QObject::connect(&m_releaseTimer, &QTimer::timeout, [this] { sendPendingRelease(); });
}

HxHotKeyNotice HxHotKeyEventFilter::notice(quint32 kind, quint32 hotKeyId)
{
    HxHotKeyNotice n;
    n.eventClass = HxHotKeyEvent::kEventClassKeyboard;
    n.eventKind = kind;
    n.hasHotKeyId = true;
    n.signature = HxHotKeyEvent::signature();
    n.hotKeyId = hotKeyId;
    return n;
}

void HxHotKeyEventFilter::sendPendingRelease()
{
    if (!m_pendingRelease)
        return;
    const PendingRelease release = *m_pendingRelease;
    m_pendingRelease.reset();
    m_releaseTimer.stop();
    m_down.remove(release.xKeycode);
    post(notice(HxHotKeyEvent::kEventHotKeyReleased, release.hotKeyId));
}

void HxHotKeyEventFilter::post(const HxHotKeyNotice& notice)
{
    // Queued, in order: an action may uninstall this filter, and runs outside Qt's event reading.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [notice] { HxHotKeyEvent::eventHandlerCallback(notice); },
        Qt::QueuedConnection);
}

bool HxHotKeyEventFilter::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t" || !message)
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const quint8 type = event->response_type & 0x7F;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    const auto* key = static_cast<const xcb_key_press_event_t*>(message);

    if (type == XCB_KEY_RELEASE) {
        if (!m_down.contains(key->detail))
            return false;
        sendPendingRelease();
        m_pendingRelease = PendingRelease{key->detail, key->time, m_down.value(key->detail)};
        m_releaseTimer.start();
        return true;
    }

    if (m_pendingRelease && m_pendingRelease->xKeycode == key->detail) {
        if (m_pendingRelease->time == key->time) {
            m_pendingRelease.reset(); // the server's key repeat
            m_releaseTimer.stop();
            return true;
        }
        sendPendingRelease();
    }
    if (m_down.contains(key->detail))
        return true; // repeat where the server reports it as presses only
    const std::optional<quint32> id =
        HxKeyGrabber::instance().hotKeyIdForKeyEvent(key->detail, key->state);
    if (!id)
        return false;
    sendPendingRelease();
    m_down.insert(key->detail, *id);
    post(notice(HxHotKeyEvent::kEventHotKeyPressed, *id));
    return true;
}
