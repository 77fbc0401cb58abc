// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/X11ShortcutBackend.h"

#include "hotkeys/HotKeyCombination.h"
#include "hotkeys/HotKeysLog.h"
#include "hotkeys/KeyboardLayout.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <utility>
#include <xcb/xcb.h>

namespace {

constexpr int kRepeatWindowMs = 30;
constexpr quint16 kNumLock = XCB_MOD_MASK_2;
constexpr std::array<quint16, 4> kLockStates{0, XCB_MOD_MASK_LOCK, kNumLock,
                                             XCB_MOD_MASK_LOCK | kNumLock};
constexpr quint16 kModifierMask =
    XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

xcb_connection_t* connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t rootWindow(xcb_connection_t* c)
{
    const xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    return it.rem ? it.data->root : XCB_NONE;
}

// Alt is Mod1 and Super (Qt's Meta) is Mod4, as desktops set them up.
quint16 xModifiers(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? XCB_MOD_MASK_SHIFT : 0) |
           (modifiers & Qt::ControlModifier ? XCB_MOD_MASK_CONTROL : 0) |
           (modifiers & Qt::AltModifier ? XCB_MOD_MASK_1 : 0) |
           (modifiers & Qt::MetaModifier ? XCB_MOD_MASK_4 : 0);
}

void ungrab(xcb_connection_t* c, xcb_window_t root, quint8 keycode, quint16 modifiers)
{
    for (quint16 lock : kLockStates)
        xcb_ungrab_key(c, keycode, root, modifiers | lock);
}

// A round trip: once it returns, the server has taken every request before it.
void sync(xcb_connection_t* c)
{
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

} // namespace

X11ShortcutBackend::X11ShortcutBackend()
{
    m_releaseTimer.setSingleShot(true);
    m_releaseTimer.setInterval(kRepeatWindowMs);
    connect(&m_releaseTimer, &QTimer::timeout, this, &X11ShortcutBackend::endPendingRelease);
    if (isAvailable())
        QCoreApplication::instance()->installNativeEventFilter(this);
}

X11ShortcutBackend::~X11ShortcutBackend()
{
    ungrabAll();
    if (isAvailable())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool X11ShortcutBackend::isAvailable()
{
    return connection() != nullptr;
}

void X11ShortcutBackend::bind(const QList<GlobalShortcut>& shortcuts)
{
    ungrabAll();
    m_grabs.clear();
    for (const GlobalShortcut& shortcut : shortcuts)
        m_grabs.append({shortcut});
    if (!m_suspended)
        grabAll();
    emit changed();
}

void X11ShortcutBackend::unbind()
{
    ungrabAll();
    m_grabs.clear();
    emit changed();
}

QString X11ShortcutBackend::keys(const QString& id) const
{
    for (const Grab& g : m_grabs)
        if (g.shortcut.id == id && !g.taken && isAvailable())
            return HotKeyCombination::text(g.shortcut.keys);
    return {};
}

bool X11ShortcutBackend::isTaken(const QString& id) const
{
    for (const Grab& g : m_grabs)
        if (g.shortcut.id == id)
            return g.taken;
    return false;
}

void X11ShortcutBackend::setSuspended(bool suspended)
{
    if (suspended == m_suspended)
        return;
    m_suspended = suspended;
    if (suspended) {
        ungrabAll();
    } else {
        grabAll();
        emit changed();
    }
}

bool X11ShortcutBackend::grab(Grab& g) const
{
    xcb_connection_t* c = connection();
    const KeyboardLayout* layout = KeyboardLayout::current();
    const quint32 keycode = layout ? layout->keycodeOf(g.shortcut.keys) : 0;
    const xcb_window_t root = c ? rootWindow(c) : XCB_NONE;
    if (keycode == 0 || keycode > 255 || root == XCB_NONE)
        return false;
    g.keycode = quint8(keycode);
    g.modifiers = xModifiers(g.shortcut.keys.keyboardModifiers());
    std::array<xcb_void_cookie_t, kLockStates.size()> cookies;
    for (size_t i = 0; i < kLockStates.size(); ++i)
        // owner_events off: the keys come to the grab even while one of our own windows has the
        // focus.
        cookies[i] = xcb_grab_key_checked(c, 0, root, g.modifiers | kLockStates[i], g.keycode,
                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    bool refused = false;
    for (xcb_void_cookie_t cookie : cookies) {
        if (xcb_generic_error_t* error = xcb_request_check(c, cookie)) {
            refused = true;
            std::free(error);
        }
    }
    if (refused) {
        // The other client may try again at once.
        ungrab(c, root, g.keycode, g.modifiers);
        sync(c);
    }
    return !refused;
}

void X11ShortcutBackend::grabAll()
{
    if (!isAvailable()) {
        if (!m_grabs.isEmpty() && !std::exchange(m_reported, true))
            qCWarning(lcHotKeys, "No X11 connection: global hot keys are not grabbed");
        return;
    }
    for (Grab& g : m_grabs) {
        g.grabbed = grab(g);
        g.taken = !g.grabbed;
        if (g.taken)
            qCWarning(lcHotKeys, "Enable Failed");
    }
}

void X11ShortcutBackend::ungrabAll()
{
    xcb_connection_t* c = connection();
    bool any = false;
    for (Grab& g : m_grabs) {
        if (g.grabbed && c)
            ungrab(c, rootWindow(c), g.keycode, g.modifiers);
        any = any || g.grabbed;
        g.grabbed = false;
    }
    // Once this returns, the combinations are free for other clients.
    if (any && c)
        sync(c);
}

void X11ShortcutBackend::endPendingRelease()
{
    if (m_pendingRelease)
        m_down.remove(m_pendingRelease->keycode);
    m_pendingRelease.reset();
    m_releaseTimer.stop();
}

bool X11ShortcutBackend::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t" || !message)
        return false;
    const quint8 type = static_cast<const xcb_generic_event_t*>(message)->response_type & 0x7F;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    const auto* key = static_cast<const xcb_key_press_event_t*>(message);

    // A release is matched by the key alone, whatever modifier went up first.
    if (type == XCB_KEY_RELEASE) {
        if (!m_down.contains(key->detail))
            return false;
        endPendingRelease();
        m_pendingRelease = PendingRelease{key->detail, key->time};
        m_releaseTimer.start();
        return true;
    }
    if (m_pendingRelease && m_pendingRelease->keycode == key->detail) {
        if (m_pendingRelease->time == key->time) {
            m_pendingRelease.reset(); // the server's key repeat
            m_releaseTimer.stop();
            return true;
        }
        endPendingRelease();
    }
    if (m_down.contains(key->detail))
        return true; // repeat where the server reports it as presses only
    const auto g = std::find_if(m_grabs.cbegin(), m_grabs.cend(), [key](const Grab& g) {
        return g.grabbed && g.keycode == key->detail && g.modifiers == (key->state & kModifierMask);
    });
    if (g == m_grabs.cend())
        return false;
    m_down.insert(key->detail);
    // Queued: the action runs outside Qt's reading of X events, and may bind other shortcuts.
    QMetaObject::invokeMethod(
        this, [this, id = g->shortcut.id] { emit activated(id); }, Qt::QueuedConnection);
    return true;
}
