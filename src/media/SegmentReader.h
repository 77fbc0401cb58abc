// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "av/FFmpegPtr.h"
#include "media/MediaInfo.h"
#include "media/MediaSource.h"

#include <QString>
#include <cstdint>
#include <vector>

// Decodes a list of segments into one run of interleaved float samples at a
// chosen rate and channel count, cut exactly at the segment edges.
// One thread at a time; the player and the writers each own one.
class SegmentReader
{
public:
    SegmentReader(std::vector<MovieSegment> segments, int rate, int channels);
    ~SegmentReader();
    SegmentReader(const SegmentReader&) = delete;
    SegmentReader& operator=(const SegmentReader&) = delete;

    int rate() const { return m_rate; }
    int channels() const { return m_channels; }
    // Total output length in samples.
    int64_t length() const;

    // Moves to an output sample; false when the source cannot be read there.
    bool seek(int64_t sample);
    // Fills up to maxFrames frames; answers how many, 0 at the end.
    int64_t read(float* out, int64_t maxFrames);
    // Set when a source failed to read; the output then ends early.
    const QString& error() const { return m_error; }

private:
    int64_t segmentOutputLength(const MovieSegment& segment) const;
    bool openSegment(size_t index, int64_t outputOffset);
    void closeSegment();
    bool decodeMore();
    void convertFrame(AVFrame* frame);
    void flushResampler();
    void takeOutput(size_t base, int made);

    std::vector<MovieSegment> m_segments;
    int m_rate;
    int m_channels;

    size_t m_segment = 0;
    MediaSource m_source;
    FFmpegPtr<AVCodecContext> m_decoder;
    FFmpegPtr<SwrContext> m_resampler;
    FFmpegPtr<AVPacket> m_packet;
    FFmpegPtr<AVFrame> m_frame;
    int64_t m_skipSource = 0; // source samples to drop before the wanted start
    int64_t m_nextSource = 0; // source position of the next decoded sample
    int64_t m_sourceLeft = 0; // source samples still wanted from this segment
    int64_t m_outputLeft = 0; // output samples still wanted from this segment
    bool m_inputDone = false;
    std::vector<float> m_pending;
    size_t m_pendingPos = 0;
    QString m_error;
};
