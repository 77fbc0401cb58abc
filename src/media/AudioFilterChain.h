// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "av/FFmpegPtr.h"

#include <QString>
#include <cstdint>
#include <functional>

struct AVFilterContext;

// A chain of FFmpeg's audio filters (libavfilter) fed interleaved float
// samples; what comes out is handed on frame by frame in the sample format
// and frame size asked for. One thread at a time.
class AudioFilterChain
{
public:
    // Receives each filtered frame; answering false stops the chain.
    using Sink = std::function<bool(AVFrame* frame)>;

    // filters: FFmpeg's filter description ("afftdn,volume=3dB"), empty
    // for none; format: an AVSampleFormat; frameSize: samples per frame out,
    // 0 for as they come.
    AudioFilterChain(int rate, int channels, const QString& filters, int format, int frameSize);

    // False when FFmpeg refuses the chain.
    bool open(Sink sink);
    bool feed(const float* samples, int64_t frames);
    // Ends the input and hands on what the filters still hold.
    bool finish();

private:
    bool drain();

    int m_rate;
    int m_channels;
    QString m_filters;
    int m_format;
    int m_frameSize;
    Sink m_sink;
    FFmpegPtr<AVFilterGraph> m_graph;
    AVFilterContext* m_source = nullptr;
    AVFilterContext* m_output = nullptr;
    FFmpegPtr<AVFrame> m_frame;
    int64_t m_fed = 0;
};
