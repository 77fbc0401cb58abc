// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <Qt>
#include <QtGlobal>

// Modifier flags of a hot key. Every interface of the hot key family speaks
// the "Cocoa" encoding (bits 17 to 21); the "Carbon" encoding survives for
// callers that stored it; X11 masks are used only when grabbing keys.
namespace HxModifierFlags {

constexpr quint32 Shift = 1u << 17;
constexpr quint32 Control = 1u << 18;
constexpr quint32 Option = 1u << 19;
constexpr quint32 Command = 1u << 20;
constexpr quint32 NumericPad = 1u << 21;
constexpr quint32 KeyMask = Shift | Control | Option | Command; // 0x1E0000

constexpr quint32 CarbonCmd = 0x100;
constexpr quint32 CarbonShift = 0x200;
constexpr quint32 CarbonOption = 0x800;
constexpr quint32 CarbonControl = 0x1000;

// X11 modifier masks: Command is Super (Mod4), Option is Alt (Mod1).
constexpr quint16 XShift = 1u << 0;
constexpr quint16 XLock = 1u << 1;
constexpr quint16 XControl = 1u << 2;
constexpr quint16 XMod1 = 1u << 3;
constexpr quint16 XMod2 = 1u << 4; // NumLock
constexpr quint16 XMod4 = 1u << 6;

quint16 toX11(quint32 cocoaFlags);
quint32 fromX11(quint16 x11State);
quint32 fromQt(Qt::KeyboardModifiers modifiers);

} // namespace HxModifierFlags

quint32 HxCarbonModifierFlagsForCocoaModifierFlags(quint32 cocoaFlags);
quint32 HxCocoaModifierFlagsForCarbonModifierFlags(quint32 carbonFlags);
