// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class GeneralRecItem;

// What the outline asks of the application controller.
class OutlineDelegate
{
public:
    virtual ~OutlineDelegate() = default;
    // The tree or a saved value changed: save the library.
    virtual void structChanged() = 0;
    virtual void chiefSelectedChanged() = 0;
    // The user finished typing a new title into a row.
    virtual bool renameItem(GeneralRecItem* item, const QString& title) = 0;
    virtual bool isRecording() const = 0;
};
