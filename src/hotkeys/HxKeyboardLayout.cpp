// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/HxKeyboardLayout.h"

#include "hotkeys/HxAssertion.h"
#include "hotkeys/HxModifierFlags.h"
#include "hotkeys/HxVirtualKeyTable.h"

#include <QGuiApplication>
#include <algorithm>
#include <array>
#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

namespace {

// Sorted by key code.
constexpr std::array<HxKeyboardLayout::UnmappedEntry, HxKeyboardLayout::kUnmappedKeyCount>
    kUnmappedKeys{{
        {0xF728, 51, {0x232B}},         {0xF714, 64, {'F', '1', '7'}},
        {0xF73A, 71, {0x2327}},         {0xF715, 79, {'F', '1', '8'}},
        {0xF716, 80, {'F', '1', '9'}},  {0xF708, 96, {'F', '5'}},
        {0xF709, 97, {'F', '6'}},       {0xF70A, 98, {'F', '7'}},
        {0xF706, 99, {'F', '3'}},       {0xF70B, 100, {'F', '8'}},
        {0xF70C, 101, {'F', '9'}},      {0xF70E, 103, {'F', '1', '1'}},
        {0xF710, 105, {'F', '1', '3'}}, {0xF713, 106, {'F', '1', '6'}},
        {0xF711, 107, {'F', '1', '4'}}, {0xF70D, 109, {'F', '1', '0'}},
        {0xF70F, 111, {'F', '1', '2'}}, {0xF712, 113, {'F', '1', '5'}},
        {0xF729, 115, {0x21F1}},        {0xF72C, 116, {0x21DE}},
        {0xF73E, 117, {0x2326}},        {0xF707, 118, {'F', '4'}},
        {0xF72B, 119, {0x21F2}},        {0xF705, 120, {'F', '2'}},
        {0xF72D, 121, {0x21DF}},        {0xF704, 122, {'F', '1'}},
        {0xF702, 123, {0x2190}},        {0xF703, 124, {0x2192}},
        {0xF701, 125, {0x2193}},        {0xF700, 126, {0x2191}},
    }};

constexpr int kMaxKeyCode = 127;

int compareEntries(const HxKeyboardLayout::ReverseMappingEntry& a,
                   const HxKeyboardLayout::ReverseMappingEntry& b)
{
    if (a.character != b.character)
        return int(a.character) - int(b.character);
    return int(a.isKeyPad) - int(b.isKeyPad);
}

bool isPrintable(char16_t c)
{
    if (c <= 0x7F)
        return c >= 0x20 && c < 0x7F;
    return QChar(c).isPrint();
}

// Reads the server's keymap and its current layout group.
void readKeymap(xcb_connection_t* connection, xkb_context* context, xkb_keymap** keymap,
                xkb_layout_index_t* group)
{
    if (!xkb_x11_setup_xkb_extension(
            connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
            XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr))
        return;
    const int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
    if (device < 0)
        return;
    *keymap =
        xkb_x11_keymap_new_from_device(context, connection, device, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!*keymap)
        return;
    if (xkb_state* serverState = xkb_x11_state_new_from_device(*keymap, connection, device)) {
        *group = xkb_state_serialize_layout(serverState, XKB_STATE_LAYOUT_EFFECTIVE);
        xkb_state_unref(serverState);
    }
}

} // namespace

HxKeyboardLayout::HxKeyboardLayout(xkb_context* context, xkb_keymap* keymap, xkb_state* state)
    : m_context(context), m_keymap(keymap), m_state(state)
{
}

HxKeyboardLayout::~HxKeyboardLayout()
{
    xkb_state_unref(m_state);
    xkb_keymap_unref(m_keymap);
    xkb_context_unref(m_context);
}

HxKeyboardLayout* HxKeyboardLayout::keyboardLayout()
{
    static std::unique_ptr<HxKeyboardLayout> shared;
    if (!shared)
        shared = fromCurrentLayout();
    return shared.get();
}

const HxKeyboardLayout* HxKeyboardLayout::layoutForNames()
{
    if (const HxKeyboardLayout* shared = keyboardLayout())
        return shared;
    static const std::unique_ptr<HxKeyboardLayout> fallback = [] {
        xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
        const xkb_rule_names us{nullptr, nullptr, "us", nullptr, nullptr};
        xkb_keymap* keymap =
            context ? xkb_keymap_new_from_names(context, &us, XKB_KEYMAP_COMPILE_NO_FLAGS)
                    : nullptr;
        xkb_state* state = keymap ? xkb_state_new(keymap) : nullptr;
        if (!state) {
            xkb_keymap_unref(keymap);
            xkb_context_unref(context);
            return std::unique_ptr<HxKeyboardLayout>();
        }
        return std::unique_ptr<HxKeyboardLayout>(new HxKeyboardLayout(context, keymap, state));
    }();
    return fallback.get();
}

std::unique_ptr<HxKeyboardLayout> HxKeyboardLayout::fromCurrentLayout()
{
    xcb_connection_t* connection = nullptr;
    bool ownConnection = false;
    if (auto* x11 =
            qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr)
        connection = x11->connection();
    if (!connection) {
        // Without Qt on X11 (offscreen tests, tools) the layout is still read from $DISPLAY.
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            return nullptr;
        connection = xcb_connect(nullptr, nullptr);
        ownConnection = true;
        if (xcb_connection_has_error(connection)) {
            xcb_disconnect(connection);
            return nullptr;
        }
    }
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    xkb_keymap* keymap = nullptr;
    xkb_layout_index_t group = 0;
    if (context)
        readKeymap(connection, context, &keymap, &group);
    if (ownConnection)
        xcb_disconnect(connection);
    xkb_state* state = keymap ? xkb_state_new(keymap) : nullptr;
    if (!state) {
        xkb_keymap_unref(keymap);
        xkb_context_unref(context);
        return nullptr;
    }
    const xkb_mod_index_t numLock = xkb_keymap_mod_get_index(keymap, XKB_MOD_NAME_NUM);
    const xkb_mod_mask_t locked = numLock == XKB_MOD_INVALID ? 0 : (1u << numLock);
    xkb_state_update_mask(state, 0, 0, locked, 0, 0, group);
    return std::unique_ptr<HxKeyboardLayout>(new HxKeyboardLayout(context, keymap, state));
}

QString HxKeyboardLayout::translate(quint16 keyCode, int maxLength) const
{
    const quint8 xKeycode = HxVirtualKeyTable::xKeycodeForKeyCode(keyCode);
    if (xKeycode == 0)
        return {};
    char buffer[64];
    const int size = xkb_state_key_get_utf8(m_state, xKeycode, buffer, sizeof buffer);
    if (size <= 0 || size >= int(sizeof buffer))
        return {};
    return QString::fromUtf8(buffer, size).left(maxLength);
}

QChar HxKeyboardLayout::characterForKeyCode(quint16 keyCode) const
{
    if (const UnmappedEntry* entry = unmappedEntryForKeyCode(keyCode))
        return QChar(entry->character);
    const QString produced = translate(keyCode, 256);
    if (produced.isEmpty())
        return QChar(0);
    return produced.at(0).toUpper();
}

quint16 HxKeyboardLayout::keyCodeForCharacter(QChar character, bool numericPad)
{
    const ReverseMappingEntry wanted{character.toLower().unicode(), quint8(numericPad ? 1 : 0), 0};
    if (!m_mappingsBuilt)
        generateMappings();
    const auto it =
        std::lower_bound(m_mappings.begin(), m_mappings.end(), wanted,
                         [](const auto& a, const auto& b) { return compareEntries(a, b) < 0; });
    if (it == m_mappings.end() || compareEntries(*it, wanted) != 0)
        return 0;
    return it->keyCode;
}

QString HxKeyboardLayout::stringForKeyCode(quint16 keyCode, quint32 modifierFlags) const
{
    QString text = characterForModifierFlags(modifierFlags);
    if (const UnmappedEntry* entry = unmappedEntryForKeyCode(keyCode)) {
        for (char16_t c : entry->symbol)
            if (c)
                text.append(QChar(c));
        return text;
    }
    // The key is shown as it is labelled, without the modifiers applied: ⇧⌘1, not ⇧⌘!.
    const QString produced = translate(keyCode, 260 - int(text.size()));
    if (produced.isEmpty())
        return {};
    return (text + produced).toUpper();
}

QString HxKeyboardLayout::keysymName(quint16 keyCode) const
{
    const quint8 xKeycode = HxVirtualKeyTable::xKeycodeForKeyCode(keyCode);
    const xkb_keysym_t keysym =
        xKeycode ? xkb_state_key_get_one_sym(m_state, xKeycode) : xkb_keysym_t(XKB_KEY_NoSymbol);
    char name[64];
    if (keysym == XKB_KEY_NoSymbol || xkb_keysym_get_name(keysym, name, sizeof name) <= 0)
        return {};
    return QString::fromLatin1(name);
}

QString HxKeyboardLayout::stringForCharacter(QChar character, quint32 modifierFlags)
{
    return stringForKeyCode(
        keyCodeForCharacter(character, modifierFlags & HxModifierFlags::NumericPad), modifierFlags);
}

void HxKeyboardLayout::generateMappings()
{
    m_mappings.clear();
    m_mappings.reserve(kMaxKeyCode + 1 + kUnmappedKeyCount);
    for (int keyCode = 0; keyCode <= kMaxKeyCode; ++keyCode) {
        const QString produced = translate(quint16(keyCode), 1);
        if (!produced.isEmpty() && isPrintable(produced.at(0).unicode()))
            m_mappings.push_back({produced.at(0).unicode(), 0, quint16(keyCode)});
    }
    for (const UnmappedEntry& entry : kUnmappedKeys)
        m_mappings.push_back({entry.character, 0, entry.keyCode});
    // Key codes break ties, so that where three keys give one character (".": main row, keypad and
    // the keypad comma) the lowest one stays the main key and the keypad lookup finds the lower
    // keypad key.
    std::sort(m_mappings.begin(), m_mappings.end(), [](const auto& a, const auto& b) {
        const int order = compareEntries(a, b);
        return order != 0 ? order < 0 : a.keyCode < b.keyCode;
    });
    for (size_t i = 1; i < m_mappings.size(); ++i) {
        ReverseMappingEntry& previous = m_mappings[i - 1];
        ReverseMappingEntry& current = m_mappings[i];
        if (previous.keyCode == current.keyCode) {
            HX_PARAMETER_ASSERT(previous.keyCode != current.keyCode);
            continue;
        }
        if (previous.character == current.character) {
            if (previous.keyCode > current.keyCode)
                std::swap(previous.keyCode, current.keyCode);
            current.isKeyPad = 1;
        }
    }
    m_mappingsBuilt = true;
}

const HxKeyboardLayout::UnmappedEntry* HxKeyboardLayout::unmappedEntryForKeyCode(quint16 keyCode)
{
    const auto it =
        std::lower_bound(kUnmappedKeys.begin(), kUnmappedKeys.end(), keyCode,
                         [](const UnmappedEntry& e, quint16 code) { return e.keyCode < code; });
    if (it == kUnmappedKeys.end() || it->keyCode != keyCode)
        return nullptr;
    return &*it;
}

QString HxKeyboardLayout::characterForModifierFlags(quint32 modifierFlags)
{
    QString symbols;
    if (modifierFlags & HxModifierFlags::Control)
        symbols.append(QChar(0x2303));
    if (modifierFlags & HxModifierFlags::Option)
        symbols.append(QChar(0x2325));
    if (modifierFlags & HxModifierFlags::Shift)
        symbols.append(QChar(0x21E7));
    if (modifierFlags & HxModifierFlags::Command)
        symbols.append(QChar(0x2318));
    return symbols;
}
