// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/RecGroup.h"
#include "library/RecItem.h"

#include <QString>

// Builds trees the way the outline does, without any widget.
class PlainFactory
{
public:
    // The group takes the row made with new.
    static void add(GeneralRecItem* item, RecGroup* group)
    {
        attach(std::unique_ptr<GeneralRecItem>(item), group);
    }
    static void attach(std::unique_ptr<GeneralRecItem> item, RecGroup* group)
    {
        group->addSubItem(std::move(item))->setParent(group);
    }
};

// A one-line picture of a tree with every saved value, for comparisons.
QString describeTree(const RecGroup* group);
