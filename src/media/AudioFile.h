// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "media/MediaInfo.h"
#include "media/MediaTime.h"
#include "media/MovieExporter.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class FileBatch;
class MoviePlayer;

// An audio file opened for playing and editing. Its time scale is the sample
// rate of the file it was opened from. Edits change only the movie in memory:
// the source files are never written; writeToFile() makes a new file.
// Main thread only.
class AudioFile : public QObject
{
    Q_OBJECT
public:
    static constexpr long kLoadStateComplete = 100000;
    static constexpr quint32 kFileTypeMPEG4 = 0x6D706734; // 'mpg4'

    struct WriteAttributes
    {
        bool flatten = false;     // one self-contained file
        bool exportMovie = false; // convert with exportType instead
        quint32 exportType = 0;
        // A flattened file waits in the batch and takes its name when the
        // batch is committed.
        FileBatch* batch = nullptr;
    };

    // Called during a long write; answering false cancels it.
    using OperationCallback =
        std::function<bool(AudioFile& movie, ExportPhase phase, double fraction)>;

    // The file opens as audio.
    static bool canInitWithFile(const QString& path);
    // Opens and measures the file; null, with an error text, for a file that is
    // missing, empty, damaged, not audio or holds no sample. The movie is
    // fully loaded when it is returned.
    static std::unique_ptr<AudioFile> movieWithFile(const QString& path, QString* error = nullptr);
    // A movie of a file measured already (on any thread, by MediaProber).
    static std::unique_ptr<AudioFile> movieWithInfo(MediaInfoPtr info);
    // Length of a file in seconds; 0 for anything that does not open.
    static double fileDuration(const QString& path);
    // A recording as its writer left it, in fragments with the encoder's
    // padding after the sound, is written anew in one piece that ends after
    // that many samples of sound, so that every player finds its exact
    // length. Written beside it and renamed over it; false (the file as it
    // was) when it cannot be.
    static bool endRecordingAt(const QString& path, int64_t samples);

    ~AudioFile() override;

    const QString& fileName() const { return m_fileName; }
    long loadState() const { return kLoadStateComplete; }
    MediaTime duration() const;
    int32_t timeScale() const { return m_timeScale; }
    int channels() const { return m_channels; }

    void setEditable(bool editable) { m_editable = editable; }

    // Playback. The position is what the listener hears; at the end of the
    // file the rate drops to 0 and the position stays at the end.
    void play();
    void stop();
    float rate() const;
    void setRate(float rate);
    MediaTime currentTime() const;
    void setCurrentTime(MediaTime time);

    // Editing; refused (false) unless the movie is editable.
    MediaTimeRange selection() const { return m_selection; }
    void setSelection(MediaTimeRange range) { m_selection = range; }
    bool appendSelectionFromMovie(const AudioFile& other);
    bool deleteSegment(MediaTimeRange range);

    // Writes a new file: flattened (packets copied where the formats agree),
    // or exported as MPEG-4 audio when exportMovie is set with kFileTypeMPEG4.
    bool writeToFile(const QString& path, const WriteAttributes& attributes);
    void setOperationCallback(OperationCallback callback) { m_callback = std::move(callback); }
    const QString& lastError() const { return m_lastError; }

    // The segments of sources the movie is made of, in order.
    const std::vector<MovieSegment>& segments() const { return m_segments; }

signals:
    // Emitted when the load state changes. A movie is already complete when
    // movieWithFile() returns it, and no edit lowers the state, so a caller
    // that waits checks loadState() before it connects.
    void loadStateChanged(long loadState);

private:
    explicit AudioFile(MediaInfoPtr source);
    int64_t lengthOf(const MovieSegment& segment) const;
    int64_t totalLength() const;
    int64_t toMovieUnits(MediaTime time) const;
    std::vector<MovieSegment> segmentsIn(int64_t start, int64_t length) const;
    void dropPlayer();

    QString m_fileName;
    std::vector<MovieSegment> m_segments;
    int32_t m_timeScale = 1;
    int m_channels = 0;
    bool m_editable = false;
    MediaTimeRange m_selection;
    OperationCallback m_callback;
    QString m_lastError;

    std::unique_ptr<MoviePlayer> m_player;
    int64_t m_position = 0; // while not playing, in movie units
};
