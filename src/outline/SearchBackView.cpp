// SPDX-License-Identifier: GPL-3.0-or-later
#include "outline/SearchBackView.h"

#include <QPaintEvent>
#include <QPainter>

SearchBackView::SearchBackView(QWidget* parent) : QWidget(parent) {}

void SearchBackView::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    p.fillRect(event->rect(), QColor::fromRgbF(0.2f, 0.2f, 0.2f, 0.5f));
}
