// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/RecNavigController.h"

#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "media/QTMovie.h"
#include "playback/PlaybackFixture.h"
#include "playback/RecNavigatorView.h"
#include "playback/SliderWithNotes.h"
#include "playback/TimeView.h"
#include "support/PulseServer.h"
#include "support/QtApp.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cmath>

namespace {

double movieSeconds(const RecNavigController& controller)
{
    return QTTimeInSeconds(controller.movie()->currentTime());
}

class NavigController : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        PulseServer& server = PulseServer::instance();
        ASSERT_TRUE(server.isRunning());
        qputenv("PULSE_SINK", server.nullSinkName().toUtf8());
        qtApp();
        s_files = new ToneFiles;
        ASSERT_FALSE(s_files->make("short.m4a", 1.0).isEmpty());
        ASSERT_FALSE(s_files->make("ten.m4a", 10.0).isEmpty());
        ASSERT_FALSE(s_files->make("long.m4a", 40.0).isEmpty());
    }
    static void TearDownTestSuite()
    {
        delete s_files;
        s_files = nullptr;
    }
    void SetUp() override { area = std::make_unique<PlaybackArea>(); }

    // A recording of the given file, with a stored duration.
    RecItem& recording(const QString& file, double storedDuration)
    {
        auto item = std::make_unique<RecItem>();
        item->setDuration(storedDuration);
        area->delegate.paths[item.get()] = s_files->path(file);
        m_items.push_back(std::move(item));
        return *m_items.back();
    }

    static ToneFiles* s_files;
    std::vector<std::unique_ptr<RecItem>> m_items;
    std::unique_ptr<PlaybackArea> area;
};

ToneFiles* NavigController::s_files = nullptr;

} // namespace

TEST_F(NavigController, MakingARecordingCurrentCorrectsAndSavesItsDuration)
{
    RecNavigController& c = *area->controller;
    RecItem& rec = recording("ten.m4a", 3.0);
    rec.addMarkAtTime(5, "half", 0);
    c.setCurrentFile(&rec);
    ASSERT_NE(c.movie(), nullptr);
    EXPECT_NEAR(rec.duration(), 10.0, 0.05);
    EXPECT_EQ(rec.duration(), c.curFileDuration());
    EXPECT_EQ(area->delegate.structChanges, 1);
    EXPECT_EQ(c.movieDuration().timeScale, 44100);
    EXPECT_TRUE(area->slider->isEnabled());
    // The strip gets copies placed at their fraction of the length.
    ASSERT_NE(area->strip->notes(), nullptr);
    ASSERT_EQ(area->strip->notes()->size(), 1u);
    const TimeMark& copy = area->strip->notes()->front();
    EXPECT_EQ(copy.markID(), 0);
    EXPECT_EQ(copy.descr(), "half");
    EXPECT_FLOAT_EQ(copy.offset(), 5.0f);
    EXPECT_NEAR(copy.offsetPerc(), 5.0 / rec.duration(), 1e-6);

    // The same recording again, or a category, changes nothing; a duration that agrees is not saved.
    RecGroup group;
    c.setCurrentFile(&rec);
    c.setCurrentFile(&group);
    EXPECT_EQ(c.currentFile(), &rec);
    RecItem& again = recording("ten.m4a", rec.duration());
    c.setCurrentFile(&again);
    EXPECT_EQ(area->delegate.structChanges, 1);

    // Null closes everything.
    c.setCurrentFile(nullptr);
    EXPECT_EQ(c.currentFile(), nullptr);
    EXPECT_EQ(c.movie(), nullptr);
    EXPECT_EQ(area->strip->notes(), nullptr);
    EXPECT_FALSE(area->slider->isEnabled());
    EXPECT_EQ(c.curFileDuration(), 0.0);
}

TEST_F(NavigController, WithoutAMovieMarksAreKeptButNotPlacedAndNothingPlays)
{
    RecNavigController& c = *area->controller;
    RecItem& missing = recording("missing.m4a", 12.0);
    c.setCurrentFile(&missing);
    EXPECT_FALSE(area->slider->isEnabled());
    EXPECT_FALSE(c.play());
    c.addNote();
    ASSERT_EQ(missing.marks().size(), 1u);
    EXPECT_EQ(missing.marks().front()->offset(), 0.0f);
    EXPECT_EQ(missing.duration(), 12.0);
    ASSERT_NE(area->strip->notes(), nullptr);
    EXPECT_TRUE(area->strip->noteRect(&area->strip->notes()->front()).isEmpty());
    EXPECT_FALSE(area->strip->processMouseClick(QPoint(PlaybackArea::kSliderX + 4, PlaybackArea::kSliderY)));

    // A file that is there but is no audio: the slider stays usable, nothing plays or jumps.
    QFile bad(s_files->path("bad.m4a"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray(4096, 'x'));
    bad.close();
    RecItem& broken = recording("bad.m4a", 4.0);
    c.setCurrentFile(&broken);
    EXPECT_TRUE(area->slider->isEnabled());
    EXPECT_EQ(c.movie(), nullptr);
    EXPECT_FALSE(c.play());
    c.jumpForward();
    area->slider->setDoubleValue(0.5);
    c.scrubAudio(area->slider);
    EXPECT_FALSE(c.playingNow());
    EXPECT_EQ(broken.duration(), 4.0);
}

TEST_F(NavigController, PlaysWithTheSliderAndClockFollowingAndStopsAtTheEnd)
{
    RecNavigController& c = *area->controller;
    c.setCurrentFile(&recording("short.m4a", 1.0));
    const int updatesBefore = area->delegate.buttonUpdates;
    ASSERT_TRUE(c.play());
    EXPECT_TRUE(c.playingNow());
    EXPECT_TRUE(c.playbackTimerActive());
    EXPECT_TRUE(c.play());
    // The null sink may take a moment before the first sound is heard.
    EXPECT_TRUE(waitUntil([&] { return area->slider->doubleValue() > 0.2; }, 5000));
    EXPECT_GT(area->timeView->time(), 0.15f);
    EXPECT_NEAR(area->timeView->time(), c.currentTime(), 1e-4);

    // The end: the next tick finds the movie stopped and reports it.
    ASSERT_TRUE(waitUntil([&] { return !c.playbackTimerActive(); }, 6000));
    EXPECT_FALSE(c.playingNow());
    EXPECT_GT(area->delegate.buttonUpdates, updatesBefore);
    EXPECT_GT(area->slider->doubleValue(), 0.5);
}

TEST_F(NavigController, StopHaltsThePlaybackWhereItIs)
{
    RecNavigController& c = *area->controller;
    c.setCurrentFile(&recording("ten.m4a", 10.0));
    ASSERT_TRUE(c.play());
    ASSERT_TRUE(waitUntil([&] { return c.currentTime() > 0.3f; }, 5000));
    const int updatesBefore = area->delegate.buttonUpdates;
    c.stop();
    EXPECT_FALSE(c.playingNow());
    EXPECT_FALSE(c.playbackTimerActive());
    EXPECT_EQ(area->delegate.buttonUpdates, updatesBefore + 1);
    const double at = area->slider->doubleValue();
    spin(300);
    EXPECT_EQ(area->slider->doubleValue(), at);
}

TEST_F(NavigController, ScrubbingWhilePausedPlaysAShortPreview)
{
    RecNavigController& c = *area->controller;
    c.setCurrentFile(&recording("ten.m4a", 10.0));
    area->slider->setDoubleValue(0.5);
    const int updatesBefore = area->delegate.buttonUpdates;
    c.scrubAudio(area->slider);
    EXPECT_NEAR(movieSeconds(c), 5.0, 0.01);
    EXPECT_NEAR(area->timeView->time(), 5.0f, 0.01f);
    EXPECT_TRUE(c.playingNow());
    EXPECT_FALSE(c.playbackTimerActive());
    EXPECT_EQ(area->delegate.buttonUpdates, updatesBefore);
    spin(600);
    EXPECT_TRUE(c.playingNow());
    EXPECT_TRUE(waitUntil([&] { return !c.playingNow(); }, 1500));
    EXPECT_GT(area->delegate.buttonUpdates, updatesBefore);

    // At the very end there is nothing to preview.
    area->slider->setDoubleValue(1.0);
    c.scrubAudio(area->slider);
    EXPECT_FALSE(c.playingNow());

    // Play during a preview turns it into playback, which the preview's end leaves alone.
    area->slider->setDoubleValue(0.2);
    c.scrubAudio(area->slider);
    ASSERT_TRUE(c.play());
    EXPECT_TRUE(c.playbackTimerActive());
    spin(1300);
    EXPECT_TRUE(c.playingNow());
    c.stop();
}

TEST_F(NavigController, JumpsMoveThirtySecondsAndStopNearBothEnds)
{
    RecNavigController& c = *area->controller;
    c.setCurrentFile(&recording("long.m4a", 40.0));
    const double length = c.curFileDuration();
    c.jumpForward();
    EXPECT_NEAR(movieSeconds(c), 30.0, 0.01);
    EXPECT_NEAR(area->slider->doubleValue(), 30.0 / length, 1e-4);
    EXPECT_NEAR(area->timeView->time(), 30.0f, 0.01f);
    EXPECT_TRUE(c.playingNow()); // the preview at the new place
    c.stop();

    area->slider->setDoubleValue(35.0 / length);
    c.jumpForward();
    EXPECT_NEAR(movieSeconds(c), length - 0.5, 0.01);
    EXPECT_NEAR(area->timeView->time(), length - 0.5, 0.01);
    c.stop();

    area->slider->setDoubleValue(35.0 / length);
    c.jumpBackward();
    EXPECT_NEAR(movieSeconds(c), 5.0, 0.01);
    c.stop();
    c.jumpBackward();
    EXPECT_NEAR(movieSeconds(c), 0.0, 0.01);
    EXPECT_EQ(area->slider->doubleValue(), 0.0);
    EXPECT_EQ(area->timeView->time(), 0.0f);
    c.stop();
}

TEST_F(NavigController, MarksAreAddedAtThePositionAndRemovedWhenSelected)
{
    RecNavigController& c = *area->controller;
    RecItem& rec = recording("long.m4a", 40.0);
    c.setCurrentFile(&rec);
    const int saves = area->delegate.structChanges;
    area->slider->setDoubleValue(0.25);
    c.addNote();
    area->slider->setDoubleValue(0.75);
    c.addNote();
    ASSERT_EQ(rec.marks().size(), 2u);
    EXPECT_NEAR(rec.marks()[0]->offset(), 0.25 * rec.duration(), 1e-3);
    EXPECT_EQ(rec.marks()[0]->descr(), "");
    EXPECT_EQ(rec.marks()[1]->markID(), 1);
    EXPECT_EQ(area->delegate.structChanges, saves + 2);
    ASSERT_EQ(area->strip->notes()->size(), 2u);
    EXPECT_NEAR(area->strip->notes()->at(1).offsetPerc(), 0.75, 1e-4);

    // Nothing selected: Remove Mark does nothing.
    c.removeNote();
    EXPECT_EQ(rec.marks().size(), 2u);

    // A click on the second marker selects it; removing it clears the selection.
    const QRect second = area->strip->noteRect(&area->strip->notes()->at(1));
    ASSERT_TRUE(area->strip->processMouseClick(second.center()));
    EXPECT_EQ(c.selectedMarkID(), 1);
    c.removeNote();
    ASSERT_EQ(rec.marks().size(), 1u);
    EXPECT_EQ(rec.marks()[0]->markID(), 0);
    EXPECT_EQ(c.selectedMarkID(), -1);
    EXPECT_EQ(area->strip->notes()->size(), 1u);
    EXPECT_EQ(area->delegate.structChanges, saves + 3);

    // An edited copy reaches the recording's own mark.
    TimeMark copy = area->strip->notes()->front();
    copy.setDescr("edited");
    c.noteChanged(&copy);
    EXPECT_EQ(rec.marks()[0]->descr(), "edited");
}

TEST_F(NavigController, RecordingModeFollowsTheClockAndMarksTheGrowingEnd)
{
    RecNavigController& c = *area->controller;
    RecItem& rec = recording("ten.m4a", 10.0);
    c.setCurrentFile(&rec);
    const double before = rec.duration();

    // Continuing: the slider is pinned at the end and the clock starts at the length.
    area->delegate.recording = true;
    c.setRecordingMode(true);
    EXPECT_EQ(area->slider->doubleValue(), 1.0);
    EXPECT_FALSE(area->slider->isEnabled());
    EXPECT_NEAR(area->timeView->time(), before, 1e-3);
    area->timeView->startRecording();
    c.addContinueNote();
    ASSERT_EQ(rec.marks().size(), 1u);
    EXPECT_NEAR(rec.marks()[0]->offset(), before, 1e-3);
    EXPECT_EQ(rec.marks()[0]->descr(), "Position in which the recording was continued");

    // The length grows with the clock; a new mark sits at the growing end.
    ASSERT_TRUE(waitUntil([&] { return rec.duration() > before + 0.9; }, 3000));
    EXPECT_NEAR(c.currentTime(), rec.duration(), 1e-3);
    // Selections do not outlive a refresh.
    const QRect marker = area->strip->noteRect(&area->strip->notes()->front());
    ASSERT_TRUE(area->strip->processMouseClick(marker.center()));
    EXPECT_TRUE(waitUntil([&] { return c.selectedMarkID() == -1; }, 1000));
    c.addNote();
    ASSERT_EQ(rec.marks().size(), 2u);
    EXPECT_NEAR(rec.marks()[1]->offset(), rec.duration(), 1e-3);
    EXPECT_GT(rec.marks()[1]->offset(), before + 0.9);

    area->timeView->stopRecording();
    area->delegate.recording = false;
    c.setRecordingMode(false);
    EXPECT_EQ(area->slider->doubleValue(), 0.0);
    EXPECT_TRUE(area->slider->isEnabled());
    EXPECT_EQ(area->timeView->time(), 0.0f);
    const double last = rec.duration();
    spin(400);
    EXPECT_EQ(rec.duration(), last);
}
