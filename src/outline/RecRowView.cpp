// SPDX-License-Identifier: GPL-3.0-or-later
#include "outline/RecRowView.h"

#include "library/GeneralRecItem.h"
#include "outline/EditableLabel.h"
#include "outline/RecOutlineController.h"
#include "outline/RecOutlineView.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace {
const QColor kSeparator = QColor::fromRgbF(0.051f, 0.051f, 0.051f, 0.75f);
const QColor kInsertLine = QColor::fromRgbF(0.359f, 0.514f, 0.944f, 1.0f);
} // namespace

RecRowView::RecRowView(GeneralRecItem* item, RecOutlineController* controller, QWidget* parent)
    : QWidget(parent), m_item(item), m_controller(controller)
{
    connect(item, &GeneralRecItem::changed, this, &RecRowView::updateFromItem);
}

bool RecRowView::isEditing() const
{
    const auto labels = findChildren<EditableLabel*>(Qt::FindDirectChildrenOnly);
    return std::any_of(labels.cbegin(), labels.cend(),
                       [](const EditableLabel* label) { return label->isEditing(); });
}

void RecRowView::focusInEvent(QFocusEvent* event)
{
    // A click or the end of an edit gives the focus to the row; the keys
    // are the outline's. (Not a focus proxy: Shift+Tab would then stop at
    // every row.)
    if (parentWidget())
        parentWidget()->setFocus(event->reason());
}

void RecRowView::updateFromItem()
{
    setToolTip(m_item->prevTitle());
    update();
}

void RecRowView::mousePressEvent(QMouseEvent* event)
{
    if (auto* view = qobject_cast<RecOutlineView*>(parentWidget())) {
        view->setClickPos(mapToParent(event->position().toPoint()));
        view->setFocusRingShown(false);
    }
    m_doubleClickPending = false;
    event->accept();
}

void RecRowView::mouseDoubleClickEvent(QMouseEvent* event)
{
    m_doubleClickPending = true;
    event->accept();
}

void RecRowView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (m_doubleClickPending) {
        m_doubleClickPending = false;
        m_controller->onItemDClick(m_item);
        return;
    }
    if (!rect().contains(event->position().toPoint()))
        return;
    m_controller->onItemClick(m_item);
    // Taking the focus ends an edit that is open in another row.
    setFocus(Qt::MouseFocusReason);
}

void RecRowView::drawBackground(QPainter&) {}

void RecRowView::drawHighlight(QPainter&) {}

void RecRowView::drawInsertLine(QPainter& p)
{
    if (!m_item->insertLineVisible())
        return;
    p.setPen(QPen(kInsertLine, 2));
    const qreal y = m_item->insertLineAtTop() ? 1 : height() - 1;
    p.drawLine(QPointF(0, y), QPointF(width(), y));
}

void RecRowView::drawFocusRing(QPainter& p)
{
    const auto* view = qobject_cast<const RecOutlineView*>(parentWidget());
    if (!view || view->currentItem() != m_item || !view->showsFocusRing())
        return;
    p.setPen(QPen(palette().color(QPalette::Highlight), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
}

void RecRowView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    drawBackground(p);
    p.setPen(QPen(kSeparator, 1));
    p.drawLine(QPointF(0, height() - 0.5), QPointF(width(), height() - 0.5));
    drawHighlight(p);
    drawInsertLine(p);
    drawFocusRing(p);
}

void RecRowView::resizeEvent(QResizeEvent*)
{
    placeControls();
}
