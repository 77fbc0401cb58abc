// SPDX-License-Identifier: GPL-3.0-or-later
#include "outline/RecOutlineView.h"

#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "outline/RecGroupView.h"
#include "outline/RecItemView.h"
#include "outline/RecOutlineController.h"

#include <QMouseEvent>
#include <QPainter>

namespace {
// Rows are made a little beyond the visible edges so that scrolling by a
// wheel step never shows an empty stripe.
constexpr int kMargin = 200;
const QColor kTopEdge = QColor::fromRgbF(0.051f, 0.051f, 0.051f, 1.0f);
} // namespace

RecOutlineView::RecOutlineView(QWidget* parent) : QWidget(parent) {}

void RecOutlineView::clearFrames()
{
    m_frames.clear();
}

void RecOutlineView::setRowFrame(GeneralRecItem* item, const QRect& frame)
{
    m_frames.insert(item, frame);
    if (RecRowView* row = m_rows.value(item)) {
        row->setGeometry(frame);
        row->placeControls();
    }
}

QRect RecOutlineView::visibleArea() const
{
    const QWidget* viewport = parentWidget();
    if (!viewport)
        return rect();
    return QRect(-x(), -y(), viewport->width(), viewport->height()).adjusted(0, -kMargin, 0, kMargin);
}

void RecOutlineView::realizeVisibleRows()
{
    const QRect area = visibleArea();
    for (auto it = m_frames.cbegin(); it != m_frames.cend(); ++it) {
        if (!it.value().intersects(area) || m_rows.contains(it.key()))
            continue;
        RecRowView* row = rowFor(const_cast<GeneralRecItem*>(it.key()));
        row->setGeometry(it.value());
        row->placeControls();
    }
    for (auto it = m_rows.cbegin(); it != m_rows.cend(); ++it)
        it.value()->setVisible(m_frames.contains(it.key()));
}

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
    if (m_frames.contains(item)) {
        row->setGeometry(m_frames.value(item));
        row->show();
    }
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
    m_frames.remove(item);
    if (RecRowView* row = m_rows.take(item))
        delete row;
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
