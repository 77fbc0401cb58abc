// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/KeyboardLayout.h"

#include "hotkeys/Keysyms.h"

#include <QGuiApplication>
#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

namespace {

// Reads the server's keymap and its current layout group.
xkb_keymap* readKeymap(xcb_connection_t* connection, xkb_context* context,
                       xkb_layout_index_t* group)
{
    if (!xkb_x11_setup_xkb_extension(
            connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
            XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr))
        return nullptr;
    const int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
    if (device < 0)
        return nullptr;
    xkb_keymap* keymap =
        xkb_x11_keymap_new_from_device(context, connection, device, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap)
        return nullptr;
    if (xkb_state* serverState = xkb_x11_state_new_from_device(keymap, connection, device)) {
        *group = xkb_state_serialize_layout(serverState, XKB_STATE_LAYOUT_EFFECTIVE);
        xkb_state_unref(serverState);
    }
    return keymap;
}

} // namespace

KeyboardLayout::KeyboardLayout(xkb_context* context, xkb_keymap* keymap, xkb_state* state,
                               quint32 group)
    : m_context(context), m_keymap(keymap), m_state(state), m_group(group)
{
}

KeyboardLayout::~KeyboardLayout()
{
    xkb_state_unref(m_state);
    xkb_keymap_unref(m_keymap);
    xkb_context_unref(m_context);
}

std::unique_ptr<KeyboardLayout> KeyboardLayout::make(xkb_context* context, xkb_keymap* keymap,
                                                     quint32 group)
{
    xkb_state* state = keymap ? xkb_state_new(keymap) : nullptr;
    if (!state) {
        xkb_keymap_unref(keymap);
        xkb_context_unref(context);
        return nullptr;
    }
    // NumLock on, so that the keypad gives its digits.
    const xkb_mod_index_t numLock = xkb_keymap_mod_get_index(keymap, XKB_MOD_NAME_NUM);
    const xkb_mod_mask_t locked = numLock == XKB_MOD_INVALID ? 0 : (1u << numLock);
    xkb_state_update_mask(state, 0, 0, locked, 0, 0, group);
    return std::unique_ptr<KeyboardLayout>(new KeyboardLayout(context, keymap, state, group));
}

const KeyboardLayout* KeyboardLayout::current()
{
    static std::unique_ptr<KeyboardLayout> shared;
    if (!shared)
        shared = fromServer();
    return shared.get();
}

const KeyboardLayout* KeyboardLayout::currentOrUs()
{
    if (const KeyboardLayout* shared = current())
        return shared;
    static const std::unique_ptr<KeyboardLayout> us = [] {
        xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
        const xkb_rule_names names{nullptr, nullptr, "us", nullptr, nullptr};
        return make(context,
                    context
                        ? xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS)
                        : nullptr,
                    0);
    }();
    return us.get();
}

std::unique_ptr<KeyboardLayout> KeyboardLayout::fromServer()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    const bool ownConnection = !connection;
    if (ownConnection) {
        // Without Qt on X11 (offscreen tests, tools) the layout is still read from $DISPLAY.
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            return nullptr;
        connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(connection)) {
            xcb_disconnect(connection);
            return nullptr;
        }
    }
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    xkb_layout_index_t group = 0;
    xkb_keymap* keymap = context ? readKeymap(connection, context, &group) : nullptr;
    if (ownConnection)
        xcb_disconnect(connection);
    return make(context, keymap, group);
}

QKeyCombination KeyboardLayout::keyAt(quint32 xKeycode) const
{
    return Keysyms::toKey(xkb_state_key_get_one_sym(m_state, xKeycode));
}

quint32 KeyboardLayout::keycodeOf(QKeyCombination key) const
{
    const xkb_keysym_t wanted = Keysyms::fromKey(key);
    if (wanted == XKB_KEY_NoSymbol)
        return 0;
    const xkb_keycode_t first = xkb_keymap_min_keycode(m_keymap);
    const xkb_keycode_t last = xkb_keymap_max_keycode(m_keymap);
    // What the state gives first (the keypad's digits need NumLock), then any level of the group.
    for (xkb_keycode_t keycode = first; keycode <= last; ++keycode)
        if (xkb_state_key_get_one_sym(m_state, keycode) == wanted)
            return keycode;
    for (xkb_keycode_t keycode = first; keycode <= last; ++keycode) {
        const xkb_level_index_t levels = xkb_keymap_num_levels_for_key(m_keymap, keycode, m_group);
        for (xkb_level_index_t level = 0; level < levels; ++level) {
            const xkb_keysym_t* syms = nullptr;
            const int count =
                xkb_keymap_key_get_syms_by_level(m_keymap, keycode, m_group, level, &syms);
            for (int i = 0; i < count; ++i)
                if (syms[i] == wanted)
                    return keycode;
        }
    }
    return 0;
}
