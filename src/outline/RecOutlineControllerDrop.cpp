// SPDX-License-Identifier: GPL-3.0-or-later
// Where a drop lands in the outline, and handing drops to the application.
#include "library/RecGroup.h"
#include "outline/OutlineDelegate.h"
#include "outline/RecOutlineController.h"
#include "outline/RecOutlineView.h"

#include <QFileInfo>
#include <cstdlib>

void RecOutlineController::hideInsertPoint(RecGroup* group)
{
    if (!group)
        return;
    for (GeneralRecItem* sub : group->subItems()) {
        if (!sub)
            continue;
        sub->showInsertLine(false, false);
        if (sub->isGroup())
            hideInsertPoint(static_cast<RecGroup*>(sub));
    }
}

GeneralRecItem* RecOutlineController::findTopItem(RecGroup* group) const
{
    if (!group)
        return nullptr;
    for (GeneralRecItem* sub : group->subItems()) {
        if (!sub)
            continue;
        if (!sub->isHidden())
            return sub;
        if (sub->isGroup())
            if (GeneralRecItem* found = findTopItem(static_cast<RecGroup*>(sub)))
                return found;
    }
    return nullptr;
}

GeneralRecItem* RecOutlineController::findNearestItem(RecGroup* group, const QPoint& point) const
{
    if (!group || !m_outlineView)
        return nullptr;
    const auto distance = [&](const GeneralRecItem* item) {
        const QRect frame = m_outlineView->frameOf(item);
        return std::abs(point.y() - (frame.y() + frame.height()));
    };
    GeneralRecItem* candidate = nullptr;
    int best = 0;
    for (GeneralRecItem* sub : group->subItems()) {
        if (!sub || sub->isHidden() || m_outlineView->frameOf(sub).isNull())
            continue;
        const int d = distance(sub);
        if (!candidate || d < best) {
            candidate = sub;
            best = d;
        }
        if (sub->isGroup())
            if (GeneralRecItem* inner = findNearestItem(static_cast<RecGroup*>(sub), point);
                inner && distance(inner) < best) {
                candidate = inner;
                best = distance(inner);
            }
    }
    return candidate;
}

GeneralRecItem* RecOutlineController::findHighlightedItem(RecGroup* group) const
{
    if (!group)
        return nullptr;
    for (GeneralRecItem* sub : group->subItems()) {
        if (!sub)
            continue;
        if (sub->insertLineVisible())
            return sub;
        if (sub->isGroup())
            if (GeneralRecItem* found = findHighlightedItem(static_cast<RecGroup*>(sub)))
                return found;
    }
    return nullptr;
}

GeneralRecItem* RecOutlineController::itemByPos(const QPoint& point, RecGroup* group) const
{
    if (!group || !m_outlineView)
        return nullptr;
    for (GeneralRecItem* sub : group->subItems()) {
        if (!sub)
            continue;
        if (!sub->isHidden() && m_outlineView->frameOf(sub).contains(point))
            return sub;
        if (sub->isGroup())
            if (GeneralRecItem* found = itemByPos(point, static_cast<RecGroup*>(sub)))
                return found;
    }
    return nullptr;
}

void RecOutlineController::highlightInsertPoint(const QPoint& point)
{
    if (isSearchMode() || !m_outlineView)
        return;
    RecGroup* root = mainItem();
    if (!m_outlineView->rect().contains(point)) {
        hideInsertPoint(root);
        return;
    }
    GeneralRecItem* top = findTopItem(root);
    if (!top)
        return;
    const int dTop = std::abs(point.y() - m_outlineView->frameOf(top).y());
    GeneralRecItem* nearest = findNearestItem(root, point);
    int dNearest = dTop + 1;
    if (nearest) {
        const QRect frame = m_outlineView->frameOf(nearest);
        dNearest = std::abs(point.y() - (frame.y() + frame.height()));
    }
    hideInsertPoint(root);
    if (dTop < dNearest)
        top->showInsertLine(true, true);
    else
        nearest->showInsertLine(true, false);
}

QStringList RecOutlineController::dragPaths(GeneralRecItem* item) const
{
    QStringList paths;
    if (!item || !m_appDelegate)
        return paths;
    const QList<GeneralRecItem*> rows =
        item->selected() ? selectedItemsOfGroup(mainItem()) : QList<GeneralRecItem*>{item};
    for (const GeneralRecItem* row : rows) {
        const QString path = m_appDelegate->restorePath(row);
        const QFileInfo info(path);
        if (!path.isEmpty() && (info.exists() || info.isSymLink()))
            paths << path;
    }
    return paths;
}

void RecOutlineController::filesDropped(const QStringList& paths, const QPoint&)
{
    if (paths.isEmpty() || !m_appDelegate)
        return;
    GeneralRecItem* nearItem = nullptr;
    bool beforeItem = true;
    if (GeneralRecItem* h = findHighlightedItem(mainItem()); h && h->insertLineVisible()) {
        nearItem = h;
        beforeItem = h->insertLineAtTop();
    }
    if (m_appDelegate->isFilesForImport(paths))
        m_appDelegate->importFiles(paths, nearItem, beforeItem);
    else
        m_appDelegate->moveFiles(paths, nearItem, beforeItem);
}
