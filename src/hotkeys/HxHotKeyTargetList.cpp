// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/HxHotKeyTargetList.h"

void HxHotKeyTargetList::append(HxHotKeyTarget* target)
{
    if (target && target != this)
        m_elements.append(target);
}

void HxHotKeyTargetList::remove(HxHotKeyTarget* target)
{
    m_elements.removeAll(target);
}

void HxHotKeyTargetList::makeObjectsPerformAction(const QString& action, HxHotKeyEvent* hotKey)
{
    // Elements that do not handle the action are passed over rather than sent something they cannot
    // take.
    const QList<HxHotKeyTarget*> elements = m_elements;
    for (HxHotKeyTarget* element : elements)
        if (element->respondsToAction(action))
            element->performAction(action, hotKey);
}
