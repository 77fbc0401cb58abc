// SPDX-License-Identifier: GPL-3.0-or-later
// Where a drop lands in the outline, and handing drops to the application.
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "library/WalkRows.h"
#include "outline/OutlineDelegate.h"
#include "outline/RecOutlineController.h"
#include "outline/RecOutlineView.h"

#include <QFileInfo>
#include <algorithm>
#include <cstdlib>
#include <functional>

namespace {

// The first row, in document order, for which the test holds.
GeneralRecItem* firstRow(const RecGroup* group,
                         const std::function<bool(const GeneralRecItem*)>& test)
{
    GeneralRecItem* found = nullptr;
    walkRows(group, [&](GeneralRecItem* row) {
        if (!test(row))
            return Walk::Into;
        found = row;
        return Walk::Stop;
    });
    return found;
}

} // namespace

void RecOutlineController::hideInsertPoint(RecGroup* group)
{
    walkRows(group, [](GeneralRecItem* row) { row->showInsertLine(false, false); });
}

GeneralRecItem* RecOutlineController::findTopItem(RecGroup* group) const
{
    return firstRow(group, [](const GeneralRecItem* row) { return !row->isHidden(); });
}

GeneralRecItem* RecOutlineController::findNearestItem(RecGroup* group, const QPoint& point) const
{
    if (!m_outlineView)
        return nullptr;
    GeneralRecItem* candidate = nullptr;
    int best = 0;
    walkRows(group, [&](GeneralRecItem* row) {
        const QRect frame = m_outlineView->frameOf(row);
        if (row->isHidden() || frame.isNull())
            return Walk::Over;
        const int distance = std::abs(point.y() - (frame.y() + frame.height()));
        if (!candidate || distance < best) {
            candidate = row;
            best = distance;
        }
        return Walk::Into;
    });
    return candidate;
}

GeneralRecItem* RecOutlineController::findHighlightedItem(RecGroup* group) const
{
    return firstRow(group, [](const GeneralRecItem* row) { return row->insertLineVisible(); });
}

GeneralRecItem* RecOutlineController::itemByPos(const QPoint& point) const
{
    return m_outlineView ? m_outlineView->itemAt(point) : nullptr;
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

void RecOutlineController::filesDropped(const QStringList& paths, const QPoint& point)
{
    if (paths.isEmpty() || !m_appDelegate)
        return;
    // Label files dropped on a recording are its marks, not sounds to import.
    const bool labels = std::all_of(paths.begin(), paths.end(), [](const QString& path) {
        return path.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive);
    });
    GeneralRecItem* row = labels ? itemByPos(point) : nullptr;
    if (RecItem* rec = row ? row->asItem() : nullptr) {
        for (const QString& path : paths)
            m_appDelegate->importMarks(path, rec);
        return;
    }
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
