// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shell/AttachedSide.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QSystemTrayIcon;
class StatusItemController;

// The status icon: a microphone in the system tray. A click opens or closes
// the main window; while the window is open the icon is highlighted, and
// while a recording runs a red microphone fades in and out over it.
// Main thread only.
class CustomView : public QObject
{
    Q_OBJECT
public:
    // Icon size in points.
    static constexpr int kWidth = 30;
    static constexpr int kHeight = 30;

    // The tray icon may be null (no tray): the window then opens at the pointer.
    CustomView(QSystemTrayIcon* trayIcon, StatusItemController* controller,
               QObject* parent = nullptr);

    bool clicked() const { return m_clicked; }
    float redMicFraction() const { return m_redMicFraction; }
    bool increaseFraction() const { return m_increaseFraction; }
    bool isPulsing() const { return m_recTimer.isActive(); }

    // The icon as shown now, at the given device pixel ratio.
    QImage renderIcon(qreal devicePixelRatio) const;
    // Where the main window's arrow points: the bottom centre of the tray
    // icon in screen coordinates, or its top centre when the icon sits in the
    // lower half of its screen (a panel at the bottom); the pointer position
    // when the tray does not tell where the icon is.
    QPoint anchorPoint() const;
    // The side on which the main window fits at anchorPoint(): below it, or
    // above it for a panel at the bottom of the screen.
    AttachedSide windowSide() const;

public slots:
    void mouseDown();
    void hideWindow();
    void showWindow();
    // Files dragged over the icon open the window.
    void draggingUpdated();
    void recordingStarted();
    void recTimerFire();

private:
    void redraw();
    bool inLowerHalf(QPoint point) const;

    QPointer<QSystemTrayIcon> m_trayIcon;
    StatusItemController* m_controller;
    bool m_clicked = false;
    QImage m_microphone;
    QImage m_redMicrophone;
    QImage m_microphone2x;
    QImage m_redMicrophone2x;
    float m_redMicFraction = 0.0f;
    bool m_increaseFraction = true;
    QTimer m_recTimer;
};
