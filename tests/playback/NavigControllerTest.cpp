// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/RecGroup.h"
#include "media/AudioFile.h"
#include "playback/PlaybackFixture.h"
#include "playback/RecNavigController.h"
#include "playback/RecNavigatorView.h"
#include "playback/SliderWithNotes.h"
#include "playback/TimeView.h"
#include "support/Media.h"
#include "support/PulseServer.h"
#include "support/TestFiles.h"
#include "support/Wait.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QThreadPool>
#include <gtest/gtest.h>

namespace {

// Playback goes to the null sink of the private sound server.
class NavigController : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        qputenv("PULSE_SINK", PulseServer::instance().nullSinkName().toUtf8());
        s_files = new QTemporaryDir;
        const std::pair<const char*, double> tones[] = {
            {"short.m4a", 1.0}, {"ten.m4a", 10.0}, {"long.m4a", 40.0}};
        for (auto [name, seconds] : tones)
            ASSERT_TRUE(makeTone(s_files->filePath(name), seconds, {"-ac", "2", "-c:a", "aac"}));
        // Two seconds of tone, then two of silence.
        ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=d=4,volume='lt(t,2)':eval=frame", "-c:a",
                            "aac", s_files->filePath("half.m4a")}));
        qputenv("XDG_CACHE_HOME", s_files->filePath("cache").toUtf8());
    }
    static void TearDownTestSuite() { delete s_files; }

    RecItem& recording(const QString& file, double storedDuration, PlaybackArea* in = nullptr)
    {
        RecItem& item = *m_items.emplace_back(std::make_unique<RecItem>());
        item.setDuration(storedDuration);
        (in ? in : &area)->delegate.paths[&item] = s_files->filePath(file);
        return item;
    }
    double moviePosition() { return secondsOf(c.movie()->currentTime()); }

    static inline QTemporaryDir* s_files = nullptr;
    std::vector<std::unique_ptr<RecItem>> m_items;
    PlaybackArea area;
    RecNavigController& c = *area.controller;
};

} // namespace

TEST_F(NavigController, MakingARecordingCurrentCorrectsItsDurationAndPlacesItsMarks)
{
    RecItem& rec = recording("ten.m4a", 3.0);
    rec.addMarkAtTime(5, "half", 0);
    c.setCurrentFile(&rec);
    ASSERT_NE(c.movie(), nullptr);
    EXPECT_NEAR(rec.duration(), 10.0, 0.05);
    EXPECT_EQ(area.delegate.structChanges, 1);
    ASSERT_EQ(area.strip->notes()->size(), 1u);
    EXPECT_NEAR(area.strip->notes()->front().offsetPerc(), 5.0 / rec.duration(), 1e-6);
    // A category changes nothing; an agreeing duration is not saved.
    RecGroup group;
    c.setCurrentFile(&group);
    EXPECT_EQ(c.currentFile(), &rec);
    c.setCurrentFile(&recording("ten.m4a", rec.duration()));
    EXPECT_EQ(area.delegate.structChanges, 1);

    c.setCurrentFile(nullptr);
    EXPECT_EQ(c.movie(), nullptr);
    EXPECT_EQ(area.strip->notes(), nullptr);
    EXPECT_FALSE(area.slider->isEnabled());
}

TEST_F(NavigController, TheStripShowsTheFilesWaveformAndGrowsItLiveWhileRecording)
{
    RecItem& rec = recording("half.m4a", 4.0);
    c.setCurrentFile(&rec);
    ASSERT_TRUE(waitUntil([&] { return !area.strip->waveformColumns(4).empty(); }));
    std::vector<float> columns = area.strip->waveformColumns(4);
    EXPECT_GT(columns[0], 0.1f);
    EXPECT_LT(columns[3], 0.01f);
    QImage image(area.strip->size(), QImage::Format_ARGB32);
    area.strip->render(&image);
    const int x = PlaybackArea::kSliderX + 12, y = area.strip->height() / 2 - 6;
    EXPECT_GT(image.pixelColor(x, y).blue(), image.pixelColor(x + 190, y).blue() + 60);
    // Continued: the level heard follows the file, each in its share of the strip.
    c.setRecordingMode(true);
    ASSERT_TRUE(area.strip->isLive());
    area.strip->addLiveLevel(4.5, 2.0f);
    area.strip->addLiveLevel(8.0, 0.0f);
    columns = area.strip->waveformColumns(8);
    EXPECT_GT(std::min(columns[0], columns[4]), 0.1f);
    EXPECT_LT(std::max(columns[3], columns[7]), 0.01f);
    // The file changed (joined): the live envelope stays until it is measured again.
    c.setRecordingMode(false);
    QFile file(area.delegate.paths[&rec]);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(5),
                                 QFileDevice::FileModificationTime));
    c.setCurrentFile(nullptr);
    c.setCurrentFile(&rec);
    EXPECT_EQ(area.strip->waveformColumns(8), columns);
    ASSERT_TRUE(waitUntil([&] { return area.strip->waveformColumns(8) != columns; }));
    EXPECT_LT(area.strip->waveformColumns(4)[3], 0.01f);
}

TEST_F(NavigController, WithoutAMovieMarksAreKeptButNotPlacedAndNothingPlays)
{
    RecItem& missing = recording("missing.m4a", 12.0);
    c.setCurrentFile(&missing);
    EXPECT_FALSE(area.slider->isEnabled());
    EXPECT_FALSE(c.play());
    c.addNote();
    ASSERT_EQ(missing.marks().size(), 1u);
    EXPECT_EQ(missing.marks().front().offset(), 0.0f);
    EXPECT_TRUE(area.strip->noteRect(&area.strip->notes()->front()).isEmpty());
    // A file that is no audio: the slider stays usable, nothing plays, jumps or previews.
    writeFile(s_files->filePath("bad.m4a"), QByteArray(4096, 'x'));
    RecItem& broken = recording("bad.m4a", 4.0);
    c.setCurrentFile(&broken);
    EXPECT_TRUE(area.slider->isEnabled());
    EXPECT_FALSE(c.play());
    c.jumpForward();
    c.scrubAudio(area.slider);
    EXPECT_FALSE(c.playingNow());
    EXPECT_EQ(broken.duration(), 4.0);
    // Nor is the length from the library a place for its marks.
    broken.addMarkAtTime(1.0f, "", 0);
    c.updateNotes();
    EXPECT_TRUE(area.strip->noteRect(&area.strip->notes()->front()).isEmpty());
}

TEST_F(NavigController, PlaysWithTheSliderAndClockFollowingAndStopsAtTheEnd)
{
    c.setCurrentFile(&recording("short.m4a", 1.0));
    const int updatesBefore = area.delegate.buttonUpdates;
    ASSERT_TRUE(c.play());
    EXPECT_TRUE(c.playbackTimerActive());
    // The null sink may take a moment before the first sound is heard.
    EXPECT_TRUE(waitUntil([&] { return area.slider->doubleValue() > 0.2; }));
    EXPECT_NEAR(area.timeView->time(), c.currentTime(), 1e-4);
    ASSERT_TRUE(waitUntil([&] { return !c.playbackTimerActive(); }));
    EXPECT_FALSE(c.playingNow());
    EXPECT_GT(area.delegate.buttonUpdates, updatesBefore);
}

TEST_F(NavigController, ScrubbingWhilePausedPlaysAShortPreview)
{
    c.setCurrentFile(&recording("ten.m4a", 10.0));
    area.slider->setDoubleValue(0.5);
    const int updatesBefore = area.delegate.buttonUpdates;
    c.scrubAudio(area.slider);
    EXPECT_NEAR(moviePosition(), 5.0, 0.1);
    EXPECT_NEAR(area.timeView->time(), 5.0f, 0.01f);
    EXPECT_TRUE(c.playingNow());
    EXPECT_FALSE(c.playbackTimerActive());
    EXPECT_TRUE(waitUntil([&] { return !c.playingNow(); }));
    EXPECT_GT(area.delegate.buttonUpdates, updatesBefore);

    area.slider->setDoubleValue(1.0);
    c.scrubAudio(area.slider);
    EXPECT_FALSE(c.playingNow());
    // Play during a preview turns it into playback, which the preview's end
    // leaves alone: a preview started later elsewhere has ended by then.
    area.slider->setDoubleValue(0.2);
    c.scrubAudio(area.slider);
    ASSERT_TRUE(c.play());
    PlaybackArea later;
    later.controller->setCurrentFile(&recording("ten.m4a", 10.0, &later));
    later.controller->scrubAudio(later.slider);
    ASSERT_TRUE(waitUntil([&] { return !later.controller->playingNow(); }));
    EXPECT_TRUE(c.playingNow());
    // While the user holds the knob, playback does not pull it away.
    area.slider->setSliderDown(true);
    const double held = area.slider->doubleValue();
    ASSERT_TRUE(waitForTimer(RecNavigController::kPlaybackInterval, 3));
    EXPECT_EQ(area.slider->doubleValue(), held);
    area.slider->setSliderDown(false);
    EXPECT_TRUE(waitUntil([&] { return area.slider->doubleValue() > held; }));
    c.stop();
}

TEST_F(NavigController, JumpsMoveThirtySecondsAndStopNearBothEnds)
{
    c.setCurrentFile(&recording("long.m4a", 40.0));
    const double length = c.curFileDuration();
    auto jumpFrom = [&](double from, bool forward) {
        area.slider->setDoubleValue(from / length);
        forward ? c.jumpForward() : c.jumpBackward();
        EXPECT_TRUE(c.playingNow()); // the preview at the new place, which may have begun
        const double at = area.slider->doubleValue() * length;
        EXPECT_NEAR(moviePosition(), at, 0.1);
        EXPECT_NEAR(area.timeView->time(), at, 0.01);
        c.stop();
        return at;
    };
    EXPECT_NEAR(jumpFrom(0, true), 30.0, 0.01);
    EXPECT_NEAR(jumpFrom(35, true), length - 0.5, 0.01);
    EXPECT_NEAR(jumpFrom(35, false), 5.0, 0.01);
    EXPECT_NEAR(jumpFrom(5, false), 0.0, 0.01);
}

TEST_F(NavigController, MarksAreAddedAtThePositionAndRemovedWhenSelected)
{
    RecItem& rec = recording("long.m4a", 40.0);
    c.setCurrentFile(&rec);
    const int saves = area.delegate.structChanges;
    for (double at : {0.25, 0.75}) {
        area.slider->setDoubleValue(at);
        c.addNote();
    }
    ASSERT_EQ(rec.marks().size(), 2u);
    EXPECT_NEAR(rec.marks()[0].offset(), 0.25 * rec.duration(), 1e-3);
    EXPECT_EQ(rec.marks()[1].markID(), 1);
    EXPECT_EQ(area.delegate.structChanges, saves + 2);
    EXPECT_NEAR(area.strip->notes()->at(1).offsetPerc(), 0.75, 1e-4);

    ASSERT_TRUE(
        area.strip->processMouseClick(area.strip->noteRect(&area.strip->notes()->at(1)).center()));
    c.removeNote();
    ASSERT_EQ(rec.marks().size(), 1u);
    EXPECT_EQ(rec.marks()[0].markID(), 0);
    EXPECT_EQ(area.delegate.structChanges, saves + 3);
}

TEST_F(NavigController, RecordingModeFollowsTheClockAndMarksTheGrowingEnd)
{
    RecItem& rec = recording("ten.m4a", 10.0);
    c.setCurrentFile(&rec);
    const double before = rec.duration();
    // Continuing: the slider is pinned at the end and the clock starts at the length.
    area.delegate.recording = true;
    c.setRecordingMode(true);
    EXPECT_EQ(area.slider->doubleValue(), 1.0);
    EXPECT_FALSE(area.slider->isEnabled());
    area.timeView->startRecording();
    c.addContinueNote();
    EXPECT_NEAR(rec.marks()[0].offset(), before, 1e-3);
    EXPECT_EQ(rec.marks()[0].descr(), "Position in which the recording was continued");

    ASSERT_TRUE(waitUntil([&] { return rec.duration() > before + 0.9; }));
    c.addNote();
    EXPECT_NEAR(rec.marks()[1].offset(), rec.duration(), 0.01);

    area.timeView->stopRecording();
    c.setRecordingMode(false);
    EXPECT_EQ(area.slider->doubleValue(), 0.0);
    EXPECT_TRUE(area.slider->isEnabled());
    EXPECT_EQ(area.timeView->time(), 0.0f);
}

TEST_F(NavigController, ARecordingChosenWhileAnotherOpensIsTheOneThatEndsUpOpen)
{
    RecItem& first = recording("long.m4a", 1.0);
    RecItem& second = recording("ten.m4a", 1.0);
    c.setCurrentFile(&first);
    c.setCurrentFile(&second);
    ASSERT_TRUE(waitUntil([&] { return !c.isOpening(); }));
    // Whatever the first file's measuring still had to say is dropped.
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    ASSERT_NE(c.movie(), nullptr);
    EXPECT_EQ(c.movie()->fileName(), area.delegate.paths[&second]);
    EXPECT_NEAR(second.duration(), 10.0, 0.05);
    EXPECT_EQ(first.duration(), 1.0);
    // A controller that goes while a file opens takes the answer with it.
    PlaybackArea other;
    other.controller->setCurrentFile(&recording("long.m4a", 1.0, &other));
    other.controller.reset();
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
}
