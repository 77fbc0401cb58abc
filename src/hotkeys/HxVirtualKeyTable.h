// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

// The system names keys by the ANSI virtual key codes (R is 15, C is 8, F1
// is 122): a physical key position, whatever the layout. This is the one
// table that maps them to evdev key codes; X key codes are evdev + 8.
namespace HxVirtualKeyTable {

constexpr quint16 NoKey = 0xFFFF;

// evdev code of a virtual key code, or 0 when the key has no counterpart.
quint16 evdevForKeyCode(quint16 keyCode);
// Virtual key code of an evdev code, or NoKey.
quint16 keyCodeForEvdev(quint16 evdev);

quint8 xKeycodeForKeyCode(quint16 keyCode);   // 0 when there is none
quint16 keyCodeForXKeycode(quint32 xKeycode); // NoKey when there is none

} // namespace HxVirtualKeyTable
