// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/ToolbarButton.h"

#include "widgets/FocusRing.h"
#include "widgets/ToolbarButtonAccessible.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

ToolbarButton::ToolbarButton(QWidget* parent) : ToolbarButton(QPixmap(), parent) {}

ToolbarButton::ToolbarButton(const QPixmap& image, QWidget* parent)
    : QAbstractButton(parent), m_enabled(image), m_shown(image)
{
    ToolbarButtonAccessible::installFactory();
    // Tab reaches the usable buttons; a click leaves the focus where it was.
    setFocusPolicy(Qt::TabFocus);
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
    const bool changed = enabled != m_isEnabled;
    m_isEnabled = enabled;
    const QPixmap& next = enabled ? m_enabled : m_disabled;
    if (!next.isNull())
        m_shown = next;
    if (!enabled)
        setDown(false);
    setFocusPolicy(enabled ? Qt::TabFocus : Qt::NoFocus);
    update();
    if (changed && QAccessible::isActive()) {
        QAccessible::State disabled;
        disabled.disabled = true;
        QAccessibleStateChangeEvent event(this, disabled);
        QAccessible::updateAccessibility(&event);
    }
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
    QPainter painter(this);
    if (image.isNull()) {
        FocusRing::paint(painter, this);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSizeF size = QSizeF(image.size()) / image.devicePixelRatio();
    const QPointF origin((width() - size.width()) / 2, (height() - size.height()) / 2);
    painter.drawPixmap(QRectF(origin, size).toRect().topLeft(), image);
    FocusRing::paint(painter, this);
}

bool ToolbarButton::event(QEvent* event)
{
    // Screen readers name the button by its tool tip, which follows the state.
    if (event->type() == QEvent::ToolTipChange && QAccessible::isActive()) {
        QAccessibleEvent changed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
    return QAbstractButton::event(event);
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
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}
