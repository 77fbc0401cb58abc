// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/CustomView.h"
#include "shell/StatusItemController.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QSystemTrayIcon>
#include <gtest/gtest.h>
#include <vector>

namespace {

class TestController : public StatusItemController
{
public:
    void toggleAttachedWindowAtPoint(QPoint point) override
    {
        points.push_back(point);
        open = !open;
    }
    bool isRecording() const override { return recording; }

    std::vector<QPoint> points;
    bool open = false;
    bool recording = false;
};

} // namespace

TEST(StatusIcon, ClicksOpenAndCloseTheWindowWithTheHighlight)
{
    TestController controller;
    QSystemTrayIcon tray;
    CustomView view(&tray, &controller);
    const QColor highlight = QGuiApplication::palette().color(QPalette::Highlight);

    EXPECT_FALSE(view.clicked());
    EXPECT_EQ(view.renderIcon(1.0).pixelColor(2, 15).alpha(), 0);

    view.mouseDown();
    EXPECT_TRUE(controller.open);
    EXPECT_TRUE(view.clicked());
    EXPECT_EQ(view.renderIcon(1.0).pixelColor(2, 15), highlight);
    EXPECT_EQ(view.renderIcon(2.0).pixelColor(4, 30), highlight);
    // No tray geometry offscreen: the window opens at the pointer.
    ASSERT_EQ(controller.points.size(), 1u);
    EXPECT_EQ(controller.points[0], QCursor::pos());
    // The tray reports the click.
    emit tray.activated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(controller.open);
    EXPECT_FALSE(view.clicked());
    EXPECT_EQ(view.renderIcon(1.0).pixelColor(2, 15).alpha(), 0);
    // A quick second click arrives as a double click and still toggles.
    emit tray.activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(controller.open);
    emit tray.activated(QSystemTrayIcon::Context);
    EXPECT_EQ(controller.points.size(), 3u);
}

TEST(StatusIcon, WindowOpensOnTheSideWhereItFits)
{
    // Without a tray the pointer stands for the icon.
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_TRUE(screen);
    const QRect area = screen->geometry();
    TestController controller;
    CustomView view(nullptr, &controller);
    QCursor::setPos(area.center().x(), area.top() + 10);
    EXPECT_EQ(view.windowSide(), AttachedSideBottom);
    QCursor::setPos(area.center().x(), area.bottom() - 10);
    EXPECT_EQ(view.anchorPoint(), QPoint(area.center().x(), area.bottom() - 10));
    EXPECT_EQ(view.windowSide(), AttachedSideTop);
}

TEST(StatusIcon, ShowAndHideKeepTheHighlightInStep)
{
    TestController controller;
    CustomView view(nullptr, &controller);
    view.hideWindow();
    EXPECT_TRUE(controller.points.empty());
    // Repeated drag updates over the icon open the window once.
    view.draggingUpdated();
    view.draggingUpdated();
    EXPECT_EQ(controller.points.size(), 1u);
    EXPECT_TRUE(view.clicked());
    view.showWindow();
    view.hideWindow();
    EXPECT_EQ(controller.points.size(), 2u);
    EXPECT_FALSE(controller.open);
    EXPECT_FALSE(view.clicked());
}

TEST(StatusIcon, RedMicrophonePulsesWhileRecording)
{
    TestController controller;
    CustomView view(nullptr, &controller);
    controller.recording = true;
    view.recordingStarted();
    EXPECT_TRUE(view.isPulsing());

    const QColor before = view.renderIcon(1.0).pixelColor(15, 8);
    // Two pulses: up to 1.5 in ten ticks, back to 0 in ten more.
    for (int pulse = 0; pulse < 2; ++pulse) {
        for (int tick = 1; tick <= 20; ++tick) {
            SCOPED_TRACE(tick);
            view.recTimerFire();
            const float expected = 0.15f * float(tick <= 10 ? tick : 20 - tick);
            EXPECT_NEAR(view.redMicFraction(), expected, 1e-5);
            EXPECT_EQ(view.increaseFraction(), tick < 10 || tick == 20);
            if (tick == 7) {
                // Fully red at 1.05: the capsule is the red image's colour.
                const QColor red = view.renderIcon(1.0).pixelColor(15, 8);
                EXPECT_GT(red.red(), 240);
                EXPECT_LT(red.green(), 120);
            }
        }
        EXPECT_EQ(view.redMicFraction(), 0.0f);
    }
    for (int tick = 0; tick < 4; ++tick)
        view.recTimerFire();
    EXPECT_GT(view.redMicFraction(), 0.5f);
    // The first tick after the recording stopped clears the icon and ends the timer.
    controller.recording = false;
    view.recTimerFire();
    EXPECT_EQ(view.redMicFraction(), 0.0f);
    EXPECT_TRUE(view.increaseFraction());
    EXPECT_FALSE(view.isPulsing());
    EXPECT_EQ(view.renderIcon(1.0).pixelColor(15, 8), before);
}
