// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/AudioFile.h"

#include "media/MediaProber.h"
#include "media/MoviePlayer.h"
#include "media/MovieWriter.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>

extern "C" {
#include <libavcodec/codec_id.h>
#include <libavutil/mathematics.h>
}

#include <algorithm>

namespace {
constexpr int kMaxChannels = 8;
constexpr int kPlaybackChannels = 2;
} // namespace

bool AudioFile::canInitWithFile(const QString& path)
{
    return MediaProber::canOpen(path);
}

std::unique_ptr<AudioFile> AudioFile::movieWithFile(const QString& path, QString* error)
{
    QString failure;
    MediaInfoPtr info = MediaProber::probe(path, &failure);
    if (error)
        *error = failure;
    return info ? movieWithInfo(std::move(info)) : nullptr;
}

std::unique_ptr<AudioFile> AudioFile::movieWithInfo(MediaInfoPtr info)
{
    return std::unique_ptr<AudioFile>(new AudioFile(std::move(info)));
}

double AudioFile::fileDuration(const QString& path)
{
    return MediaProber::fileDuration(path);
}

bool AudioFile::endRecordingAt(const QString& path, int64_t samples)
{
    std::unique_ptr<AudioFile> movie = movieWithFile(path);
    if (!movie || samples <= 0 || samples > movie->totalLength())
        return false;
    movie->setEditable(true);
    movie->deleteSegment(
        makeMediaTimeRange(makeMediaTime(samples, movie->m_timeScale),
                           makeMediaTime(movie->totalLength(), movie->m_timeScale)));
    const QFileInfo info(path);
    const QString temp =
        info.path() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".end");
    WriteAttributes attributes;
    attributes.flatten = true;
    const bool written = movie->writeToFile(temp, attributes);
    movie.reset();
    if (!written || std::rename(QFile::encodeName(temp).constData(),
                                QFile::encodeName(path).constData()) != 0) {
        QFile::remove(temp);
        return false;
    }
    return true;
}

AudioFile::AudioFile(MediaInfoPtr source)
    : m_fileName(source->path), m_timeScale(source->sampleRate), m_channels(source->channels)
{
    m_segments.push_back(MovieSegment{source, source->startSample, source->durationSamples});
    m_selection = makeMediaTimeRange(makeMediaTime(0, m_timeScale), makeMediaTime(0, m_timeScale));
}

AudioFile::~AudioFile()
{
    dropPlayer();
}

int64_t AudioFile::lengthOf(const MovieSegment& segment) const
{
    return av_rescale(segment.length, m_timeScale, segment.source->sampleRate);
}

int64_t AudioFile::totalLength() const
{
    int64_t total = 0;
    for (const MovieSegment& segment : m_segments)
        total += lengthOf(segment);
    return total;
}

int64_t AudioFile::toMovieUnits(MediaTime time) const
{
    return makeMediaTimeScaled(time, m_timeScale).timeValue;
}

MediaTime AudioFile::duration() const
{
    return makeMediaTime(totalLength(), m_timeScale);
}

std::vector<MovieSegment> AudioFile::segmentsIn(int64_t start, int64_t length) const
{
    std::vector<MovieSegment> result;
    const int64_t end = start + length;
    int64_t at = 0;
    for (const MovieSegment& segment : m_segments) {
        const int64_t segmentLength = lengthOf(segment);
        const int64_t from = std::max(start, at);
        const int64_t to = std::min(end, at + segmentLength);
        if (from < to) {
            const int rate = segment.source->sampleRate;
            const int64_t offset = av_rescale(from - at, rate, m_timeScale);
            const int64_t stop =
                to == at + segmentLength ? segment.length : av_rescale(to - at, rate, m_timeScale);
            if (stop > offset)
                result.push_back(
                    MovieSegment{segment.source, segment.start + offset, stop - offset});
        }
        at += segmentLength;
    }
    return result;
}

void AudioFile::dropPlayer()
{
    if (m_player) {
        m_position = m_player->position();
        m_player.reset();
    }
}

void AudioFile::play()
{
    if (m_player && m_player->isPlaying())
        return;
    if (m_player) {
        m_position = m_player->position();
        m_player->stop();
    }
    if (m_position >= totalLength())
        m_position = 0;
    if (!m_player)
        m_player = std::make_unique<MoviePlayer>(m_segments, m_timeScale,
                                                 std::min(m_channels, kPlaybackChannels));
    m_lastError = m_player->start(m_position);
}

void AudioFile::stop()
{
    if (m_player && m_player->isStarted()) {
        m_position = m_player->position();
        m_player->stop();
    }
}

float AudioFile::rate() const
{
    return m_player && m_player->isPlaying() ? 1.0f : 0.0f;
}

void AudioFile::setRate(float rate)
{
    if (rate > 0.0f)
        play();
    else
        stop();
}

MediaTime AudioFile::currentTime() const
{
    if (m_player && m_player->isStarted())
        return makeMediaTime(m_player->position(), m_timeScale);
    return makeMediaTime(m_position, m_timeScale);
}

void AudioFile::setCurrentTime(MediaTime time)
{
    const int64_t position = std::clamp<int64_t>(toMovieUnits(time), 0, totalLength());
    const bool playing = m_player && m_player->isPlaying();
    if (m_player && m_player->isStarted())
        m_player->stop();
    m_position = position;
    if (playing)
        m_lastError = m_player->start(m_position);
}

bool AudioFile::appendSelectionFromMovie(const AudioFile& other)
{
    if (!m_editable || &other == this)
        return false;
    const int64_t start = other.toMovieUnits(other.m_selection.time);
    const int64_t length = other.toMovieUnits(other.m_selection.duration);
    if (start < 0 || length < 0)
        return false;
    std::vector<MovieSegment> added = other.segmentsIn(start, length);
    stop();
    dropPlayer();
    m_segments.insert(m_segments.end(), added.begin(), added.end());
    return true;
}

bool AudioFile::deleteSegment(MediaTimeRange range)
{
    if (!m_editable)
        return false;
    const int64_t total = totalLength();
    const int64_t start = std::clamp<int64_t>(toMovieUnits(range.time), 0, total);
    const int64_t end = std::clamp<int64_t>(
        start + std::max<int64_t>(0, toMovieUnits(range.duration)), start, total);
    if (end == start)
        return true;
    stop();
    dropPlayer();
    std::vector<MovieSegment> kept = segmentsIn(0, start);
    std::vector<MovieSegment> tail = segmentsIn(end, total - end);
    kept.insert(kept.end(), tail.begin(), tail.end());
    m_segments = std::move(kept);
    m_position = std::min(m_position, totalLength());
    return true;
}

bool AudioFile::writeToFile(const QString& path, const WriteAttributes& attributes)
{
    if (m_segments.empty()) {
        m_lastError = QStringLiteral("There is no audio to write");
        return false;
    }
    if (attributes.exportMovie) {
        if (attributes.exportType != kFileTypeMPEG4) {
            m_lastError = QStringLiteral("The export type is not supported");
            return false;
        }
        MovieExporter::Callback progress;
        if (m_callback)
            progress = [this](ExportPhase phase, double fraction) {
                return m_callback(*this, phase, fraction);
            };
        m_lastError = MovieExporter::exportMPEG4(m_segments, path, progress);
        return m_lastError.isEmpty();
    }
    if (!attributes.flatten) {
        m_lastError = QStringLiteral("Only self-contained files are written");
        return false;
    }
    const MediaInfo& first = *m_segments.front().source;
    const int rate =
        first.codecId == AV_CODEC_ID_AAC ? m_timeScale : MovieExporter::outputRate(m_timeScale);
    MovieWriter writer(m_segments, rate, std::clamp(m_channels, 1, kMaxChannels));
    m_lastError = writer.write(path, attributes.batch);
    return m_lastError.isEmpty();
}
