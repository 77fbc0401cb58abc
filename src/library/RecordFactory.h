// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class RecGroup;
class RecItem;

// Makes rows and puts them into the tree; the outline controller is the one
// implementation, so that rows read from the database are made exactly like
// rows the user creates.
class RecordFactory
{
public:
    virtual ~RecordFactory() = default;
    // A fresh, unparented row with a new ID, owned by the caller.
    virtual RecItem* createNewItem() = 0;
    virtual RecGroup* createNewGroup() = 0;
    // Appends the row to the category, which takes ownership.
    virtual void addItem(RecItem* item, RecGroup* group) = 0;
    virtual void addGroup(RecGroup* group, RecGroup* parent) = 0;
};
