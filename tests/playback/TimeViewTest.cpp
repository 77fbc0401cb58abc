// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/TimeView.h"

#include "playback/PlaybackFixture.h"
#include "support/Wait.h"

#include <QElapsedTimer>
#include <QImage>
#include <gtest/gtest.h>

TEST(TimeView, ShowsHoursMinutesAndTruncatedSeconds)
{
    EXPECT_EQ(TimeView::timeText(0), "00:00:00");
    EXPECT_EQ(TimeView::timeText(65.9f), "00:01:05");
    EXPECT_EQ(TimeView::timeText(3600 + 2 * 60 + 5.9f), "01:02:05");
    EXPECT_EQ(TimeView::timeText(100 * 3600), "100:00:00");
}

TEST(TimeView, CountsOnFromAContinuedLengthInRedAndPausesDuringSkippedSilence)
{
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
    // The clock never runs ahead of the time that passed.
    delegate.recording = true;
    view.setTime(95);
    QElapsedTimer clock;
    clock.start();
    view.startRecording();
    EXPECT_GT(backgroundRed(), idleRed + 40);
    EXPECT_EQ(view.text(), "00:01:35");
    ASSERT_TRUE(waitUntil([&] { return view.time() > 95.0f; }));
    EXPECT_LE(view.time(), 95.0f + clock.elapsed() / 1000.0f + 0.05f);
    // Skipped silence pauses it over the ticks that follow.
    delegate.skipSilence = true;
    ASSERT_TRUE(waitUntil([&] { return !view.isCounting(); }));
    const float paused = view.time();
    ASSERT_TRUE(waitForTimer(TimeView::kTimeInterval, 2));
    EXPECT_EQ(view.time(), paused);
    // Sound again: counting resumes without the silence.
    delegate.skipSilence = false;
    clock.restart();
    ASSERT_TRUE(waitUntil([&] { return view.time() > paused; }));
    EXPECT_LE(view.time() - paused, clock.elapsed() / 1000.0f + 0.05f);
    // Stopped, the last value stays on the normal background while another clock ticks on.
    view.stopRecording();
    const float last = view.time();
    TimeView other;
    other.setAppDelegate(&delegate);
    other.startRecording();
    ASSERT_TRUE(waitForTimer(TimeView::kTimeInterval, 2));
    EXPECT_EQ(view.time(), last);
    EXPECT_EQ(backgroundRed(), idleRed);
}
