// SPDX-License-Identifier: GPL-3.0-or-later
#include "outline/RecOutlineView.h"

#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "library/WalkRows.h"
#include "outline/EmptyLibraryHint.h"
#include "outline/OutlineAccessible.h"
#include "outline/OutlineDelegate.h"
#include "outline/OutlineRowAccessible.h"
#include "outline/RecGroupView.h"
#include "outline/RecItemView.h"
#include "outline/RecOutlineController.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QDrag>
#include <QDragEnterEvent>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QSet>
#include <algorithm>
#include <cmath>

namespace {
// Rows are made a little beyond the visible edges so that scrolling by a
// wheel step never shows an empty stripe.
constexpr int kMargin = 200;
const QColor kTopEdge = QColor::fromRgbF(0.051f, 0.051f, 0.051f, 1.0f);
} // namespace

RecOutlineView::RecOutlineView(QWidget* parent)
    : QWidget(parent), m_emptyHint(new EmptyLibraryHint(this))
{
    OutlineAccessible::installFactory();
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(tr("Recordings"));
    m_emptyHint->hide();
}

void RecOutlineView::setCurrentItem(GeneralRecItem* item)
{
    if (item == m_currentItem)
        return;
    const GeneralRecItem* old = m_currentItem;
    m_currentItem = item;
    updateRow(old);
    updateRow(item);
    if (hasFocus())
        announceCurrentItem();
}

void RecOutlineView::setFocusRingShown(bool shown)
{
    if (shown == m_focusRing)
        return;
    m_focusRing = shown;
    updateRow(m_currentItem);
}

void RecOutlineView::updateRow(const GeneralRecItem* item)
{
    if (RecRowView* row = item ? m_rows.value(item) : nullptr)
        row->update();
}

void RecOutlineView::announceCurrentItem()
{
    if (!QAccessible::isActive() || !m_currentItem)
        return;
    QAccessibleEvent event(OutlineRowAccessible::of(this, m_currentItem), QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
}

void RecOutlineView::resizeEvent(QResizeEvent*)
{
    m_emptyHint->setGeometry(rect());
}

void RecOutlineView::focusInEvent(QFocusEvent* event)
{
    // A ring for those who arrive by the keyboard, not for every click; the
    // end of an edit or the window's return keep what was there.
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
        reason == Qt::ShortcutFocusReason)
        m_focusRing = true;
    else if (reason == Qt::MouseFocusReason)
        m_focusRing = false;
    updateRow(m_currentItem);
    announceCurrentItem();
}

void RecOutlineView::focusOutEvent(QFocusEvent*)
{
    updateRow(m_currentItem);
}

void RecOutlineView::clearFrames()
{
    // The next layout has about as many frames as this one.
    const size_t count = m_frames.size();
    m_frames.clear();
    m_frames.reserve(count);
    m_frameIndex.clear();
    m_frameIndexed = true;
}

void RecOutlineView::setRowFrame(GeneralRecItem* item, const QRect& frame)
{
    m_frames.emplace_back(item, frame);
    m_frameIndexed = false;
    if (RecRowView* row = m_rows.value(item)) {
        row->setGeometry(frame);
        row->placeControls();
    }
}

const QHash<const GeneralRecItem*, qsizetype>& RecOutlineView::frameIndex() const
{
    // Made on the first look-up after a layout, not by every layout: a
    // search that finds 100,000 recordings lays them all out at each key.
    if (!m_frameIndexed) {
        m_frameIndex.clear();
        m_frameIndex.reserve(qsizetype(m_frames.size()));
        for (size_t i = 0; i < m_frames.size(); ++i)
            if (m_frames[i].first)
                m_frameIndex.insert(m_frames[i].first, qsizetype(i));
        m_frameIndexed = true;
    }
    return m_frameIndex;
}

QRect RecOutlineView::frameOf(const GeneralRecItem* item) const
{
    const auto& index = frameIndex();
    const auto it = index.constFind(item);
    return it == index.cend() ? QRect() : m_frames[size_t(*it)].second;
}

GeneralRecItem* RecOutlineView::itemAt(const QPoint& point) const
{
    const auto it =
        std::partition_point(m_frames.cbegin(), m_frames.cend(),
                             [&](const auto& frame) { return frame.second.bottom() < point.y(); });
    if (it == m_frames.cend() || !it->second.contains(point))
        return nullptr;
    return const_cast<GeneralRecItem*>(it->first);
}

QRect RecOutlineView::visibleArea() const
{
    const QWidget* viewport = parentWidget();
    if (!viewport)
        return rect();
    return QRect(-x(), -y(), viewport->width(), viewport->height())
        .adjusted(0, -kMargin, 0, kMargin);
}

void RecOutlineView::realizeVisibleRows()
{
    const QRect area = visibleArea();
    const auto first =
        std::partition_point(m_frames.cbegin(), m_frames.cend(),
                             [&](const auto& frame) { return frame.second.bottom() < area.top(); });
    QSet<const GeneralRecItem*> inView;
    for (auto it = first; it != m_frames.cend() && it->second.top() <= area.bottom(); ++it) {
        if (!it->first)
            continue;
        inView.insert(it->first);
        if (m_rows.contains(it->first))
            continue;
        RecRowView* row = makeRow(const_cast<GeneralRecItem*>(it->first));
        row->setGeometry(it->second);
        row->placeControls();
        row->show();
    }
    for (auto it = m_rows.begin(); it != m_rows.end();) {
        RecRowView* row = it.value();
        if (inView.contains(it.key())) {
            row->show();
            ++it;
            continue;
        }
        if (row->isEditing()) {
            row->setVisible(!frameOf(it.key()).isNull());
            ++it;
            continue;
        }
        // Later, not now: the row may be the one whose signal led here.
        row->hide();
        row->deleteLater();
        it = m_rows.erase(it);
    }
}

RecRowView* RecOutlineView::rowFor(GeneralRecItem* item)
{
    if (!item)
        return nullptr;
    if (RecRowView* row = m_rows.value(item))
        return row;
    RecRowView* row = makeRow(item);
    if (const QRect frame = frameOf(item); !frame.isNull()) {
        row->setGeometry(frame);
        row->show();
    }
    return row;
}

RecRowView* RecOutlineView::makeRow(GeneralRecItem* item)
{
    RecRowView* row = nullptr;
    if (RecGroup* group = item->asGroup())
        row = new RecGroupView(group, m_controller, this);
    else
        row = new RecItemView(item->asItem(), m_controller, this);
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
    frameIndex();
    const auto forget = [this](GeneralRecItem* row) {
        if (const auto it = m_frameIndex.constFind(row); it != m_frameIndex.cend()) {
            m_frames[size_t(*it)].first = nullptr;
            m_frameIndex.erase(it);
        }
        delete m_rows.take(row);
    };
    walkRows(item->asGroup(), forget);
    forget(item);
}

void RecOutlineView::paintEvent(QPaintEvent* event)
{
    if (event->rect().top() > 0)
        return;
    QPainter p(this);
    p.setPen(QPen(kTopEdge, 1));
    p.drawLine(QPointF(0, 0.5), QPointF(width(), 0.5));
}

void RecOutlineView::mousePressEvent(QMouseEvent* event)
{
    setFocusRingShown(false);
    m_clickPos = event->position().toPoint();
    event->accept();
}

void RecOutlineView::mouseReleaseEvent(QMouseEvent* event)
{
    // A release over no row clears the selection, but never while recording:
    // the selection then shows the recording in progress.
    if (!m_controller || m_controller->isRecording())
        return;
    m_controller->deselectAll();
    m_clickPos = QPoint(-1, -1);
    event->accept();
}

void RecOutlineView::mouseMoveEvent(QMouseEvent* event)
{
    // Presses on a row reach here too: rows leave moves to the outline.
    if (!m_controller || m_clickPos == QPoint(-1, -1) || !(event->buttons() & Qt::LeftButton))
        return;
    const QPointF d = event->position() - QPointF(m_clickPos);
    if (std::hypot(d.x(), d.y()) < kDragThreshold)
        return;
    const QPoint pos = event->position().toPoint();
    GeneralRecItem* item = m_controller->itemByPos(pos);
    const QStringList paths = m_controller->dragPaths(item);
    if (paths.isEmpty())
        return;
    event->accept();
    if (m_dragPerformer)
        m_dragPerformer(paths, pos);
    else
        beginDrag(paths, pos);
}

void RecOutlineView::beginDrag(const QStringList& paths, const QPoint& position)
{
    if (paths.isEmpty())
        return;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    auto* mime = new QMimeData;
    mime->setUrls(urls);
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->setPixmap(QFileIconProvider().icon(QFileInfo(paths.first())).pixmap(32, 32));
    drag->setHotSpot(QPoint(16, 16));
    Q_UNUSED(position);
    // Only a copy: a file manager must not take the file out of the library.
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

void RecOutlineView::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        acceptAsCopy(event);
}

void RecOutlineView::dragMoveEvent(QDragMoveEvent* event)
{
    if (!m_controller || m_controller->isSearchMode()) {
        event->ignore();
        return;
    }
    m_controller->highlightInsertPoint(event->position().toPoint());
    acceptAsCopy(event);
}

void RecOutlineView::dragLeaveEvent(QDragLeaveEvent*)
{
    if (m_controller)
        m_controller->hideInsertPoint(m_controller->mainItem());
}

void RecOutlineView::dropEvent(QDropEvent* event)
{
    if (!m_controller || m_controller->isSearchMode()) {
        event->ignore();
        return;
    }
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    if (!paths.isEmpty())
        m_controller->filesDropped(paths, event->position().toPoint());
    m_controller->hideInsertPoint(m_controller->mainItem());
    acceptAsCopy(event);
}

void RecOutlineView::acceptAsCopy(QDropEvent* event)
{
    // The source application must not delete a file that is still to be read.
    if (!(event->possibleActions() & Qt::CopyAction)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void RecOutlineView::contextMenuEvent(QContextMenuEvent* event)
{
    GeneralRecItem* row = m_controller ? m_controller->itemByPos(event->pos()) : nullptr;
    if (!row || !m_controller->appDelegate())
        return;
    // The menu acts on the row under the pointer, and on the rows selected
    // with it.
    if (!row->selected()) {
        m_controller->selectItem(row);
        m_controller->setChiefSelectedItem(row);
    }
    RecItem* rec = row->asItem();
    QMenu menu(this);
    QAction* exportCopies = menu.addAction(tr("Export..."));
    exportCopies->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    QAction* exportMarks = rec ? menu.addAction(tr("Export marks...")) : nullptr;
    if (exportMarks)
        exportMarks->setEnabled(!rec->marks().empty());
    const QPointer<RecItem> guard(rec);
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == exportCopies)
        m_controller->appDelegate()->exportSelected();
    else if (chosen && chosen == exportMarks && guard)
        m_controller->appDelegate()->exportMarks(guard);
}
