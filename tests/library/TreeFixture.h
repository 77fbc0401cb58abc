// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "library/RecordFactory.h"

#include <QString>

// Builds trees the way the outline does, without any widget.
class PlainFactory : public RecordFactory
{
public:
    RecItem* createNewItem() override { return new RecItem; }
    RecGroup* createNewGroup() override { return new RecGroup; }
    void addItem(RecItem* item, RecGroup* group) override { add(item, group); }
    void addGroup(RecGroup* group, RecGroup* parent) override { add(group, parent); }
    static void add(GeneralRecItem* item, RecGroup* group)
    {
        group->addSubItem(item);
        item->setParent(group);
    }
};

// A one-line picture of a tree with every saved value, for comparisons.
QString describeTree(const RecGroup* group);
