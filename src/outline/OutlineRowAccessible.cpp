// SPDX-License-Identifier: GPL-3.0-or-later
#include "outline/OutlineRowAccessible.h"

#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "outline/RecOutlineController.h"
#include "outline/RecOutlineView.h"

#include <QWidget>
#include <QWindow>

OutlineRowAccessible::OutlineRowAccessible(RecOutlineView* view, GeneralRecItem* item)
    : m_view(view), m_item(item)
{
}

QAccessibleInterface* OutlineRowAccessible::of(RecOutlineView* view, GeneralRecItem* item)
{
    if (!view || !item)
        return nullptr;
    if (QAccessibleInterface* known = QAccessible::queryAccessibleInterface(item))
        return known;
    auto* made = new OutlineRowAccessible(view, item);
    QAccessible::registerAccessibleInterface(made);
    return made;
}

QList<GeneralRecItem*> OutlineRowAccessible::shownChildren(const RecOutlineView* view,
                                                           const GeneralRecItem* item)
{
    QList<GeneralRecItem*> children;
    const RecOutlineController* controller = view ? view->controller() : nullptr;
    if (!controller)
        return children;
    // The search results are one flat list.
    const RecGroup* group = item ? nullptr : controller->mainItem();
    if (item && item->isGroup() && !controller->isSearchMode())
        group = static_cast<const RecGroup*>(item);
    if (!group || !group->isExpanded())
        return children;
    for (GeneralRecItem* sub : group->subItems())
        if (sub)
            children.append(sub);
    return children;
}

int OutlineRowAccessible::indexIn(const RecOutlineView* view, const GeneralRecItem* item,
                                  const QAccessibleInterface* child)
{
    if (!child)
        return -1;
    return int(shownChildren(view, item).indexOf(qobject_cast<GeneralRecItem*>(child->object())));
}

QAccessibleInterface* OutlineRowAccessible::childAtPoint(RecOutlineView* view,
                                                         const GeneralRecItem* item, QPoint point)
{
    RecOutlineController* controller = view ? view->controller() : nullptr;
    if (!controller)
        return nullptr;
    GeneralRecItem* row = controller->itemByPos(view->mapFromGlobal(point));
    const QList<GeneralRecItem*> children = shownChildren(view, item);
    while (row && !children.contains(row))
        row = row->parent();
    return of(view, row);
}

bool OutlineRowAccessible::isValid() const
{
    return m_view && m_item;
}

QObject* OutlineRowAccessible::object() const
{
    return m_item;
}

QWindow* OutlineRowAccessible::window() const
{
    return m_view ? m_view->window()->windowHandle() : nullptr;
}

QAccessibleInterface* OutlineRowAccessible::parent() const
{
    if (!isValid())
        return nullptr;
    GeneralRecItem* parent = m_item->parent();
    const RecOutlineController* controller = m_view->controller();
    if (!parent || !controller || controller->isSearchMode() || parent == controller->mainGroup())
        return QAccessible::queryAccessibleInterface(m_view);
    return of(m_view, parent);
}

QAccessibleInterface* OutlineRowAccessible::child(int index) const
{
    const QList<GeneralRecItem*> children = shownChildren(m_view, m_item);
    if (!m_item || index < 0 || index >= children.size())
        return nullptr;
    return of(m_view, children.at(index));
}

int OutlineRowAccessible::childCount() const
{
    return m_item ? int(shownChildren(m_view, m_item).size()) : 0;
}

int OutlineRowAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    return m_item ? indexIn(m_view, m_item, child) : -1;
}

QAccessibleInterface* OutlineRowAccessible::childAt(int x, int y) const
{
    return m_item ? childAtPoint(m_view, m_item, QPoint(x, y)) : nullptr;
}

QString OutlineRowAccessible::text(QAccessible::Text t) const
{
    if (!m_item)
        return QString();
    if (t == QAccessible::Name)
        return m_item->title();
    if (t != QAccessible::Description)
        return QString();
    if (m_item->isGroup())
        return m_item->descr();
    const auto* item = static_cast<const RecItem*>(m_item.data());
    return item->date() + QStringLiteral(", ") + item->durationText();
}

void OutlineRowAccessible::setText(QAccessible::Text, const QString&) {}

QRect OutlineRowAccessible::rect() const
{
    if (!isValid())
        return QRect();
    const QRect frame = m_view->frameOf(m_item);
    if (frame.isNull())
        return QRect();
    return QRect(m_view->mapToGlobal(frame.topLeft()), frame.size());
}

QAccessible::Role OutlineRowAccessible::role() const
{
    return QAccessible::TreeItem;
}

QAccessible::State OutlineRowAccessible::state() const
{
    QAccessible::State state;
    if (!isValid()) {
        state.invalid = true;
        return state;
    }
    state.selectable = true;
    state.focusable = true;
    state.selected = m_item->selected();
    state.focused = m_view->hasFocus() && m_view->currentItem() == m_item;
    const QRect frame = m_view->frameOf(m_item);
    state.invisible = frame.isNull();
    state.offscreen = state.invisible || !m_view->visibleRegion().intersects(frame);
    if (m_item->isGroup()) {
        const bool expanded = static_cast<const RecGroup*>(m_item.data())->isExpanded();
        state.expandable = true;
        state.expanded = expanded;
        state.collapsed = !expanded;
    }
    return state;
}
