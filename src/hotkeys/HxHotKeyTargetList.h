// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "hotkeys/HxHotKeyTarget.h"

#include <QList>

// A collection as a hot key's target: an action it receives goes to each of
// its elements that handles it. The elements are not owned.
class HxHotKeyTargetList : public HxHotKeyTarget
{
public:
    void append(HxHotKeyTarget* target);
    void remove(HxHotKeyTarget* target);
    const QList<HxHotKeyTarget*>& elements() const { return m_elements; }

    bool respondsToAction(const QString&) const override { return false; }
    void performAction(const QString&, HxHotKeyEvent*) override {}
    void makeObjectsPerformAction(const QString& action, HxHotKeyEvent* hotKey);

private:
    QList<HxHotKeyTarget*> m_elements;
};
