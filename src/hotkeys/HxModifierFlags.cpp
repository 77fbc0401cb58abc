// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/HxModifierFlags.h"

using namespace HxModifierFlags;

namespace {

struct FlagPair
{
    quint32 cocoa;
    quint32 other;
};

constexpr FlagPair kCarbon[] = {
    {Shift, CarbonShift}, {Control, CarbonControl}, {Option, CarbonOption}, {Command, CarbonCmd}};
constexpr FlagPair kX11[] = {
    {Shift, XShift}, {Control, XControl}, {Option, XMod1}, {Command, XMod4}};

template <size_t N> quint32 toOther(const FlagPair (&pairs)[N], quint32 cocoa)
{
    quint32 result = 0;
    for (const FlagPair& p : pairs)
        if (cocoa & p.cocoa)
            result |= p.other;
    return result;
}

template <size_t N> quint32 toCocoa(const FlagPair (&pairs)[N], quint32 other)
{
    quint32 result = 0;
    for (const FlagPair& p : pairs)
        if (other & p.other)
            result |= p.cocoa;
    return result;
}

} // namespace

quint16 HxModifierFlags::toX11(quint32 cocoaFlags)
{
    return quint16(toOther(kX11, cocoaFlags));
}

quint32 HxModifierFlags::fromX11(quint16 x11State)
{
    return toCocoa(kX11, x11State);
}

quint32 HxModifierFlags::fromQt(Qt::KeyboardModifiers modifiers)
{
    quint32 result = 0;
    if (modifiers & Qt::ShiftModifier)
        result |= Shift;
    if (modifiers & Qt::ControlModifier)
        result |= Control;
    if (modifiers & Qt::AltModifier)
        result |= Option;
    if (modifiers & Qt::MetaModifier)
        result |= Command;
    if (modifiers & Qt::KeypadModifier)
        result |= NumericPad;
    return result;
}

quint32 HxCarbonModifierFlagsForCocoaModifierFlags(quint32 cocoaFlags)
{
    return toOther(kCarbon, cocoaFlags);
}

quint32 HxCocoaModifierFlagsForCarbonModifierFlags(quint32 carbonFlags)
{
    return toCocoa(kCarbon, carbonFlags);
}
