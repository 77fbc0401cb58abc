// SPDX-License-Identifier: GPL-3.0-or-later
#include "outline/ExpandButton.h"

#include <QPainter>
#include <QPainterPath>

ExpandButton::ExpandButton(QWidget* parent) : QAbstractButton(parent)
{
    setCheckable(true);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
}

void ExpandButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c = QRectF(rect()).center();
    QPainterPath triangle;
    if (isChecked()) {
        triangle.moveTo(c.x() - 4, c.y() - 2);
        triangle.lineTo(c.x() + 4, c.y() - 2);
        triangle.lineTo(c.x(), c.y() + 3);
    } else {
        triangle.moveTo(c.x() - 2, c.y() - 4);
        triangle.lineTo(c.x() + 3, c.y());
        triangle.lineTo(c.x() - 2, c.y() + 4);
    }
    triangle.closeSubpath();
    const QColor colour = isDown() ? QColor(0xff, 0xff, 0xff) : QColor(0xb4, 0xb4, 0xb8);
    p.fillPath(triangle, colour);
}
