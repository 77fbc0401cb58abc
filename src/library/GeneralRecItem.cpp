// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/GeneralRecItem.h"

#include "library/RecGroup.h"
#include "library/RecItem.h"

#include <atomic>

GeneralRecItem::GeneralRecItem(bool isGroup) : m_isGroup(isGroup) {}

GeneralRecItem::~GeneralRecItem() = default;

RecGroup* GeneralRecItem::asGroup()
{
    return m_isGroup ? static_cast<RecGroup*>(this) : nullptr;
}

const RecGroup* GeneralRecItem::asGroup() const
{
    return m_isGroup ? static_cast<const RecGroup*>(this) : nullptr;
}

RecItem* GeneralRecItem::asItem()
{
    return m_isGroup ? nullptr : static_cast<RecItem*>(this);
}

const RecItem* GeneralRecItem::asItem() const
{
    return m_isGroup ? nullptr : static_cast<const RecItem*>(this);
}

void GeneralRecItem::setSelected(bool selected)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    notify();
}

void GeneralRecItem::noteTreeChange()
{
    // Rows may be read on a worker before they join the tree.
    static std::atomic<quint64> lastStamp{0};
    const quint64 stamp = lastStamp.fetch_add(1, std::memory_order_relaxed) + 1;
    for (GeneralRecItem* row = this; row; row = row->m_parent)
        row->m_changeStamp = stamp;
}

void GeneralRecItem::setParent(GeneralRecItem* parent)
{
    m_parent = parent;
    noteTreeChange();
    m_level = 0;
    if (parent) {
        recalcLevel();
        notify();
    }
}

void GeneralRecItem::recalcLevel()
{
    m_level = 0;
    for (GeneralRecItem* p = m_parent ? m_parent->m_parent : nullptr; p; p = p->m_parent)
        ++m_level;
}

void GeneralRecItem::setTitle(const QString& title)
{
    m_prevTitle = title;
    setEditedTitle(title);
}

void GeneralRecItem::setEditedTitle(const QString& title)
{
    m_title = title;
    noteTreeChange();
    notify();
}

void GeneralRecItem::setHidden(bool hidden)
{
    if (m_hidden == hidden)
        return;
    m_hidden = hidden;
    notify();
}

void GeneralRecItem::showInsertLine(bool show, bool atTop)
{
    m_showInsertLine = show;
    m_showTopLine = atTop;
    notify();
}
