// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class HxHotKeyEvent;

// An object that receives the named actions of hot keys ("hotKeyPressed:",
// "hotKeyReleased:", ...). Hot keys do not keep their target alive; a target
// that goes away detaches itself from every hot key that still names it.
// Main thread only.
class HxHotKeyTarget
{
public:
    HxHotKeyTarget() = default;
    HxHotKeyTarget(const HxHotKeyTarget&) = delete;
    HxHotKeyTarget& operator=(const HxHotKeyTarget&) = delete;
    virtual ~HxHotKeyTarget();

    virtual bool respondsToAction(const QString& action) const = 0;
    virtual void performAction(const QString& action, HxHotKeyEvent* hotKey) = 0;

    // Asked before another object becomes the target of hotKey; answering
    // false keeps this target and leaves the hot key unchanged.
    virtual bool targetWillChangeToObject(HxHotKeyTarget* newTarget, HxHotKeyEvent* hotKey);
};
