// SPDX-License-Identifier: GPL-3.0-or-later
#include "outline/OutlineAccessible.h"

#include "outline/EmptyLibraryHint.h"
#include "outline/OutlineRowAccessible.h"
#include "outline/RecOutlineView.h"
#include "widgets/AccessibleFactory.h"

OutlineAccessible::OutlineAccessible(RecOutlineView* view)
    : QAccessibleWidget(view, QAccessible::Tree)
{
}

void OutlineAccessible::installFactory()
{
    installAccessibleFactory<RecOutlineView, OutlineAccessible>();
}

RecOutlineView* OutlineAccessible::view() const
{
    return static_cast<RecOutlineView*>(widget());
}

QAccessible::State OutlineAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.multiSelectable = true;
    return state;
}

QString OutlineAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Description && view()->emptyHint()->isVisible())
        return view()->emptyHint()->text();
    return QAccessibleWidget::text(t);
}

int OutlineAccessible::childCount() const
{
    return int(OutlineRowAccessible::shownChildren(view(), nullptr).size());
}

QAccessibleInterface* OutlineAccessible::child(int index) const
{
    const QList<GeneralRecItem*> rows = OutlineRowAccessible::shownChildren(view(), nullptr);
    if (index < 0 || index >= rows.size())
        return nullptr;
    return OutlineRowAccessible::of(view(), rows.at(index));
}

int OutlineAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    return OutlineRowAccessible::indexIn(view(), nullptr, child);
}

QAccessibleInterface* OutlineAccessible::childAt(int x, int y) const
{
    return OutlineRowAccessible::childAtPoint(view(), nullptr, QPoint(x, y));
}

QAccessibleInterface* OutlineAccessible::focusChild() const
{
    if (!view()->hasFocus())
        return nullptr;
    return OutlineRowAccessible::of(view(), view()->currentItem());
}
