// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "av/FFmpegPtr.h"

#include <QByteArray>
#include <cstdint>
#include <functional>
#include <vector>

// FFmpeg's AAC encoder fed interleaved float samples. Each packet it gives
// out carries the position of the frame it decodes to, counted in the
// samples fed since open(): the first packets (the encoder's delay) lie
// before 0. One thread at a time.
class AacEncoderRun
{
public:
    static constexpr int kFrameSize = 1024;

    // Receives each packet in order; answering false stops the run.
    using Sink = std::function<bool(int64_t position, const uint8_t* data, int size)>;

    AacEncoderRun(int sampleRate, int channels, int64_t bitRate);
    AacEncoderRun(const AacEncoderRun&) = delete;
    AacEncoderRun& operator=(const AacEncoderRun&) = delete;

    // False when the encoder refuses the format.
    bool open(Sink sink);
    // The AudioSpecificConfig of the packets.
    QByteArray config() const;
    // How many samples before 0 the first packet's frame begins.
    int delay() const { return m_delay; }

    bool feed(const float* samples, int64_t frames);
    // Encodes what is left, padded to a whole frame, and drains the encoder.
    bool finish();

private:
    bool encodeFrames(bool flush);
    bool send(AVFrame* frame);

    int m_rate;
    int m_channels;
    int64_t m_bitRate;
    int m_delay = 0;
    Sink m_sink;
    FFmpegPtr<AVCodecContext> m_encoder;
    FFmpegPtr<AVFrame> m_frame;
    FFmpegPtr<AVPacket> m_packet;
    std::vector<float> m_fifo; // interleaved samples waiting for a whole frame
    size_t m_fifoStart = 0;
    int64_t m_fed = 0;
};
