// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/HotKeyCombination.h"

#include "hotkeys/HxHotKeyEvent.h"
#include "hotkeys/HxKeyboardLayout.h"
#include "hotkeys/HxModifierFlags.h"
#include "hotkeys/HxVirtualKeyTable.h"

#include <QCborMap>
#include <QCborValue>
#include <QCoreApplication>
#include <QStringList>

using namespace HxModifierFlags;

namespace {

struct ModifierName
{
    quint32 flag;
    const char* text;
    const char* trigger;
};

// Super first, as desktops write it; the names of the keys in the user's
// language, the portal's always in English.
constexpr ModifierName kModifiers[] = {
    {Command, QT_TRANSLATE_NOOP("HotKeyCombination", "Super"), "LOGO"},
    {Control, QT_TRANSLATE_NOOP("HotKeyCombination", "Ctrl"), "CTRL"},
    {Option, QT_TRANSLATE_NOOP("HotKeyCombination", "Alt"), "ALT"},
    {Shift, QT_TRANSLATE_NOOP("HotKeyCombination", "Shift"), "SHIFT"}};

} // namespace

bool HotKeyCombination::isValid() const
{
    if (HxVirtualKeyTable::xKeycodeForKeyCode(keyCode) == 0 || (modifierFlags & ~KeyMask) != 0)
        return false;
    return modifierFlags != 0 || HxKeyboardLayout::unmappedEntryForKeyCode(keyCode);
}

QString HotKeyCombination::text() const
{
    QStringList parts;
    for (const ModifierName& m : kModifiers)
        if (modifierFlags & m.flag)
            parts << QCoreApplication::translate("HotKeyCombination", m.text);
    const HxKeyboardLayout* layout = HxKeyboardLayout::layoutForNames();
    const QString key = layout ? layout->stringForKeyCode(keyCode, 0) : QString();
    parts << (key.isEmpty() ? QStringLiteral("#%1").arg(keyCode) : key);
    return parts.join(QLatin1Char('+'));
}

QString HotKeyCombination::portalTrigger() const
{
    QStringList parts;
    for (const ModifierName& m : kModifiers)
        if (modifierFlags & m.flag)
            parts << QString::fromLatin1(m.trigger);
    const HxKeyboardLayout* layout = HxKeyboardLayout::layoutForNames();
    const QString key = layout ? layout->keysymName(keyCode) : QString();
    if (key.isEmpty())
        return {};
    parts << key;
    return parts.join(QLatin1Char('+'));
}

QByteArray HotKeyCombination::archive() const
{
    // The registered hot key of the combination carries its actions into the archive.
    QCborMap map;
    if (const HxHotKeyEventPtr hotKey = HxHotKeyEvent::getHotKeyForKeyCode(keyCode, modifierFlags))
        hotKey->encodeWithCoder(map);
    return map.toCborValue().toCbor();
}

std::optional<HotKeyCombination> HotKeyCombination::fromArchive(const QByteArray& bytes)
{
    const QCborMap map = QCborValue::fromCbor(bytes).toMap();
    const qint64 keyCode = map.value(HxHotKeyEvent::kKeyCodeKey).toInteger(-1);
    const qint64 flags = map.value(HxHotKeyEvent::kModifierFlagsKey).toInteger(-1);
    if (keyCode < 0 || keyCode > 0xFFFF || flags < 0 || flags > 0xFFFFFFFF)
        return std::nullopt;
    const HotKeyCombination combination{quint16(keyCode), quint32(flags)};
    if (!combination.isValid())
        return std::nullopt;
    return combination;
}
