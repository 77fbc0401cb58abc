// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "av/FFmpegPtr.h"

#include <QString>
#include <cstdint>

struct AVStream;
struct AVPacket;
struct AVCodecParameters;

// One open audio file: the demuxer and its best audio stream.
// Not thread-safe; every thread that reads a file opens its own MediaSource.
class MediaSource
{
public:
    MediaSource() = default;
    ~MediaSource();
    MediaSource(const MediaSource&) = delete;
    MediaSource& operator=(const MediaSource&) = delete;

    // Opens path and finds its audio stream; answers an error text, empty on success.
    QString open(const QString& path);
    void close();

    AVFormatContext* format() const { return m_format.get(); }
    AVStream* stream() const;
    const AVCodecParameters* codecParameters() const;
    int sampleRate() const;
    int channels() const;

    // Stream timestamps <-> samples at the stream's sample rate.
    int64_t toSamples(int64_t ts) const;
    int64_t toTimestamp(int64_t samples) const;

    // Reads the next packet of the audio stream; false at the end or on damage.
    bool readPacket(AVPacket* packet);
    // Positions the reader on a packet at or before the sample, reopening
    // the file when the demuxer cannot seek.
    bool seekToSample(int64_t sample);

private:
    InputFormatPtr m_format;
    int m_streamIndex = -1;
    QString m_path;
};
