// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/AacEncoderRun.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

#include <algorithm>

AacEncoderRun::AacEncoderRun(int sampleRate, int channels, int64_t bitRate)
    : m_rate(sampleRate), m_channels(channels), m_bitRate(bitRate), m_frame(av_frame_alloc()),
      m_packet(av_packet_alloc())
{
}

bool AacEncoderRun::open(Sink sink)
{
    m_sink = std::move(sink);
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!codec || !m_frame || !m_packet || m_rate <= 0 || m_channels <= 0)
        return false;
    m_encoder.reset(avcodec_alloc_context3(codec));
    if (!m_encoder)
        return false;
    m_encoder->sample_rate = m_rate;
    av_channel_layout_default(&m_encoder->ch_layout, m_channels);
    m_encoder->sample_fmt = AV_SAMPLE_FMT_FLTP;
    // The encoder's own limit is 6144 bits per channel and frame.
    m_encoder->bit_rate = std::min<int64_t>(m_bitRate, 6144LL * m_rate / kFrameSize * m_channels);
    m_encoder->time_base = AVRational{1, m_rate};
    m_encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(m_encoder.get(), codec, nullptr) < 0 ||
        (m_encoder->frame_size != 0 && m_encoder->frame_size != kFrameSize)) {
        m_encoder.reset();
        return false;
    }
    m_delay = m_encoder->initial_padding;
    AVFrame* frame = m_frame.get();
    frame->nb_samples = kFrameSize;
    frame->format = AV_SAMPLE_FMT_FLTP;
    frame->sample_rate = m_rate;
    if (av_channel_layout_copy(&frame->ch_layout, &m_encoder->ch_layout) < 0 ||
        av_frame_get_buffer(frame, 0) < 0) {
        m_encoder.reset();
        return false;
    }
    return true;
}

QByteArray AacEncoderRun::config() const
{
    if (!m_encoder || m_encoder->extradata_size <= 0)
        return {};
    return QByteArray(reinterpret_cast<const char*>(m_encoder->extradata),
                      m_encoder->extradata_size);
}

bool AacEncoderRun::feed(const float* samples, int64_t frames)
{
    if (!m_encoder)
        return false;
    m_fifo.insert(m_fifo.end(), samples, samples + frames * m_channels);
    return encodeFrames(false);
}

bool AacEncoderRun::finish()
{
    return m_encoder && encodeFrames(true) && send(nullptr);
}

bool AacEncoderRun::encodeFrames(bool flush)
{
    bool ok = true;
    while (ok) {
        const size_t available = (m_fifo.size() - m_fifoStart) / m_channels;
        if (available == 0 || (available < kFrameSize && !flush))
            break;
        const int count = static_cast<int>(std::min<size_t>(available, kFrameSize));
        // The frame's buffer is made once and used again; the encoder
        // copies what it keeps.
        AVFrame* frame = m_frame.get();
        frame->nb_samples = kFrameSize;
        if (av_frame_make_writable(frame) < 0)
            return false;
        frame->nb_samples = count;
        const float* in = m_fifo.data() + m_fifoStart;
        for (int c = 0; c < m_channels; ++c) {
            auto* plane = reinterpret_cast<float*>(frame->extended_data[c]);
            for (int i = 0; i < count; ++i)
                plane[i] = in[i * m_channels + c];
        }
        frame->pts = m_fed;
        m_fed += count;
        m_fifoStart += static_cast<size_t>(count) * m_channels;
        ok = send(frame);
    }
    // Drop what was used once it is a good part of the buffer.
    if (m_fifoStart > 0 && m_fifoStart * 2 >= m_fifo.size()) {
        m_fifo.erase(m_fifo.begin(), m_fifo.begin() + static_cast<std::ptrdiff_t>(m_fifoStart));
        m_fifoStart = 0;
    }
    return ok;
}

bool AacEncoderRun::send(AVFrame* frame)
{
    if (avcodec_send_frame(m_encoder.get(), frame) < 0)
        return false;
    AVPacket* packet = m_packet.get();
    for (;;) {
        const int rc = avcodec_receive_packet(m_encoder.get(), packet);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return true;
        if (rc < 0)
            return false;
        const bool ok = m_sink(packet->pts, packet->data, packet->size);
        av_packet_unref(packet);
        if (!ok)
            return false;
    }
}
