// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/RecorderEngine.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <optional>

class Library;
class RecGroup;
class RecItem;

// The recording workflow: a new recording in a category, the continuation of
// a recording (the new sound is recorded into a file of its own and joined
// to the end of the recording, with a mark at the seam), the stop, and a
// capture that ends by itself (a device lost, a full disk), which is stopped
// as by the user and told. Owns the recorder engine; what is being recorded
// is never deleted, renamed or moved by the library meanwhile. The outline,
// the player, the tray icon and the hot keys follow its signals. Main
// thread only.
class RecordingSession : public QObject
{
    Q_OBJECT
public:
    explicit RecordingSession(Library& library, QObject* parent = nullptr);
    ~RecordingSession() override;

    // The engine, for its settings and its level meter.
    RecorderEngine& engine() { return m_engine; }
    const RecorderEngine& engine() const { return m_engine; }

    bool isRecording() const;
    // The running recording continues an existing one.
    bool isContinuing() const { return m_continuing; }
    // The file being written, and the recording a continuation joins.
    QStringList recordingPaths() const;
    // The input device that records, as the user reads it; empty while idle.
    QString device() const;
    // The row that records (the new recording or the continued one), while it records.
    RecItem* recordingRow() const;
    // How long the running recording is, in seconds by the clock: a new one
    // counts the seconds heard before its start, a continuation its new part.
    double elapsed() const;

    // Puts a mark with the note into the running recording, where its sound
    // is now; false while nothing records.
    bool addMark(const QString& note);
    // The running recording stops by itself, through stop(), once it is this
    // long (as elapsed() counts); false while nothing records.
    bool limitTo(std::chrono::milliseconds length);
    // The time until the running recording stops by itself, if it was limited.
    std::optional<std::chrono::milliseconds> timeLeft() const;

    // Starts a new recording "Untitled N" in the category; its row is made
    // once the capture runs. False (and told why) when it cannot start.
    bool startNew(RecGroup* category);
    // Continues the recording; takes no sound from before the start.
    bool startContinuation(RecItem* recording);
    // Stops what records and keeps it; a continuation is joined.
    void stop();
    // A hot key or a command: either one stops what records; otherwise it
    // starts a new recording in the category, or continues the recording.
    void toggle(bool continuation, RecGroup* category, RecItem* recording);
    // The preferences' level meter: the device is read without recording.
    void startLevelMeter();
    void stopLevelMeter();

    // The note of the mark a continuation leaves where its sound begins.
    static QString continuationMarkText();

signals:
    // The capture is about to take the device: playback stops.
    void aboutToStart();
    // The capture did not start; the engine told why.
    void startFailed();
    // The capture runs; the row is the new recording, or the continued one.
    void started(RecItem* row, bool continuation);
    // The file is complete and closed; its row shows its new length.
    void stopped(RecItem* row, bool continuation);
    // A continuation that could not be joined is kept as a recording of its own.
    void partKept(RecItem* row);
    // A mark was put into the running recording.
    void markAdded(RecItem* row);
    // A failure the user must see.
    void message(const QString& text);

private:
    bool begin(const QString& path, bool takePreRoll);
    void end();
    // The waveform kept of the recording continues with the part's when its peaks fit.
    void joinPart(bool peaksFit);
    void markSeam(const QString& path);
    void interrupted(RecorderEngine::Interruption why);
    void limitReached();

    Library& m_library;
    RecorderEngine m_engine;
    QPointer<RecItem> m_row;
    QString m_continuedPath;
    QPointer<RecGroup> m_continuedGroup;
    bool m_continuing = false;
    // Since the capture started, and where its sound starts in the recording.
    QElapsedTimer m_clock;
    double m_startOffset = 0;
    double m_preRoll = 0;
    // By the wall clock: a timer that fires late (a busy loop) still stops on time.
    std::optional<QDeadlineTimer> m_limit;
    std::optional<std::chrono::milliseconds> m_length;
    // The samples of the capture's file that are kept.
    int64_t m_keptLength = 0;
    QTimer m_limitTimer;
};
