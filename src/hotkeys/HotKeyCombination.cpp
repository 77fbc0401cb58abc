// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/HotKeyCombination.h"

#include "hotkeys/Keysyms.h"

#include <QCoreApplication>
#include <QKeySequence>
#include <QStringList>

namespace {

constexpr Qt::KeyboardModifiers kModifiers =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

struct ModifierName
{
    Qt::KeyboardModifier modifier;
    const char* text;
};

// Super first, as desktops write it.
constexpr ModifierName kModifierNames[] = {
    {Qt::MetaModifier, QT_TRANSLATE_NOOP("HotKeyCombination", "Super")},
    {Qt::ControlModifier, QT_TRANSLATE_NOOP("HotKeyCombination", "Ctrl")},
    {Qt::AltModifier, QT_TRANSLATE_NOOP("HotKeyCombination", "Alt")},
    {Qt::ShiftModifier, QT_TRANSLATE_NOOP("HotKeyCombination", "Shift")}};

struct KeySymbol
{
    Qt::Key key;
    char16_t symbol;
};

// Keys that type nothing and are shown as the symbols on their caps.
constexpr KeySymbol kKeySymbols[] = {
    {Qt::Key_Backspace, u'\u232B'}, {Qt::Key_Clear, u'\u2327'},  {Qt::Key_Home, u'\u21F1'},
    {Qt::Key_PageUp, u'\u21DE'},    {Qt::Key_Delete, u'\u2326'}, {Qt::Key_End, u'\u21F2'},
    {Qt::Key_PageDown, u'\u21DF'},  {Qt::Key_Left, u'\u2190'},   {Qt::Key_Right, u'\u2192'},
    {Qt::Key_Down, u'\u2193'},      {Qt::Key_Up, u'\u2191'}};

constexpr int kFunctionKeys = 35;

bool isFunctionKey(Qt::Key key)
{
    return key >= Qt::Key_F1 && key < Qt::Key_F1 + kFunctionKeys;
}

const KeySymbol* symbolOf(Qt::Key key)
{
    for (const KeySymbol& s : kKeySymbols)
        if (s.key == key)
            return &s;
    return nullptr;
}

} // namespace

bool HotKeyCombination::isValid(QKeyCombination combination)
{
    const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
    if (Keysyms::fromKey(combination) == 0 || (modifiers & ~(kModifiers | Qt::KeypadModifier)))
        return false;
    const bool typesNothing = (isFunctionKey(combination.key()) || symbolOf(combination.key())) &&
                              !(modifiers & Qt::KeypadModifier);
    return (modifiers & kModifiers) || typesNothing;
}

QString HotKeyCombination::text(QKeyCombination combination)
{
    QStringList parts;
    for (const ModifierName& m : kModifierNames)
        if (combination.keyboardModifiers() & m.modifier)
            parts << QCoreApplication::translate("HotKeyCombination", m.text);
    const Qt::Key key = combination.key();
    if (const KeySymbol* s = symbolOf(key))
        parts << QString(QChar(s->symbol));
    else if (const char32_t character = key; key > Qt::Key_Space && key < Qt::Key_Escape)
        parts << QString::fromUcs4(&character, 1);
    else
        parts << QKeySequence(key).toString(QKeySequence::NativeText);
    return parts.join(QLatin1Char('+'));
}

QString HotKeyCombination::toPortableText(QKeyCombination combination)
{
    return QKeySequence(combination).toString(QKeySequence::PortableText);
}

std::optional<QKeyCombination> HotKeyCombination::fromPortableText(const QString& text)
{
    const QKeySequence sequence = QKeySequence::fromString(text, QKeySequence::PortableText);
    if (sequence.count() != 1 || !isValid(sequence[0]))
        return std::nullopt;
    return sequence[0];
}
