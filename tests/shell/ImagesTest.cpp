// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/Images.h"

#include <QDir>
#include <QRegularExpression>
#include <gtest/gtest.h>

TEST(Images, EveryEmbeddedImageAtBothScales)
{
    const QStringList names = QDir(QStringLiteral(":/images"))
                                  .entryList({"*.png"})
                                  .filter(QRegularExpression(QStringLiteral("^[^@]*$")));
    ASSERT_GT(names.size(), 50);
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const QImage normal = Images::image(name, 1.0);
        const QImage sharp = Images::image(name, 2.0);
        ASSERT_FALSE(normal.isNull());
        EXPECT_EQ(sharp.size(), normal.size() * 2);
        EXPECT_EQ(sharp.devicePixelRatio(), 2.0);
        bool drawn = false;
        for (int y = 0; y < normal.height() && !drawn; ++y)
            for (int x = 0; x < normal.width() && !drawn; ++x)
                drawn = normal.pixelColor(x, y).alpha() > 0;
        EXPECT_TRUE(drawn);
    }
    EXPECT_TRUE(Images::image(QStringLiteral("no_such_image.png")).isNull());
}
