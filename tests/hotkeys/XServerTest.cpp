// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/XServer.h"

#include <QApplication>
#include <QFileInfo>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(XServer, StartsADisplayWithWindowManagerAndTray)
{
    XServer& x = XServer::instance();
    ASSERT_TRUE(x.isRunning());
    EXPECT_EQ(qgetenv("DISPLAY"), x.display().toLocal8Bit());
    EXPECT_EQ(&x, &XServer::instance());

    bool ok = false;
    EXPECT_EQ(x.xdotool({QStringLiteral("getdisplaygeometry")}, &ok), QStringLiteral("1280 800"));
    EXPECT_TRUE(ok);

    ASSERT_TRUE(x.startTray());
    EXPECT_TRUE(x.startTray());
    EXPECT_TRUE(QSystemTrayIcon::isSystemTrayAvailable());

    QTemporaryDir dir;
    const QString shot = dir.filePath(QStringLiteral("screen.png"));
    EXPECT_TRUE(x.screenshot(shot));
    EXPECT_GT(QFileInfo(shot).size(), 0);
}

int main(int argc, char** argv)
{
    XServer::instance();
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
