// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class GeneralRecItem;

// What the description panel asks of the window. Main
// thread only.
class DescrPanelDelegate
{
public:
    virtual ~DescrPanelDelegate() = default;
    // The outline's chief selected row, or null.
    virtual GeneralRecItem* chiefSelectedItem() const = 0;
    // Renames the recording's file or the category's folder and the record;
    // tells the user itself when that fails.
    virtual bool renameItem(GeneralRecItem* item, const QString& title) = 0;
    // A saved value changed: save the library.
    virtual void structChanged() = 0;
};
