// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/RecGroup.h"

#include <QHash>
#include <algorithm>

RecGroup::RecGroup(Kind kind) : GeneralRecItem(true), m_kind(kind) {}

RecGroup::~RecGroup()
{
    // While its rows go, the category already lists none of them.
    m_subItems.clear();
    m_owned.clear();
}

void RecGroup::setDescr(const QString& descr)
{
    m_description = descr.isNull() ? QString("") : descr;
    notify();
}

void RecGroup::adopt(std::unique_ptr<GeneralRecItem> item, qsizetype index)
{
    if (!item)
        return;
    m_subItems.insert(index, item.get());
    m_owned.push_back(std::move(item));
    noteTreeChange();
}

std::unique_ptr<GeneralRecItem> RecGroup::insertItemAt(std::unique_ptr<GeneralRecItem> item,
                                                       const GeneralRecItem* reference, int shift)
{
    const qsizetype index = reference ? m_subItems.indexOf(reference) : -1;
    if (index < 0)
        return item;
    adopt(std::move(item), index + shift);
    return nullptr;
}

std::unique_ptr<GeneralRecItem> RecGroup::insertItemBefore(std::unique_ptr<GeneralRecItem> item,
                                                           const GeneralRecItem* reference)
{
    return insertItemAt(std::move(item), reference, 0);
}

std::unique_ptr<GeneralRecItem> RecGroup::insertItemAfter(std::unique_ptr<GeneralRecItem> item,
                                                          const GeneralRecItem* reference)
{
    return insertItemAt(std::move(item), reference, 1);
}

std::unique_ptr<GeneralRecItem> RecGroup::removeSubItem(GeneralRecItem* item)
{
    const auto owned = std::find_if(m_owned.begin(), m_owned.end(),
                                    [item](const auto& row) { return row.get() == item; });
    if (!item || owned == m_owned.end())
        return nullptr;
    std::unique_ptr<GeneralRecItem> taken = std::move(*owned);
    m_owned.erase(owned);
    m_subItems.removeOne(item);
    noteTreeChange();
    return taken;
}

std::vector<std::unique_ptr<GeneralRecItem>> RecGroup::takeSubItems()
{
    QHash<const GeneralRecItem*, qsizetype> order;
    order.reserve(m_subItems.size());
    for (qsizetype i = 0; i < m_subItems.size(); ++i)
        order.insert(m_subItems[i], i);
    std::vector<std::unique_ptr<GeneralRecItem>> taken = std::move(m_owned);
    m_owned.clear();
    m_subItems.clear();
    noteTreeChange();
    std::stable_sort(taken.begin(), taken.end(), [&order](const auto& a, const auto& b) {
        return order.value(a.get()) < order.value(b.get());
    });
    return taken;
}

void RecGroup::listSubItem(GeneralRecItem* item)
{
    if (item)
        m_subItems.append(item);
    noteTreeChange();
}

void RecGroup::unlistSubItem(GeneralRecItem* item)
{
    const bool owned = std::any_of(m_owned.begin(), m_owned.end(),
                                   [item](const auto& row) { return row.get() == item; });
    if (!owned)
        m_subItems.removeOne(item);
    noteTreeChange();
}

GeneralRecItem* RecGroup::subItemByTitle(const QString& title) const
{
    if (title.isNull())
        return nullptr;
    for (GeneralRecItem* item : m_subItems)
        if (item->title().compare(title, Qt::CaseInsensitive) == 0)
            return item;
    return nullptr;
}

void RecGroup::setExpanded(bool expanded)
{
    if (!hasExpandButton())
        return;
    m_expanded = expanded;
    for (GeneralRecItem* item : m_subItems) {
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
        item->setHidden(hideChildren);
}

void RecGroup::recalcLevel()
{
    GeneralRecItem::recalcLevel();
    for (GeneralRecItem* item : m_subItems)
        item->recalcLevel();
}
