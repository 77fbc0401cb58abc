// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/CustomView.h"

#include "shell/Images.h"
#include "shell/StatusItemController.h"

#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QScreen>
#include <QSystemTrayIcon>
#include <algorithm>

CustomView::CustomView(QSystemTrayIcon* trayIcon, StatusItemController* controller, QObject* parent)
    : QObject(parent), m_trayIcon(trayIcon), m_controller(controller),
      m_microphone(Images::image(QStringLiteral("microphone.png"), 1.0)),
      m_redMicrophone(Images::image(QStringLiteral("microphone_red.png"), 1.0)),
      m_microphone2x(Images::image(QStringLiteral("microphone.png"), 2.0)),
      m_redMicrophone2x(Images::image(QStringLiteral("microphone_red.png"), 2.0))
{
    m_recTimer.setInterval(100);
    connect(&m_recTimer, &QTimer::timeout, this, &CustomView::recTimerFire);
    if (m_trayIcon) {
        connect(m_trayIcon, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    // Every click toggles, also a quick second one that the tray reports as a
                    // double click.
                    if (reason == QSystemTrayIcon::Trigger ||
                        reason == QSystemTrayIcon::DoubleClick)
                        mouseDown();
                });
    }
    redraw();
}

QImage CustomView::renderIcon(qreal devicePixelRatio) const
{
    const bool sharp = devicePixelRatio > 1.0;
    const qreal ratio = sharp ? 2.0 : 1.0;
    QImage icon(QSize(kWidth, kHeight) * ratio, QImage::Format_ARGB32_Premultiplied);
    icon.setDevicePixelRatio(ratio);
    icon.fill(Qt::transparent);

    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_clicked) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QGuiApplication::palette().color(QPalette::Highlight));
        painter.drawRoundedRect(QRectF(0, 0, kWidth, kHeight), 5, 5);
    }
    painter.drawImage(QPointF(0, 1), sharp ? m_microphone2x : m_microphone);
    if (m_redMicFraction > 0) {
        painter.setOpacity(std::min(m_redMicFraction, 1.0f));
        painter.drawImage(QPointF(0.1, 1), sharp ? m_redMicrophone2x : m_redMicrophone);
    }
    return icon;
}

bool CustomView::inLowerHalf(QPoint point) const
{
    QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen && point.y() > screen->geometry().center().y();
}

QPoint CustomView::anchorPoint() const
{
    const QRect frame = m_trayIcon ? m_trayIcon->geometry() : QRect();
    if (frame.isEmpty())
        return QCursor::pos();
    if (inLowerHalf(frame.center()))
        return QPoint(frame.x() + frame.width() / 2, frame.y());
    return QPoint(frame.x() + frame.width() / 2, frame.y() + frame.height());
}

AttachedSide CustomView::windowSide() const
{
    return inLowerHalf(anchorPoint()) ? AttachedSideTop : AttachedSideBottom;
}

void CustomView::mouseDown()
{
    if (m_controller)
        m_controller->toggleAttachedWindowAtPoint(anchorPoint());
    m_clicked = !m_clicked;
    redraw();
}

void CustomView::hideWindow()
{
    if (m_clicked)
        mouseDown();
}

void CustomView::showWindow()
{
    if (!m_clicked)
        mouseDown();
}

void CustomView::draggingUpdated()
{
    showWindow();
}

void CustomView::recordingStarted()
{
    m_recTimer.start();
}

void CustomView::recTimerFire()
{
    if (!m_controller || !m_controller->isRecording()) {
        m_recTimer.stop();
        m_redMicFraction = 0.0f;
        m_increaseFraction = true;
        redraw();
        return;
    }
    m_redMicFraction += m_increaseFraction ? 0.15f : -0.15f;
    if (m_redMicFraction >= 1.4f)
        m_increaseFraction = false;
    if (m_redMicFraction <= 0.0f) {
        m_redMicFraction = 0.0f;
        m_increaseFraction = true;
    }
    redraw();
}

void CustomView::redraw()
{
    if (!m_trayIcon)
        return;
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(renderIcon(1.0)));
    icon.addPixmap(QPixmap::fromImage(renderIcon(2.0)));
    m_trayIcon->setIcon(icon);
}
