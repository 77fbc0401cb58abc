// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/SwitchToolbarBtn.h"

#include "widgets/FocusRing.h"
#include "widgets/Images.h"

#include <QKeyEvent>
#include <QPainter>

SwitchToolbarBtn::SwitchToolbarBtn(QWidget* parent)
    : QAbstractButton(parent), m_image(Images::pixmap(QStringLiteral("editor.png"))),
      m_alternateImage(Images::pixmap(QStringLiteral("editor_on.png")))
{
    setCheckable(true);
    setFocusPolicy(Qt::TabFocus);
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
    QPainter painter(this);
    if (!image.isNull()) {
        const QSizeF size = QSizeF(image.size()) / image.devicePixelRatio();
        painter.drawPixmap(
            QPointF((width() - size.width()) / 2, (height() - size.height()) / 2).toPoint(), image);
    }
    FocusRing::paint(painter, this);
}

void SwitchToolbarBtn::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        click();
    else
        QAbstractButton::keyPressEvent(event);
}
