// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/Keysyms.h"

#include <QChar>
#include <QString>
#include <xkbcommon/xkbcommon.h>

namespace {

struct NamedKey
{
    xkb_keysym_t keysym;
    Qt::Key key;
    bool keypad = false;
};

// The keys that type no character, beside the function keys and the keypad's digits.
constexpr NamedKey kNamedKeys[] = {
    {XKB_KEY_Escape, Qt::Key_Escape},
    {XKB_KEY_Tab, Qt::Key_Tab},
    {XKB_KEY_BackSpace, Qt::Key_Backspace},
    {XKB_KEY_Return, Qt::Key_Return},
    {XKB_KEY_Insert, Qt::Key_Insert},
    {XKB_KEY_Delete, Qt::Key_Delete},
    {XKB_KEY_Pause, Qt::Key_Pause},
    {XKB_KEY_Print, Qt::Key_Print},
    {XKB_KEY_Sys_Req, Qt::Key_SysReq},
    {XKB_KEY_Clear, Qt::Key_Clear},
    {XKB_KEY_Home, Qt::Key_Home},
    {XKB_KEY_End, Qt::Key_End},
    {XKB_KEY_Left, Qt::Key_Left},
    {XKB_KEY_Up, Qt::Key_Up},
    {XKB_KEY_Right, Qt::Key_Right},
    {XKB_KEY_Down, Qt::Key_Down},
    {XKB_KEY_Prior, Qt::Key_PageUp},
    {XKB_KEY_Next, Qt::Key_PageDown},
    {XKB_KEY_Menu, Qt::Key_Menu},
    {XKB_KEY_Help, Qt::Key_Help},
    {XKB_KEY_XF86AudioLowerVolume, Qt::Key_VolumeDown},
    {XKB_KEY_XF86AudioMute, Qt::Key_VolumeMute},
    {XKB_KEY_XF86AudioRaiseVolume, Qt::Key_VolumeUp},
    {XKB_KEY_KP_Enter, Qt::Key_Enter, true},
    {XKB_KEY_KP_Multiply, Qt::Key_Asterisk, true},
    {XKB_KEY_KP_Add, Qt::Key_Plus, true},
    {XKB_KEY_KP_Separator, Qt::Key_Comma, true},
    {XKB_KEY_KP_Subtract, Qt::Key_Minus, true},
    {XKB_KEY_KP_Decimal, Qt::Key_Period, true},
    {XKB_KEY_KP_Divide, Qt::Key_Slash, true},
    {XKB_KEY_KP_Equal, Qt::Key_Equal, true},
};

constexpr int kFunctionKeys = 35;

bool isCharacter(char32_t c)
{
    return c >= 0x20 && c != 0x7F;
}

} // namespace

quint32 Keysyms::fromKey(QKeyCombination key)
{
    const int k = key.key();
    const bool keypad = key.keyboardModifiers() & Qt::KeypadModifier;
    for (const NamedKey& named : kNamedKeys)
        if (named.key == k && named.keypad == keypad)
            return named.keysym;
    if (k >= Qt::Key_F1 && k < Qt::Key_F1 + kFunctionKeys && !keypad)
        return XKB_KEY_F1 + (k - Qt::Key_F1);
    if (k >= Qt::Key_0 && k <= Qt::Key_9 && keypad)
        return XKB_KEY_KP_0 + (k - Qt::Key_0);
    if (k < Qt::Key_Escape && isCharacter(char32_t(k)) && !keypad)
        return xkb_utf32_to_keysym(QChar::toLower(char32_t(k)));
    return XKB_KEY_NoSymbol;
}

QKeyCombination Keysyms::toKey(quint32 keysym)
{
    for (const NamedKey& named : kNamedKeys)
        if (named.keysym == keysym)
            return QKeyCombination(named.keypad ? Qt::KeypadModifier : Qt::NoModifier, named.key);
    if (keysym >= XKB_KEY_F1 && keysym < XKB_KEY_F1 + kFunctionKeys)
        return Qt::Key(Qt::Key_F1 + (keysym - XKB_KEY_F1));
    if (keysym >= XKB_KEY_KP_0 && keysym <= XKB_KEY_KP_9)
        return QKeyCombination(Qt::KeypadModifier, Qt::Key(Qt::Key_0 + (keysym - XKB_KEY_KP_0)));
    const char32_t c = xkb_keysym_to_utf32(keysym);
    return isCharacter(c) ? Qt::Key(QChar::toUpper(c)) : Qt::Key_unknown;
}

QString Keysyms::name(QKeyCombination key)
{
    char text[64];
    const xkb_keysym_t keysym = fromKey(key);
    if (keysym == XKB_KEY_NoSymbol || xkb_keysym_get_name(keysym, text, sizeof text) <= 0)
        return {};
    return QString::fromLatin1(text);
}
