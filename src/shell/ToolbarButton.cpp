// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ToolbarButton.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

ToolbarButton::ToolbarButton(QWidget* parent) : ToolbarButton(QPixmap(), parent) {}

ToolbarButton::ToolbarButton(const QPixmap& image, QWidget* parent)
    : QAbstractButton(parent), m_enabled(image), m_shown(image)
{
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
}

void ToolbarButton::setDisabledImage(const QPixmap& image)
{
    m_disabled = image;
}

void ToolbarButton::setImage(const QPixmap& image)
{
    m_enabled = image;
    if (m_isEnabled) {
        m_shown = image;
        updateGeometry();
        update();
    }
}

void ToolbarButton::setAlternateImage(const QPixmap& image)
{
    m_alternate = image;
    update();
}

void ToolbarButton::setEnabled(bool enabled)
{
    m_isEnabled = enabled;
    const QPixmap& next = enabled ? m_enabled : m_disabled;
    if (!next.isNull())
        m_shown = next;
    if (!enabled)
        setDown(false);
    update();
}

QSize ToolbarButton::sizeHint() const
{
    const QPixmap& image = m_shown.isNull() ? m_enabled : m_shown;
    if (image.isNull())
        return QSize(26, 26);
    return (QSizeF(image.size()) / image.devicePixelRatio()).toSize();
}

void ToolbarButton::paintEvent(QPaintEvent*)
{
    const QPixmap& image =
        (isDown() && m_isEnabled && !m_alternate.isNull()) ? m_alternate : m_shown;
    if (image.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSizeF size = QSizeF(image.size()) / image.devicePixelRatio();
    const QPointF origin((width() - size.width()) / 2, (height() - size.height()) / 2);
    painter.drawPixmap(QRectF(origin, size).toRect().topLeft(), image);
}

void ToolbarButton::mousePressEvent(QMouseEvent* event)
{
    if (!m_isEnabled) {
        event->accept();
        return;
    }
    QAbstractButton::mousePressEvent(event);
}

void ToolbarButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (!m_isEnabled) {
        event->accept();
        return;
    }
    QAbstractButton::mouseDoubleClickEvent(event);
}

void ToolbarButton::keyPressEvent(QKeyEvent* event)
{
    if (!m_isEnabled) {
        event->accept();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}
