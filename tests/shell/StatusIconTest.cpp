// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/CustomView.h"
#include "shell/StatusItemController.h"

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
    void toggleAttachedWindowAtPoint(QPoint point, AttachedSide) override
    {
        points.push_back(point);
        open = !open;
    }
    bool isRecording() const override { return recording; }
    double recordingTime() const override { return seconds; }

    std::vector<QPoint> points;
    bool open = false;
    bool recording = false;
    double seconds = 0;
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
    // The tray does not tell where the icon is offscreen, and no panel
    // reserves a strip: the window hangs from the screen's top right corner.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(controller.points.size(), 1u);
    EXPECT_EQ(controller.points[0], QPoint(area.right(), area.top()));

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

TEST(StatusIcon, TheWindowHangsFromTheIconAwayFromThePanel)
{
    // What the tests of the real program do not show: a panel without a
    // strip of its own, trays over D-Bus that do not tell where their icon
    // is on other edges, a click, a second screen.
    const QRect screen(0, 0, 1280, 800), bottom(0, 0, 1280, 770), left(30, 0, 1250, 800);
    const QRect second(1280, 0, 1920, 1080), secondWork(1280, 0, 1920, 1040);
    struct Row
    {
        QRect icon;
        std::optional<QPoint> click;
        QRect screen, work;
        QPoint point;
        AttachedSide side;
    } rows[] = {
        {{1250, 0, 30, 30}, {}, screen, screen, {1265, 30}, AttachedSideBottom},
        {{3170, 1040, 30, 40}, {}, second, secondWork, {3185, 1040}, AttachedSideTop},
        {{}, {}, screen, screen, {1279, 0}, AttachedSideBottom},
        {{}, {}, screen, left, {30, 799}, AttachedSideRight},
        {{}, {}, second, secondWork, {3199, 1040}, AttachedSideTop},
        {{}, QPoint(400, 785), screen, bottom, {400, 770}, AttachedSideTop},
        {{}, QPoint(400, 300), screen, bottom, {1279, 770}, AttachedSideTop},
    };
    for (const Row& row : rows) {
        const TrayAnchor anchor = TrayAnchor::compute(row.icon, row.click, row.screen, row.work);
        EXPECT_EQ(anchor.point, row.point);
        EXPECT_EQ(anchor.side, row.side) << row.point.x() << "," << row.point.y();
    }
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

TEST(StatusIcon, TheTrayGetsNewPicturesOnlyAndTheToolTipTellsTheLength)
{
    TestController controller;
    QSystemTrayIcon tray;
    CustomView view(&tray, &controller);
    EXPECT_EQ(tray.toolTip(), "VoiceTray");
    controller.recording = true;
    controller.seconds = 3725;
    view.recordingStarted();
    // One pulse: 20 ticks, of which the 7 at full opacity look the same.
    int pictures = 0;
    for (int tick = 0; tick < 20; ++tick) {
        const qint64 before = tray.icon().cacheKey();
        view.recTimerFire();
        pictures += tray.icon().cacheKey() != before;
    }
    EXPECT_EQ(pictures, 14);
    EXPECT_EQ(tray.toolTip(), "VoiceTray: recording 01:02:05");
    controller.recording = false;
    view.recTimerFire();
    EXPECT_EQ(tray.toolTip(), "VoiceTray");
}
