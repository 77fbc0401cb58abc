// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/XServer.h"

#include <QApplication>
#include <gtest/gtest.h>

// The hot key tests run Qt on the fixture's X server with a US layout.
int main(int argc, char** argv)
{
    XServer& x = XServer::instance();
    if (!x.isRunning())
        return 1;
    x.run(QStringLiteral("setxkbmap"), {QStringLiteral("us")});
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
