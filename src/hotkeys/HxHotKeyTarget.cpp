// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/HxHotKeyTarget.h"

#include "hotkeys/HxHotKeyEvent.h"

HxHotKeyTarget::~HxHotKeyTarget()
{
    HxHotKeyEvent::targetDestroyed(this);
}

bool HxHotKeyTarget::targetWillChangeToObject(HxHotKeyTarget*, HxHotKeyEvent*)
{
    return true;
}
