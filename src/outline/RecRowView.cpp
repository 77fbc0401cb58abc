// SPDX-License-Identifier: GPL-3.0-or-later
#include "outline/RecRowView.h"

#include "library/GeneralRecItem.h"
#include "outline/RecOutlineController.h"

#include <QMouseEvent>
#include <QPainter>

RecRowView::RecRowView(GeneralRecItem* item, RecOutlineController* controller, QWidget* parent)
    : QWidget(parent), m_item(item), m_controller(controller)
{
    connect(item, &GeneralRecItem::changed, this, &RecRowView::updateFromItem);
}

void RecRowView::updateFromItem()
{
    setToolTip(m_item->prevTitle());
    update();
}

void RecRowView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        m_controller->onItemClick(m_item);
}

void RecRowView::mouseDoubleClickEvent(QMouseEvent*)
{
    m_controller->onItemDClick(m_item);
}

void RecRowView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (m_item->selected())
        p.fillRect(rect(), palette().highlight());
    p.setPen(palette().mid().color());
    p.drawLine(0, height() - 1, width(), height() - 1);
}

void RecRowView::resizeEvent(QResizeEvent*)
{
    placeControls();
}
