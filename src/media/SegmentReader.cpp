// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/SegmentReader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstring>

namespace {

// Decoding starts this long before a cut so the decoder has settled
// (overlapping transforms, MP3 bit reservoir) by the first wanted sample.
constexpr int kPrerollDivisor = 10;
// A segment whose decoded length misses its measured length by no more than
// this is padded or cut to the exact length; rounding in the resampler.
constexpr int64_t kLengthSlack = 4096;

} // namespace

SegmentReader::SegmentReader(std::vector<MovieSegment> segments, int rate, int channels)
    : m_segments(std::move(segments)), m_rate(rate), m_channels(channels),
      m_packet(av_packet_alloc()), m_frame(av_frame_alloc())
{
    m_segment = m_segments.size();
}

SegmentReader::~SegmentReader() = default;

int64_t SegmentReader::segmentOutputLength(const MovieSegment& segment) const
{
    return av_rescale(segment.length, m_rate, segment.source->sampleRate);
}

int64_t SegmentReader::length() const
{
    int64_t total = 0;
    for (const MovieSegment& segment : m_segments)
        total += segmentOutputLength(segment);
    return total;
}

bool SegmentReader::seek(int64_t sample)
{
    m_pending.clear();
    m_pendingPos = 0;
    m_error.clear();
    int64_t offset = std::max<int64_t>(0, sample);
    for (size_t i = 0; i < m_segments.size(); ++i) {
        const int64_t length = segmentOutputLength(m_segments[i]);
        if (offset < length)
            return openSegment(i, offset);
        offset -= length;
    }
    closeSegment();
    m_segment = m_segments.size();
    return true;
}

void SegmentReader::closeSegment()
{
    m_decoder.reset();
    m_resampler.reset();
    m_source.close();
}

bool SegmentReader::openSegment(size_t index, int64_t outputOffset)
{
    closeSegment();
    m_segment = index;
    const MovieSegment& segment = m_segments[index];
    const int sourceRate = segment.source->sampleRate;
    const int64_t sourceOffset = av_rescale(outputOffset, sourceRate, m_rate);
    m_skipSource = segment.start + sourceOffset;
    m_sourceLeft = segment.length - sourceOffset;
    m_outputLeft = segmentOutputLength(segment) - outputOffset;
    m_inputDone = false;

    if (!m_packet || !m_frame) {
        m_error = QStringLiteral("Out of memory");
        return false;
    }
    m_error = m_source.open(segment.source->path);
    if (!m_error.isEmpty())
        return false;
    const AVCodec* codec = avcodec_find_decoder(m_source.codecParameters()->codec_id);
    m_decoder.reset(codec ? avcodec_alloc_context3(codec) : nullptr);
    if (!m_decoder ||
        avcodec_parameters_to_context(m_decoder.get(), m_source.codecParameters()) < 0) {
        m_error = QStringLiteral("The audio format is not supported");
        return false;
    }
    m_decoder->pkt_timebase = m_source.stream()->time_base;
    if (avcodec_open2(m_decoder.get(), codec, nullptr) < 0) {
        m_error = QStringLiteral("The audio format is not supported");
        return false;
    }
    const int64_t from = m_skipSource - sourceRate / kPrerollDivisor;
    if (!m_source.seekToSample(std::max<int64_t>(0, from))) {
        m_error = QStringLiteral("The file is damaged");
        return false;
    }
    m_nextSource = 0;
    return true;
}

void SegmentReader::convertFrame(AVFrame* frame)
{
    int64_t position = m_nextSource;
    if (frame->best_effort_timestamp != AV_NOPTS_VALUE)
        position = m_source.toSamples(frame->best_effort_timestamp);
    const int64_t count = frame->nb_samples;
    m_nextSource = position + count;

    const int64_t head = std::clamp<int64_t>(m_skipSource - position, 0, count);
    const int64_t keep = std::min(count - head, m_sourceLeft);
    if (keep <= 0) {
        if (position >= m_skipSource && m_sourceLeft <= 0)
            m_inputDone = true;
        return;
    }
    if (!m_resampler) {
        AVChannelLayout in{};
        if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || frame->ch_layout.nb_channels <= 0)
            av_channel_layout_default(&in, std::max(1, frame->ch_layout.nb_channels));
        else
            av_channel_layout_copy(&in, &frame->ch_layout);
        AVChannelLayout out{};
        av_channel_layout_default(&out, m_channels);
        SwrContext* resampler = nullptr;
        const int rc = swr_alloc_set_opts2(&resampler, &out, AV_SAMPLE_FMT_FLT, m_rate, &in,
                                           static_cast<AVSampleFormat>(frame->format),
                                           frame->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&in);
        av_channel_layout_uninit(&out);
        m_resampler.reset(resampler);
        if (rc < 0 || swr_init(m_resampler.get()) < 0) {
            m_resampler.reset();
            m_error = QStringLiteral("The audio format is not supported");
            m_inputDone = true;
            return;
        }
    }
    const auto format = static_cast<AVSampleFormat>(frame->format);
    const int bytes = av_get_bytes_per_sample(format);
    const int inChannels = frame->ch_layout.nb_channels;
    const uint8_t* planes[AV_NUM_DATA_POINTERS] = {};
    if (av_sample_fmt_is_planar(format)) {
        for (int c = 0; c < inChannels && c < AV_NUM_DATA_POINTERS; ++c)
            planes[c] = frame->extended_data[c] + head * bytes;
    } else {
        planes[0] = frame->extended_data[0] + head * bytes * inChannels;
    }
    m_sourceLeft -= keep;
    m_skipSource = std::max(m_skipSource, position + head + keep);

    const int capacity = swr_get_out_samples(m_resampler.get(), static_cast<int>(keep));
    const size_t base = m_pending.size();
    m_pending.resize(base + static_cast<size_t>(std::max(0, capacity)) * m_channels);
    uint8_t* out = reinterpret_cast<uint8_t*>(m_pending.data() + base);
    const int made = swr_convert(m_resampler.get(), &out, capacity, planes, static_cast<int>(keep));
    takeOutput(base, made);
    if (m_sourceLeft <= 0)
        m_inputDone = true;
}

void SegmentReader::flushResampler()
{
    if (m_resampler) {
        const int capacity = swr_get_out_samples(m_resampler.get(), 0);
        if (capacity > 0) {
            const size_t base = m_pending.size();
            m_pending.resize(base + static_cast<size_t>(capacity) * m_channels);
            uint8_t* out = reinterpret_cast<uint8_t*>(m_pending.data() + base);
            const int made = swr_convert(m_resampler.get(), &out, capacity, nullptr, 0);
            takeOutput(base, made);
        }
    }
    // Hold the segment to its measured length so later segments keep their place.
    if (m_outputLeft > 0 && m_outputLeft <= kLengthSlack)
        m_pending.resize(m_pending.size() + static_cast<size_t>(m_outputLeft) * m_channels, 0.0f);
    m_outputLeft = 0;
}

void SegmentReader::takeOutput(size_t base, int made)
{
    const int64_t kept = std::clamp<int64_t>(made, 0, m_outputLeft);
    m_pending.resize(base + static_cast<size_t>(kept) * m_channels);
    m_outputLeft -= kept;
}

bool SegmentReader::decodeMore()
{
    if (!m_decoder)
        return false;
    bool draining = false;
    while (!m_inputDone) {
        if (!draining) {
            if (m_source.readPacket(m_packet.get())) {
                const int rc = avcodec_send_packet(m_decoder.get(), m_packet.get());
                av_packet_unref(m_packet.get());
                if (rc < 0 && rc != AVERROR(EAGAIN))
                    continue; // a damaged packet: skip it, the timestamps keep the place
            } else {
                avcodec_send_packet(m_decoder.get(), nullptr);
                draining = true;
            }
        }
        bool gotFrame = false;
        for (;;) {
            const int rc = avcodec_receive_frame(m_decoder.get(), m_frame.get());
            if (rc < 0) {
                if (rc == AVERROR_EOF)
                    m_inputDone = true;
                break;
            }
            convertFrame(m_frame.get());
            av_frame_unref(m_frame.get());
            gotFrame = true;
            if (m_inputDone)
                break;
        }
        if (gotFrame && m_pending.size() > m_pendingPos)
            break;
        // A decoder that neither gives frames nor ends after the flush is done with.
        if (draining && !gotFrame)
            m_inputDone = true;
    }
    if (m_inputDone) {
        flushResampler();
        closeSegment();
    }
    return true;
}

int64_t SegmentReader::read(float* out, int64_t maxFrames)
{
    int64_t done = 0;
    while (done < maxFrames) {
        const size_t available = (m_pending.size() - m_pendingPos) / m_channels;
        if (available > 0) {
            const int64_t take =
                std::min<int64_t>(maxFrames - done, static_cast<int64_t>(available));
            std::memcpy(out + done * m_channels, m_pending.data() + m_pendingPos,
                        sizeof(float) * static_cast<size_t>(take * m_channels));
            m_pendingPos += static_cast<size_t>(take * m_channels);
            done += take;
            if (m_pendingPos == m_pending.size()) {
                m_pending.clear();
                m_pendingPos = 0;
            }
            continue;
        }
        if (m_segment >= m_segments.size())
            break;
        if (m_decoder) {
            decodeMore();
            continue;
        }
        if (m_segment + 1 >= m_segments.size() || !m_error.isEmpty()) {
            m_segment = m_segments.size();
            break;
        }
        if (!openSegment(m_segment + 1, 0))
            break;
    }
    return done;
}
