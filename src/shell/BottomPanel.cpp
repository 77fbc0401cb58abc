// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/BottomPanel.h"

#include "widgets/Images.h"

#include <QPainter>

BottomPanel::BottomPanel(QWidget* parent)
    : QWidget(parent), m_leftCorner(Images::pixmap(QStringLiteral("corner_left.png"))),
      m_rightCorner(Images::pixmap(QStringLiteral("corner_right.png"))),
      m_centerImg(Images::pixmap(QStringLiteral("panel.png")))
{
}

QSize BottomPanel::sizeHint() const
{
    const int height =
        m_centerImg.isNull() ? 34 : qRound(m_centerImg.height() / m_centerImg.devicePixelRatio());
    return QSize(2 * kCapWidth, height);
}

void BottomPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int w = width();
    if (w - kCapWidth > kCapWidth) {
        for (int x = kCapWidth; x < w - kCapWidth; ++x)
            painter.drawPixmap(x, 0, m_centerImg);
    }
    painter.drawPixmap(0, 0, m_leftCorner);
    painter.drawPixmap(w - kCapWidth, 0, m_rightCorner);
}
