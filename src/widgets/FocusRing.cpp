// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/FocusRing.h"

#include <QPainter>
#include <QWidget>

void FocusRing::paint(QPainter& painter, const QWidget* widget)
{
    if (!widget->hasFocus())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(widget->palette().color(QPalette::Highlight), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(widget->rect()).adjusted(1, 1, -1, -1), 4, 4);
    painter.restore();
}
