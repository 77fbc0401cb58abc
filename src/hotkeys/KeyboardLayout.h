// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QKeyCombination>
#include <memory>

struct xkb_context;
struct xkb_keymap;
struct xkb_state;

// The keyboard layout of the X server, as it was when the object was made,
// read through xkbcommon: which Qt key an X key code is labelled with, and
// which X key code gives a Qt key. Main thread only.
class KeyboardLayout
{
public:
    ~KeyboardLayout();
    KeyboardLayout(const KeyboardLayout&) = delete;
    KeyboardLayout& operator=(const KeyboardLayout&) = delete;

    // The X server's layout, read on first use and kept for the process;
    // null when there is no X server to ask.
    static const KeyboardLayout* current();
    // The current layout where there is one, else the US layout of the
    // keyboard data's defaults. Null only when even that cannot be read.
    static const KeyboardLayout* currentOrUs();
    // A new object for the X server's layout as it is now, or null.
    static std::unique_ptr<KeyboardLayout> fromServer();

    // The key as it is labelled: what it gives without modifiers, the keypad
    // with NumLock on; Qt::Key_unknown for a key that gives none.
    QKeyCombination keyAt(quint32 xKeycode) const;
    // The X key code that gives the key, preferring one that gives it without
    // modifiers; 0 when no key of the layout gives it.
    quint32 keycodeOf(QKeyCombination key) const;

private:
    KeyboardLayout(xkb_context* context, xkb_keymap* keymap, xkb_state* state, quint32 group);
    // Takes the context and keymap over; null (both let go) when no state can be made.
    static std::unique_ptr<KeyboardLayout> make(xkb_context* context, xkb_keymap* keymap,
                                                quint32 group);

    xkb_context* m_context;
    xkb_keymap* m_keymap;
    xkb_state* m_state;
    quint32 m_group;
};
