// SPDX-License-Identifier: GPL-3.0-or-later
#include "outline/RecOutlineView.h"

#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "outline/RecGroupView.h"
#include "outline/RecItemView.h"

RecOutlineView::RecOutlineView(QWidget* parent) : QWidget(parent) {}

RecRowView* RecOutlineView::rowFor(GeneralRecItem* item)
{
    if (!item)
        return nullptr;
    if (RecRowView* row = m_rows.value(item))
        return row;
    RecRowView* row = nullptr;
    if (item->isGroup())
        row = new RecGroupView(static_cast<RecGroup*>(item), m_controller, this);
    else
        row = new RecItemView(static_cast<RecItem*>(item), m_controller, this);
    m_rows.insert(item, row);
    return row;
}

RecRowView* RecOutlineView::existingRowFor(const GeneralRecItem* item) const
{
    return m_rows.value(item);
}

void RecOutlineView::removeRows(GeneralRecItem* item)
{
    if (!item)
        return;
    if (item->isGroup())
        for (GeneralRecItem* sub : static_cast<RecGroup*>(item)->subItems())
            removeRows(sub);
    if (RecRowView* row = m_rows.take(item))
        delete row;
}
