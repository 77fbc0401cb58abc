// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/Images.h"

#include <gtest/gtest.h>

TEST(Images, EveryNamedImageAtBothScales)
{
    struct Expected
    {
        const char* name;
        QSize size;
    };
    const QSize button(26, 26);
    const Expected images[] = {
        {"microphone.png", {30, 28}},
        {"microphone_red.png", {30, 28}},
        {"corner_left.png", {8, 34}},
        {"corner_right.png", {8, 34}},
        {"panel.png", {1, 34}},
        {"time.png", {1, 32}},
        {"time_red.png", {1, 32}},
        {"marker.png", {9, 7}},
        {"marker_selected.png", {9, 7}},
        {"play.png", button},
        {"play_pressed.png", button},
        {"play_disabled.png", button},
        {"stop_playing.png", button},
        {"stop_playing_pressed.png", button},
        {"play_left.png", button},
        {"play_left_pressed.png", button},
        {"play_left_disabled.png", button},
        {"play_right.png", button},
        {"play_right_pressed.png", button},
        {"play_right_disabled.png", button},
        {"add_category.png", button},
        {"add_category_pressed.png", button},
        {"add_category_disabled.png", button},
        {"delete.png", button},
        {"delete_pressed.png", button},
        {"delete_disabled.png", button},
        {"add_marker.png", button},
        {"add_marker_pressed.png", button},
        {"add_marker_disabled.png", button},
        {"delete_marker.png", button},
        {"delete_marker_pressed.png", button},
        {"delete_marker_disabled.png", button},
        {"split.png", button},
        {"split_pressed.png", button},
        {"split_disabled.png", button},
        {"record.png", button},
        {"record_pressed.png", button},
        {"record_disabled.png", button},
        {"stop.png", button},
        {"stop_pressed.png", button},
        {"record_continue.png", button},
        {"record_continue_pressed.png", button},
        {"record_continue_disabled.png", button},
        {"stop_continue.png", button},
        {"stop_continue_pressed.png", button},
        {"preferences.png", button},
        {"preferences_pressed.png", button},
        {"preferences_disabled.png", button},
        {"editor.png", button},
        {"editor_on.png", button},
        {"back.png", button},
        {"back_pressed.png", button},
        {"check.png", {12, 12}},
        {"arrow_down.png", {10, 6}},
        {"voicetray.png", {64, 64}},
    };
    for (const Expected& e : images) {
        SCOPED_TRACE(e.name);
        const QImage normal = Images::image(QString::fromLatin1(e.name), 1.0);
        const QImage sharp = Images::image(QString::fromLatin1(e.name), 2.0);
        ASSERT_FALSE(normal.isNull());
        ASSERT_FALSE(sharp.isNull());
        EXPECT_EQ(normal.size(), e.size);
        EXPECT_EQ(sharp.size(), e.size * 2);
        EXPECT_EQ(sharp.devicePixelRatio(), 2.0);
        // Something is drawn.
        bool drawn = false;
        for (int y = 0; y < normal.height() && !drawn; ++y)
            for (int x = 0; x < normal.width() && !drawn; ++x)
                drawn = normal.pixelColor(x, y).alpha() > 0;
        EXPECT_TRUE(drawn);
    }
    EXPECT_TRUE(Images::image(QStringLiteral("no_such_image.png")).isNull());
}
