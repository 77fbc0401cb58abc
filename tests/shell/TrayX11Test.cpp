// SPDX-License-Identifier: GPL-3.0-or-later
// The status icon in a real system tray on a private X display: clicking the
// icon opens the attached window under it and clicking again closes it.
#include "shell/CustomView.h"
#include "shell/DarkTheme.h"
#include "shell/StatusItemController.h"
#include "shell/ZwAttachedWindow.h"
#include "support/Artefacts.h"
#include "support/Wait.h"
#include "support/XServer.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QSystemTrayIcon>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

// Opens and closes a pop-up at the icon as the application does.
class PopupController : public StatusItemController
{
public:
    void toggleAttachedWindowAtPoint(QPoint point, AttachedSide) override
    {
        points.push_back(point);
        if (!window) {
            auto* view = new QLabel(QStringLiteral("VoiceTray"));
            view->setAlignment(Qt::AlignCenter);
            view->resize(240, 120);
            DarkTheme::apply(view);
            // The tray sits at the screen's top right: the window opens below, shifted left.
            window = ZwAttachedWindow::create(view, QPointF(point), 5.0);
            // An opaque, bright panel tells the window from the black root.
            window->setBackgroundColor(QColor(200, 40, 40));
            window->show();
            window->raise();
            window->activateWindow();
        } else if (window->isVisible()) {
            window->hide();
        } else {
            window->move(point.x() - window->width() / 2, point.y() + 5);
            window->show();
        }
    }
    bool isRecording() const override { return false; }

    std::vector<QPoint> points;
    std::unique_ptr<ZwAttachedWindow> window;
};

void click(const QPoint& at)
{
    XServer::instance().xdotool({QStringLiteral("mousemove"), QString::number(at.x()),
                                 QString::number(at.y()), QStringLiteral("click"),
                                 QStringLiteral("1")});
}

} // namespace

TEST(TrayX11, IconClicksOpenAndCloseTheWindowBelowIt)
{
    ASSERT_TRUE(XServer::instance().startTray());
    ASSERT_TRUE(waitUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); }));

    PopupController controller;
    QSystemTrayIcon tray;
    CustomView view(&tray, &controller);
    tray.show();
    // The icon has its place once the tray has embedded it (the tray sits at the top right).
    ASSERT_TRUE(waitUntil([&] { return !tray.geometry().isEmpty() && tray.geometry().x() > 0; }));
    const QRect icon = tray.geometry();
    const QPoint anchor(icon.x() + icon.width() / 2, icon.y() + icon.height());
    EXPECT_EQ(view.anchor().point, anchor);

    click(icon.center());
    ASSERT_TRUE(waitUntil([&] { return controller.window && controller.window->isVisible(); }));
    EXPECT_TRUE(view.clicked());
    ASSERT_EQ(controller.points.size(), 1u);
    EXPECT_EQ(controller.points[0], anchor);
    ZwAttachedWindow& window = *controller.window;
    EXPECT_EQ(window.side(), AttachedSideBottomLeft);
    // The arrow's tip, 18 points in from the window's right edge, is 5 points under the icon.
    const QPoint expected(anchor.x() - (240 - 18), anchor.y() + 5);
    EXPECT_TRUE(waitUntil([&] { return window.geometry().topLeft() == expected; }));
    EXPECT_EQ(window.size(), QSize(240, 136));

    // Once the window manager mapped it and it painted itself, the screen shows it.
    const QString shot = artefact(QStringLiteral("shell_tray_open.png"));
    QImage screen;
    const QPoint origin = window.geometry().topLeft();
    auto isPanel = [&](int x, int y) {
        const QColor c = screen.pixelColor(x, y);
        return c.red() > 150 && c.green() < 80 && c.blue() < 80;
    };
    ASSERT_TRUE(waitUntil([&] {
        return XServer::instance().screenshot(shot) && screen.load(shot) &&
               isPanel(origin.x() + 120, origin.y() + 70);
    }));
    // Inside the arrow just under its tip, and in the body.
    EXPECT_TRUE(isPanel(anchor.x(), anchor.y() + 5 + 6));
    EXPECT_TRUE(isPanel(origin.x() + 120, origin.y() + 70));
    // Rounded corners, and the strip beside the arrow, stay clear.
    EXPECT_FALSE(isPanel(origin.x() + 1, origin.y() + 16));
    EXPECT_FALSE(isPanel(origin.x() + 1, origin.y() + 135));
    EXPECT_FALSE(isPanel(origin.x() + 20, origin.y() + 4));
    EXPECT_FALSE(isPanel(anchor.x() + 8, anchor.y() + 5 + 4));
    EXPECT_FALSE(isPanel(anchor.x(), anchor.y() + 2));

    click(icon.center());
    ASSERT_TRUE(waitUntil([&] { return !window.isVisible(); }));
    EXPECT_FALSE(view.clicked());
    EXPECT_EQ(controller.points.size(), 2u);
}
