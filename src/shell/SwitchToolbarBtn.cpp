// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/SwitchToolbarBtn.h"

#include "shell/Images.h"

#include <QPainter>

SwitchToolbarBtn::SwitchToolbarBtn(QWidget* parent)
    : QAbstractButton(parent), m_image(Images::pixmap(QStringLiteral("editor.png"))),
      m_alternateImage(Images::pixmap(QStringLiteral("editor_on.png")))
{
    setCheckable(true);
    setFocusPolicy(Qt::NoFocus);
}

void SwitchToolbarBtn::setImage(const QPixmap& image)
{
    m_image = image;
    updateGeometry();
    update();
}

void SwitchToolbarBtn::setAlternateImage(const QPixmap& image)
{
    m_alternateImage = image;
    update();
}

QPixmap SwitchToolbarBtn::shownImage() const
{
    return (isChecked() != isDown()) ? m_alternateImage : m_image;
}

QSize SwitchToolbarBtn::sizeHint() const
{
    if (m_image.isNull())
        return QSize(26, 26);
    return (QSizeF(m_image.size()) / m_image.devicePixelRatio()).toSize();
}

void SwitchToolbarBtn::paintEvent(QPaintEvent*)
{
    const QPixmap image = shownImage();
    if (image.isNull())
        return;
    QPainter painter(this);
    const QSizeF size = QSizeF(image.size()) / image.devicePixelRatio();
    painter.drawPixmap(
        QPointF((width() - size.width()) / 2, (height() - size.height()) / 2).toPoint(), image);
}
