// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QKeyCombination>
#include <QString>
#include <optional>

// A key combination of a global hot key is a QKeyCombination: a key and the
// Shift, Ctrl, Alt and Meta (Super) modifiers, with Qt::KeypadModifier for a
// key of the numeric keypad. What the hot keys need to know of one.
namespace HotKeyCombination {

// A key that has a key symbol, with no other modifiers, and with one of
// them unless the key types nothing (a function key, an arrow).
bool isValid(QKeyCombination combination);
// As the user reads it: "Super+Shift+R" (the names of the modifiers in the
// user's language).
QString text(QKeyCombination combination);
// As the settings keep it: QKeySequence's portable text ("Meta+Shift+R").
QString toPortableText(QKeyCombination combination);
// Nothing when the text holds no valid combination.
std::optional<QKeyCombination> fromPortableText(const QString& text);

} // namespace HotKeyCombination
