// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/TimeView.h"

#include "playback/PlaybackFixture.h"
#include "support/QtApp.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

class TimeViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qtApp();
        view = std::make_unique<TimeView>();
        view->resize(160, 32);
        view->setAppDelegate(&delegate);
    }

    QColor backgroundAt(int x, int y)
    {
        QImage image(view->size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        view->render(&image);
        return image.pixelColor(x, y);
    }

    TestDelegate delegate;
    std::unique_ptr<TimeView> view;
};

} // namespace

TEST_F(TimeViewTest, ShowsHoursMinutesAndTruncatedSeconds)
{
    EXPECT_EQ(TimeView::timeText(0), "00:00:00");
    EXPECT_EQ(TimeView::timeText(65.9f), "00:01:05");
    EXPECT_EQ(TimeView::timeText(3600 + 2 * 60 + 5.9f), "01:02:05");
    EXPECT_EQ(TimeView::timeText(100 * 3600), "100:00:00");
    view->setTime(65.9f);
    EXPECT_EQ(view->text(), "00:01:05");
}

TEST_F(TimeViewTest, CountsOnFromTheLengthOfAContinuedRecordingInRed)
{
    delegate.recording = true;
    const QColor idle = backgroundAt(2, 16);
    view->setTime(95);
    view->startRecording();
    EXPECT_TRUE(view->redBack());
    const QColor red = backgroundAt(2, 16);
    EXPECT_GT(red.red(), idle.red() + 40);
    EXPECT_GT(red.red(), red.blue() * 2);
    EXPECT_EQ(view->text(), "00:01:35");

    ASSERT_TRUE(waitUntil([&] { return view->time() >= 96.0f; }, 3000));
    EXPECT_LT(view->time(), 97.6f);
    EXPECT_EQ(view->text().left(7), "00:01:3");

    // Stopping keeps the last value on a normal background.
    view->stopRecording();
    const float last = view->time();
    EXPECT_FALSE(view->redBack());
    EXPECT_FALSE(view->timerActive());
    spin(700);
    EXPECT_EQ(view->time(), last);
}

TEST_F(TimeViewTest, SkippedSilenceDoesNotAdvanceTheCount)
{
    delegate.recording = true;
    view->startRecording();
    ASSERT_TRUE(waitUntil([&] { return view->time() > 0.4f; }, 2000));

    delegate.skipSilence = true;
    ASSERT_TRUE(waitUntil([&] { return !view->isCounting(); }, 1500));
    const float paused = view->time();
    spin(1600);
    EXPECT_EQ(view->time(), paused);

    // Sound again: counting resumes within a tick or two, without the silence.
    delegate.skipSilence = false;
    ASSERT_TRUE(waitUntil([&] { return view->isCounting(); }, 1500));
    ASSERT_TRUE(waitUntil([&] { return view->time() > paused; }, 1500));
    EXPECT_LT(view->time() - paused, 1.3f);

    // The engine stopping pauses the count as well.
    delegate.recording = false;
    ASSERT_TRUE(waitUntil([&] { return !view->isCounting(); }, 1500));
    view->stopRecording();
}
