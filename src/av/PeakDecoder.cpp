// SPDX-License-Identifier: GPL-3.0-or-later
#include "av/PeakDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <algorithm>
#include <cstring>

bool PeakDecoder::open(int sampleRate, int channels, const uint8_t* config, int configSize)
{
    m_envelope.clear();
    m_failed = false;
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_AAC);
    m_decoder.reset(codec ? avcodec_alloc_context3(codec) : nullptr);
    m_packet.reset(av_packet_alloc());
    m_frame.reset(av_frame_alloc());
    if (!m_decoder || !m_packet || !m_frame || configSize < 0)
        return false;
    m_decoder->sample_rate = sampleRate;
    av_channel_layout_default(&m_decoder->ch_layout, channels);
    if (configSize > 0) {
        m_decoder->extradata =
            static_cast<uint8_t*>(av_mallocz(size_t(configSize) + AV_INPUT_BUFFER_PADDING_SIZE));
        if (!m_decoder->extradata)
            return false;
        std::memcpy(m_decoder->extradata, config, size_t(configSize));
        m_decoder->extradata_size = configSize;
    }
    if (avcodec_open2(m_decoder.get(), codec, nullptr) < 0) {
        m_decoder.reset();
        return false;
    }
    return true;
}

void PeakDecoder::decode(const uint8_t* data, int size)
{
    if (!m_decoder || m_failed)
        return;
    if (data) {
        // The packet's buffer is used again once the decoder has let go of it.
        if (!m_packet->buf || !av_buffer_is_writable(m_packet->buf) ||
            m_packet->buf->size < size_t(size) + AV_INPUT_BUFFER_PADDING_SIZE) {
            av_packet_unref(m_packet.get());
            if (av_new_packet(m_packet.get(), std::max(size, 4096)) < 0) {
                m_failed = true;
                return;
            }
        }
        m_packet->data = m_packet->buf->data;
        m_packet->size = size;
        std::memcpy(m_packet->data, data, size_t(size));
        std::memset(m_packet->data + size, 0, AV_INPUT_BUFFER_PADDING_SIZE);
    }
    if (avcodec_send_packet(m_decoder.get(), data ? m_packet.get() : nullptr) < 0) {
        m_failed = data != nullptr;
        return;
    }
    while (avcodec_receive_frame(m_decoder.get(), m_frame.get()) == 0) {
        float peak = 0;
        if (m_frame->format != AV_SAMPLE_FMT_FLTP)
            m_failed = true;
        for (int c = 0; c < m_frame->ch_layout.nb_channels && !m_failed; ++c)
            peak = std::max(peak,
                            PeakEnvelope::peakOf(reinterpret_cast<const float*>(m_frame->data[c]),
                                                 size_t(m_frame->nb_samples)));
        m_envelope.add(peak, m_frame->nb_samples);
        av_frame_unref(m_frame.get());
    }
}

PeakEnvelope PeakDecoder::take()
{
    PeakEnvelope envelope = std::move(m_envelope);
    m_envelope.clear();
    if (m_failed || !m_decoder)
        envelope.clear();
    return envelope;
}
