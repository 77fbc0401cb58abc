// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QChar>
#include <QString>
#include <memory>
#include <vector>

struct xkb_context;
struct xkb_keymap;
struct xkb_state;

// Translates between virtual key codes and characters for the keyboard
// layout of the X server, as it was when the layout object was made:
// key code to character, character to key code (main keys or keypad), and
// key code plus modifiers to a display text such as ⌥⌘R. Keys without a
// printable character come from a fixed table of special keys.
// Main thread only.
class HxKeyboardLayout
{
public:
    struct ReverseMappingEntry
    {
        char16_t character; // produced without modifiers, lower case
        quint8 isKeyPad;    // the second key of two producing one character
        quint16 keyCode;
    };

    struct UnmappedEntry
    {
        char16_t character; // the function-key character of the key
        quint16 keyCode;
        char16_t symbol[4];
    };

    static constexpr int kUnmappedKeyCount = 30;

    ~HxKeyboardLayout();
    HxKeyboardLayout(const HxKeyboardLayout&) = delete;
    HxKeyboardLayout& operator=(const HxKeyboardLayout&) = delete;

    // The shared layout, made on first use from the X server's layout and
    // kept for the process; null when there is no X server to ask.
    static HxKeyboardLayout* keyboardLayout();
    // The shared layout where there is one, else the US layout of the
    // keyboard data's defaults: for naming keys to the user where no X
    // server tells its layout. Null only when even that cannot be read.
    static const HxKeyboardLayout* layoutForNames();
    // A new layout object for the X server's current layout, or null.
    static std::unique_ptr<HxKeyboardLayout> fromCurrentLayout();

    // Upper case; 0 when the key produces nothing.
    QChar characterForKeyCode(quint16 keyCode) const;
    // 0 when no key produces the character (0 is also the A key).
    quint16 keyCodeForCharacter(QChar character, bool numericPad = false);
    // Null when the key cannot be translated.
    QString stringForKeyCode(quint16 keyCode, quint32 modifierFlags) const;
    // The key's symbol name as xkbcommon spells it without modifiers ("r",
    // "F1", "Left"); null when the key gives none.
    QString keysymName(quint16 keyCode) const;
    QString stringForCharacter(QChar character, quint32 modifierFlags);

    void generateMappings();
    const std::vector<ReverseMappingEntry>& mappings() const { return m_mappings; }

    static const UnmappedEntry* unmappedEntryForKeyCode(quint16 keyCode);
    // ⌃ ⌥ ⇧ ⌘, in that order, for the modifier bits that are set.
    static QString characterForModifierFlags(quint32 modifierFlags);

private:
    HxKeyboardLayout(xkb_context* context, xkb_keymap* keymap, xkb_state* state);

    // The characters the key produces without modifiers (NumLock on, so the
    // keypad gives digits); null on failure.
    QString translate(quint16 keyCode, int maxLength) const;

    xkb_context* m_context;
    xkb_keymap* m_keymap;
    xkb_state* m_state;
    std::vector<ReverseMappingEntry> m_mappings;
    bool m_mappingsBuilt = false;
};
