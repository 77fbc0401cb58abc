// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/RecGroup.h"

RecGroup::RecGroup(Kind kind, Ownership ownership)
    : GeneralRecItem(true), m_kind(kind), m_ownership(ownership)
{
}

RecGroup::~RecGroup()
{
    if (m_ownership == OwnsSubItems)
        qDeleteAll(m_subItems);
}

void RecGroup::setDescr(const QString& descr)
{
    m_description = descr.isNull() ? QString("") : descr;
    notify();
}

void RecGroup::addSubItem(GeneralRecItem* item)
{
    if (item)
        m_subItems.append(item);
}

bool RecGroup::insertItemAt(GeneralRecItem* item, GeneralRecItem* reference, int shift)
{
    if (!item || !reference)
        return false;
    const qsizetype index = m_subItems.indexOf(reference);
    if (index < 0)
        return false;
    m_subItems.insert(index + shift, item);
    return true;
}

bool RecGroup::insertItemBefore(GeneralRecItem* item, GeneralRecItem* reference)
{
    return insertItemAt(item, reference, 0);
}

bool RecGroup::insertItemAfter(GeneralRecItem* item, GeneralRecItem* reference)
{
    return insertItemAt(item, reference, 1);
}

void RecGroup::removeSubItem(GeneralRecItem* item)
{
    if (item)
        m_subItems.removeOne(item);
}

GeneralRecItem* RecGroup::subItemByTitle(const QString& title) const
{
    if (title.isNull())
        return nullptr;
    for (GeneralRecItem* item : m_subItems)
        if (item && item->title().compare(title, Qt::CaseInsensitive) == 0)
            return item;
    return nullptr;
}

void RecGroup::setExpanded(bool expanded)
{
    if (!hasExpandButton())
        return;
    m_expanded = expanded;
    for (GeneralRecItem* item : m_subItems) {
        if (!item)
            continue;
        item->setHidden(!expanded || isHidden());
        if (!expanded)
            item->setSelected(false);
    }
    notify();
}

void RecGroup::setHidden(bool hidden)
{
    GeneralRecItem::setHidden(hidden);
    const bool hideChildren = hidden || !isExpanded();
    for (GeneralRecItem* item : m_subItems)
        if (item)
            item->setHidden(hideChildren);
}

void RecGroup::recalcLevel()
{
    GeneralRecItem::recalcLevel();
    for (GeneralRecItem* item : m_subItems)
        if (item)
            item->recalcLevel();
}
