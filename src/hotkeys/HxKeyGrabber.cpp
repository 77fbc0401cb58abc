// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/HxKeyGrabber.h"

#include "hotkeys/HxModifierFlags.h"
#include "hotkeys/HxVirtualKeyTable.h"

#include <QGuiApplication>
#include <array>
#include <cstdlib>
#include <xcb/xcb.h>

namespace {

using namespace HxModifierFlags;

constexpr std::array<quint16, 4> kLockStates{0, XLock, XMod2, quint16(XLock | XMod2)};

xcb_window_t rootWindow(xcb_connection_t* connection)
{
    const xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    return it.rem ? it.data->root : XCB_NONE;
}

} // namespace

HxKeyGrabber& HxKeyGrabber::instance()
{
    // Never destroyed: hot keys held in statics let go of their grabs after every other static is
    // gone.
    static auto* grabber = new HxKeyGrabber;
    return *grabber;
}

xcb_connection_t* HxKeyGrabber::connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

bool HxKeyGrabber::grab(quint16 keyCode, quint32 modifierFlags)
{
    xcb_connection_t* c = connection();
    const quint8 xKeycode = HxVirtualKeyTable::xKeycodeForKeyCode(keyCode);
    const xcb_window_t root = c ? rootWindow(c) : XCB_NONE;
    if (!c || xKeycode == 0 || root == XCB_NONE)
        return false;
    const quint16 mods = toX11(modifierFlags);
    std::array<xcb_void_cookie_t, kLockStates.size()> cookies;
    for (size_t i = 0; i < kLockStates.size(); ++i)
        // owner_events off: the keys come to the grab even while one of our own windows has the
        // focus.
        cookies[i] = xcb_grab_key_checked(c, 0, root, mods | kLockStates[i], xKeycode,
                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    bool refused = false;
    for (xcb_void_cookie_t cookie : cookies) {
        if (xcb_generic_error_t* error = xcb_request_check(c, cookie)) {
            refused = true;
            std::free(error);
        }
    }
    if (refused) {
        for (quint16 lock : kLockStates)
            xcb_ungrab_key(c, xKeycode, root, mods | lock);
        // A round trip, as in ungrab(): the other client may try again at once.
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
        return false;
    }
    m_grabbed.insert((modifierFlags & KeyMask) | keyCode);
    return true;
}

void HxKeyGrabber::ungrab(quint16 keyCode, quint32 modifierFlags)
{
    m_grabbed.remove((modifierFlags & KeyMask) | keyCode);
    xcb_connection_t* c = connection();
    const quint8 xKeycode = HxVirtualKeyTable::xKeycodeForKeyCode(keyCode);
    const xcb_window_t root = c ? rootWindow(c) : XCB_NONE;
    if (!c || xKeycode == 0 || root == XCB_NONE)
        return;
    const quint16 mods = toX11(modifierFlags);
    for (quint16 lock : kLockStates)
        xcb_ungrab_key(c, xKeycode, root, mods | lock);
    // A round trip: once this returns, the combination is free for other clients.
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

std::optional<quint32> HxKeyGrabber::hotKeyIdForKeyEvent(quint32 xKeycode, quint16 state) const
{
    const quint16 keyCode = HxVirtualKeyTable::keyCodeForXKeycode(xKeycode);
    if (keyCode == HxVirtualKeyTable::NoKey)
        return std::nullopt;
    const quint32 id = fromX11(state) | keyCode;
    if (!m_grabbed.contains(id))
        return std::nullopt;
    return id;
}
