// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/CustomView.h"

#include "shell/StatusItemController.h"
#include "widgets/Images.h"
#include "widgets/TickPace.h"

#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QPalette>
#include <QPen>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <cmath>

CustomView::CustomView(QSystemTrayIcon* trayIcon, StatusItemController* controller, QObject* parent)
    : QObject(parent), m_trayIcon(trayIcon), m_controller(controller),
      m_microphone(Images::image(QStringLiteral("microphone.png"), 1.0)),
      m_redMicrophone(Images::image(QStringLiteral("microphone_red.png"), 1.0)),
      m_microphone2x(Images::image(QStringLiteral("microphone.png"), 2.0)),
      m_redMicrophone2x(Images::image(QStringLiteral("microphone_red.png"), 2.0))
{
    // Each new picture costs the tray a repaint and a round trip to the X
    // server: the pulse swaps two pictures once a second, in the wake-up
    // that the recording's other hidden ticks share.
    m_recTimer.setTimerType(Qt::VeryCoarseTimer);
    m_recTimer.setInterval(TickPace::kHiddenIntervalMs);
    connect(&m_recTimer, &QTimer::timeout, this, &CustomView::recTimerFire);
    if (m_trayIcon) {
        connect(m_trayIcon, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    // Every click toggles, also a quick second one that the tray reports as a
                    // double click.
                    if (reason == QSystemTrayIcon::Trigger ||
                        reason == QSystemTrayIcon::DoubleClick)
                        toggle(anchor(QCursor::pos()));
                });
        m_trayIcon->setToolTip(QStringLiteral("VoiceTray"));
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
        painter.setOpacity(m_redMicFraction);
        painter.drawImage(QPointF(0.1, 1), sharp ? m_redMicrophone2x : m_redMicrophone);
    }
    if (m_listening && !m_recTimer.isActive()) {
        painter.setOpacity(1.0);
        painter.setPen(QPen(QColor(0x20, 0x20, 0x20), 1.0));
        painter.setBrush(QColor(0xff, 0xb3, 0x1a));
        painter.drawEllipse(QPointF(kWidth - 4.5, kHeight - 4.5), 3.5, 3.5);
    }
    return icon;
}

TrayAnchor CustomView::anchor(const std::optional<QPoint>& click) const
{
    return TrayAnchor::forIcon(m_trayIcon ? m_trayIcon->geometry() : QRect(), click);
}

bool CustomView::isPlaced() const
{
    const QRect frame = m_trayIcon ? m_trayIcon->geometry() : QRect();
    return frame.isEmpty() || frame.topLeft() != QPoint(0, 0);
}

void CustomView::mouseDown()
{
    toggle(anchor());
}

void CustomView::toggle(const TrayAnchor& anchor)
{
    if (m_controller)
        m_controller->toggleAttachedWindowAtPoint(anchor.point, anchor.side);
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
    // Red at once; the pulse dims it and brings it back.
    m_redMicFraction = 1.0f;
    m_recTimer.start();
    redraw();
    updateToolTip();
}

void CustomView::recordingStopped()
{
    m_recTimer.stop();
    m_redMicFraction = 0.0f;
    redraw();
    updateToolTip();
}

void CustomView::recTimerFire()
{
    if (!m_controller || !m_controller->isRecording()) {
        recordingStopped();
        return;
    }
    m_redMicFraction = m_redMicFraction < 1.0f ? 1.0f : kDimRed;
    redraw();
    updateToolTip();
}

void CustomView::setListening(bool listening)
{
    m_listening = listening;
    redraw();
    updateToolTip();
}

void CustomView::updateToolTip()
{
    if (!m_trayIcon)
        return;
    QString text = m_listening ? tr("VoiceTray: the microphone is open, keeping the last seconds")
                               : QStringLiteral("VoiceTray");
    if (m_recTimer.isActive() && m_controller) {
        const auto clock = [](int seconds) {
            return QStringLiteral("%1:%2:%3")
                .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
                .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                .arg(seconds % 60, 2, 10, QLatin1Char('0'));
        };
        text = tr("VoiceTray: recording %1").arg(clock(int(m_controller->recordingTime())));
        if (const double left = m_controller->recordingTimeLeft(); left >= 0)
            text += QLatin1Char('\n') + tr("Stops in %1").arg(clock(int(std::ceil(left))));
        if (const QString device = m_controller->recordingDevice(); !device.isEmpty())
            text += QLatin1Char('\n') + tr("Input device: %1").arg(device);
    }
    if (const QString next = m_controller ? m_controller->nextPlanText() : QString();
        !next.isEmpty())
        text += QLatin1Char('\n') + next;
    // A tray over D-Bus sends every change to the panel.
    if (m_trayIcon->toolTip() != text)
        m_trayIcon->setToolTip(text);
}

void CustomView::redraw()
{
    if (!m_trayIcon)
        return;
    const std::tuple<bool, float, bool> shown{m_clicked, m_redMicFraction,
                                              m_listening && !m_recTimer.isActive()};
    if (m_shown == shown)
        return;
    m_shown = shown;
    QIcon& icon = m_icons[shown];
    if (icon.isNull()) {
        icon.addPixmap(QPixmap::fromImage(renderIcon(1.0)));
        icon.addPixmap(QPixmap::fromImage(renderIcon(2.0)));
    }
    m_trayIcon->setIcon(icon);
}
