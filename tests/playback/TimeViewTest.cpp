// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/TimeView.h"

#include "playback/PlaybackFixture.h"
#include "support/QtApp.h"

#include <QImage>
#include <gtest/gtest.h>

TEST(TimeViewTest, ShowsHoursMinutesAndTruncatedSeconds)
{
    EXPECT_EQ(TimeView::timeText(0), "00:00:00");
    EXPECT_EQ(TimeView::timeText(65.9f), "00:01:05");
    EXPECT_EQ(TimeView::timeText(3600 + 2 * 60 + 5.9f), "01:02:05");
    EXPECT_EQ(TimeView::timeText(100 * 3600), "100:00:00");
}

TEST(TimeViewTest, CountsOnFromAContinuedLengthInRedAndPausesDuringSkippedSilence)
{
    qtApp();
    TestDelegate delegate;
    TimeView view;
    view.resize(160, 32);
    view.setAppDelegate(&delegate);
    auto backgroundRed = [&] {
        QImage image(view.size(), QImage::Format_ARGB32);
        view.render(&image);
        return image.pixelColor(2, 16).red();
    };
    const int idleRed = backgroundRed();

    delegate.recording = true;
    view.setTime(95);
    view.startRecording();
    EXPECT_GT(backgroundRed(), idleRed + 40);
    EXPECT_EQ(view.text(), "00:01:35");
    ASSERT_TRUE(waitUntil([&] { return view.time() >= 96.0f; }, 3000));
    EXPECT_LT(view.time(), 97.6f);

    delegate.skipSilence = true;
    ASSERT_TRUE(waitUntil([&] { return !view.isCounting(); }, 1500));
    const float paused = view.time();
    spin(2500);
    EXPECT_EQ(view.time(), paused);
    // Sound again: counting resumes within a tick or two, without the silence.
    delegate.skipSilence = false;
    ASSERT_TRUE(waitUntil([&] { return view.time() > paused; }, 2000));
    EXPECT_LT(view.time() - paused, 1.8f);

    // Stopped, the last value stays on the normal background.
    view.stopRecording();
    const float last = view.time();
    spin(700);
    EXPECT_EQ(view.time(), last);
    EXPECT_EQ(backgroundRed(), idleRed);
}
