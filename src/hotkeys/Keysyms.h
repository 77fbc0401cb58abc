// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QKeyCombination>

// Between Qt's keys and the key symbols (keysyms) of the X keyboard: a key
// that types a character is that character in upper case for Qt and the
// character's keysym for X; the other keys come from a table. A key of the
// numeric keypad is Qt's key of its character with Qt::KeypadModifier.
namespace Keysyms {

// XKB_KEY_NoSymbol (0) when the key has none; modifiers other than the keypad's are ignored.
quint32 fromKey(QKeyCombination key);
// The key, with Qt::KeypadModifier for a key of the keypad; Qt::Key_unknown
// for a keysym that is no key of a hot key (a modifier key, a dead key).
QKeyCombination toKey(quint32 keysym);
// As the keysym is spelled ("r", "F1", "KP_5"); empty for none.
QString name(QKeyCombination key);

} // namespace Keysyms
