// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/RecGroup.h"
#include "library/RecItem.h"

#include <QString>

// Builds trees the way the outline does, without any widget.
class PlainFactory
{
public:
    static void add(GeneralRecItem* item, RecGroup* group)
    {
        group->addSubItem(item);
        item->setParent(group);
    }
};

// A one-line picture of a tree with every saved value, for comparisons.
QString describeTree(const RecGroup* group);
