// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/RecItem.h"
#include "media/MediaTime.h"
#include "playback/MovieOpener.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>

class GeneralRecItem;
class PlaybackDelegate;
class AudioFile;
class RecNavigatorView;
class SliderWithNotes;
class TimeView;

// The controller of the playback area: opens the current recording's file,
// plays and stops it, keeps the position slider and the clock in step, scrubs
// with a short preview, jumps by 30 seconds, adds and removes time marks at
// the position, and hands copies of the marks to the navigator strip. While a
// recording is made it is in recording mode: the slider is pinned to the end
// and the length follows the clock. Main thread only.
class RecNavigController : public QObject
{
    Q_OBJECT
public:
    static constexpr int kPlaybackInterval = 15; // ms
    // ms; while recording, each tick hands the loudest level since the tick
    // before to the live waveform and the clock's length to the row, in one
    // repaint of the window. A quarter second, so that the ticks fall in the
    // wake-ups of the clock's and the tray icon's. While the strip does not
    // show, it ticks once a second, and catches up at once when it shows again.
    static constexpr int kLiveInterval = 250;
    static constexpr int kPreviewLength = 950; // ms
    static constexpr int kLoadTimeout = 10000; // ms
    static constexpr double kJump = 30.0;      // seconds

    explicit RecNavigController(QObject* parent = nullptr);
    ~RecNavigController() override;

    void setAppDelegate(PlaybackDelegate* appDelegate) { m_appDelegate = appDelegate; }
    void setRecNavigatorView(RecNavigatorView* view) { m_recNavigatorView = view; }
    // Connects the slider's moves to scrubAudio().
    void setRecSlider(SliderWithNotes* slider);
    void setTimeView(TimeView* view) { m_timeView = view; }

    // A recording becomes current (a category changes nothing; null closes).
    // Its file opens in the background; whatever needs the movie before it
    // is open waits for it.
    void setCurrentFile(GeneralRecItem* item);
    RecItem* currentFile() const { return m_currentRec; }
    bool isOpening() const { return m_opener.isPending(); }
    AudioFile* movie();

    bool playingNow() const;
    // False when there is nothing to play or the sound did not start.
    bool play();
    void stop();
    void updateSlider();
    void updateSliderPosition();
    void updateTimeTextField();
    void scrubAudio(SliderWithNotes* sender);
    // The end of a scrub preview.
    void checkPlayback();
    bool playbackTimerActive() const { return m_timer.isActive(); }

    void updateNotes();
    void addNote();
    void addContinueNote();
    void removeNote();
    float currentTime() const;
    void hideNote();
    // The strip's copy of a mark whose note was edited.
    void noteChanged(const TimeMark* copy);
    void jumpForward();
    void jumpBackward();
    int selectedMarkID() const;

    void setRecordingMode(bool on);
    void liveTimerFire();
    void followDuration();
    // Hands the level heard now to the strip's live waveform.
    void showLiveLevel();
    double curFileDuration();

    static QString continueNoteText();

private:
    void addNoteWithDescr(const QString& descr);
    void jumpTo(double seconds);
    void startMovie();
    void startPreview();
    static bool waitUntilLoaded(AudioFile& movie);
    void adoptMovie(std::unique_ptr<AudioFile> movie);
    void ensureOpen();
    void paceLiveTimer();

    PlaybackDelegate* m_appDelegate = nullptr;
    RecNavigatorView* m_recNavigatorView = nullptr;
    SliderWithNotes* m_recSlider = nullptr;
    TimeView* m_timeView = nullptr;
    QTimer m_timer;
    std::unique_ptr<AudioFile> m_movie;
    MovieOpener m_opener;
    MediaTime m_movieDuration{0, 1, 0};
    // The library owns the record; it may remove it while it is current.
    QPointer<RecItem> m_currentRec;
    bool m_isRecordMode = false;
    QTimer m_liveTimer;
    QString m_currentPath;
    // Only the latest preview may end the sound it started.
    quint64 m_previewSerial = 0;
};
