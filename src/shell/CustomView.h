// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shell/TrayAnchor.h"

#include <QIcon>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <map>
#include <optional>
#include <tuple>
#include <utility>

class QSystemTrayIcon;
class StatusItemController;

// The status icon: a microphone in the system tray. A click opens or closes
// the main window; while the window is open the icon is highlighted, and
// while a recording runs a red microphone over it pulses, full and dimmed in
// turn each second, and the tool tip tells the recording's length. The tray
// gets a new picture only when the picture changes. Main thread only.
class CustomView : public QObject
{
    Q_OBJECT
public:
    // Icon size in points.
    static constexpr int kWidth = 30;
    static constexpr int kHeight = 30;
    // The red microphone's opacity in the dimmed half of the pulse.
    static constexpr float kDimRed = 0.4f;

    // The tray icon may be null (no tray).
    CustomView(QSystemTrayIcon* trayIcon, StatusItemController* controller,
               QObject* parent = nullptr);

    bool clicked() const { return m_clicked; }
    float redMicFraction() const { return m_redMicFraction; }
    bool isPulsing() const { return m_recTimer.isActive(); }

    // The icon as shown now, at the given device pixel ratio.
    QImage renderIcon(qreal devicePixelRatio) const;
    // Where the main window hangs from the icon; click is the pointer's
    // place when the user clicked the icon.
    TrayAnchor anchor(const std::optional<QPoint>& click = std::nullopt) const;
    // False while an XEmbed tray has not yet taken the icon in: until then it
    // reports the screen's origin. A tray over D-Bus never tells a place.
    bool isPlaced() const;

public slots:
    void mouseDown();
    void hideWindow();
    void showWindow();
    // Files dragged over the icon open the window.
    void draggingUpdated();
    void recordingStarted();
    // Takes the red microphone away at once.
    void recordingStopped();
    // Pre-roll: the microphone is open and heard into memory. Shown by an
    // amber dot on the icon and said by its tool tip.
    void setListening(bool listening);
    bool isListening() const { return m_listening; }
    void recTimerFire();
    // Tells the recording's time, the time left and the next planned recording.
    void updateToolTip();

private:
    void toggle(const TrayAnchor& anchor);
    void redraw();

    QPointer<QSystemTrayIcon> m_trayIcon;
    StatusItemController* m_controller;
    bool m_clicked = false;
    QImage m_microphone;
    QImage m_redMicrophone;
    QImage m_microphone2x;
    QImage m_redMicrophone2x;
    float m_redMicFraction = 0.0f;
    bool m_listening = false;
    QTimer m_recTimer;
    // What the picture given to the tray shows: highlight, red opacity.
    std::optional<std::tuple<bool, float, bool>> m_shown;
    // Each picture drawn once: the pulse of a recording swaps the same two.
    std::map<std::tuple<bool, float, bool>, QIcon> m_icons;
};
