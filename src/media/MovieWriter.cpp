// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/MovieWriter.h"

#include "media/MediaSource.h"
#include "media/SaveFileIO.h"
#include "media/SegmentReader.h"

#include <QFileInfo>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

#include <algorithm>

namespace {

constexpr int kBitRatePerChannel = 64000;
constexpr int64_t kReadChunk = 4096;

QString sameFile(const QString& a, const QString& b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath() ? ca : QString();
}

} // namespace

MovieWriter::MovieWriter(std::vector<MovieSegment> segments, int sampleRate, int channels)
    : m_segments(std::move(segments)), m_rate(sampleRate), m_channels(channels),
      m_held(av_packet_alloc())
{
}

QString MovieWriter::write(const QString& destination)
{
    if (m_segments.empty() || m_rate <= 0 || m_channels <= 0)
        return QStringLiteral("There is no audio to write");
    for (const MovieSegment& segment : m_segments) {
        if (!segment.source || segment.length <= 0 || segment.source->sampleRate <= 0)
            return QStringLiteral("There is no audio to write");
        if (!sameFile(segment.source->path, destination).isEmpty())
            return QStringLiteral("A file cannot be written over one of its sources");
        m_total += av_rescale(segment.length, m_rate, segment.source->sampleRate);
    }
    SaveFileIO file(destination);
    AVIOContext* io = file.open();
    // The destination is often a temporary name, so the container is named, not guessed.
    AVFormatContext* format = nullptr;
    if (!io || !m_held || avformat_alloc_output_context2(&format, nullptr, "ipod", nullptr) < 0)
        return QStringLiteral("Unable to create the file");
    m_format.reset(format);
    m_format->pb = io;
    m_error = writeSegments();
    if (m_error.isEmpty() && !file.commit())
        m_error = QStringLiteral("Unable to write the file");
    m_format.reset();
    return m_error;
}

QString MovieWriter::writeSegments()
{
    m_stream = avformat_new_stream(m_format.get(), nullptr);
    if (!m_stream)
        return QStringLiteral("Unable to create the file");
    const MediaInfo& first = *m_segments.front().source;
    if (m_copyAllowed && first.codecId == AV_CODEC_ID_AAC && first.sampleRate == m_rate &&
        first.channels == m_channels) {
        MediaSource source;
        const QString error = source.open(first.path);
        if (!error.isEmpty())
            return error;
        if (avcodec_parameters_copy(m_stream->codecpar, source.codecParameters()) < 0)
            return QStringLiteral("Unable to create the file");
        m_stream->codecpar->codec_tag = 0;
    } else {
        if (!openEncoder())
            return QStringLiteral("Unable to start the AAC encoder");
        if (avcodec_parameters_from_context(m_stream->codecpar, m_encoder.get()) < 0)
            return QStringLiteral("Unable to create the file");
    }
    m_output.codecId = m_stream->codecpar->codec_id;
    m_output.sampleRate = m_rate;
    m_output.channels = m_channels;
    m_output.extradata = QByteArray(reinterpret_cast<const char*>(m_stream->codecpar->extradata),
                                    m_stream->codecpar->extradata_size);
    m_stream->time_base = AVRational{1, m_rate};
    if (avformat_write_header(m_format.get(), nullptr) < 0)
        return QStringLiteral("Unable to write the file");

    for (const MovieSegment& segment : m_segments) {
        const bool copy = m_copyAllowed && MediaInfo::packetCompatible(*segment.source, m_output);
        const bool ok = copy ? (finishEncoder() && copySegment(segment)) : encodeSegment(segment);
        if (!ok)
            return m_error.isEmpty() ? QStringLiteral("Unable to write the file") : m_error;
    }
    if (!finishEncoder() || !writeHeld(AV_NOPTS_VALUE))
        return m_error.isEmpty() ? QStringLiteral("Unable to write the file") : m_error;
    if (av_write_trailer(m_format.get()) < 0)
        return QStringLiteral("Unable to write the file");
    return {};
}

bool MovieWriter::openEncoder()
{
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!codec)
        return false;
    m_encoder.reset(avcodec_alloc_context3(codec));
    if (!m_encoder)
        return false;
    m_encoder->sample_rate = m_rate;
    av_channel_layout_default(&m_encoder->ch_layout, m_channels);
    m_encoder->sample_fmt = AV_SAMPLE_FMT_FLTP;
    m_encoder->bit_rate = static_cast<int64_t>(kBitRatePerChannel) * m_channels;
    m_encoder->time_base = AVRational{1, m_rate};
    m_encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(m_encoder.get(), codec, nullptr) < 0) {
        m_encoder.reset();
        return false;
    }
    m_runStart = m_cursor;
    m_runAtStart = !m_wroteAny;
    m_encoderFed = 0;
    m_fifo.clear();
    return true;
}

bool MovieWriter::copySegment(const MovieSegment& segment)
{
    MediaSource source;
    m_error = source.open(segment.source->path);
    if (!m_error.isEmpty() || !source.seekToSample(segment.start))
        return false;
    const int64_t from = segment.start;
    const int64_t to = segment.start + segment.length;
    const int frameSize =
        source.codecParameters()->frame_size > 0 ? source.codecParameters()->frame_size : 1024;
    // Pre-roll packets (encoder delay) are kept only at the head of the output,
    // where the container's edit list hides them again.
    const bool keepPreroll = !m_wroteAny && from <= segment.source->startSample;
    const FFmpegPtr<AVPacket> owned(av_packet_alloc());
    AVPacket* packet = owned.get();
    bool ok = packet != nullptr;
    bool first = true;
    while (ok && source.readPacket(packet)) {
        const int64_t ts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (ts == AV_NOPTS_VALUE) {
            av_packet_unref(packet);
            continue;
        }
        const int64_t start = source.toSamples(ts);
        const int64_t duration =
            packet->duration > 0 ? source.toSamples(packet->duration) : frameSize;
        if (start >= to) {
            av_packet_unref(packet);
            break;
        }
        const bool wanted = start + duration > from || (keepPreroll && start < 0);
        if (wanted) {
            if (first && keepPreroll && start < 0)
                m_cursor = start;
            first = false;
            av_packet_free_side_data(packet);
            ok = emitPacket(packet, m_cursor, duration);
            // The decoder gives a whole frame for a source's short last packet;
            // mid-file the time line counts it whole too, so positions match what is heard.
            m_cursor += std::max<int64_t>(duration, frameSize);
        }
        av_packet_unref(packet);
    }
    return ok;
}

bool MovieWriter::encodeSegment(const MovieSegment& segment)
{
    if (!m_encoder && !openEncoder()) {
        m_error = QStringLiteral("Unable to start the AAC encoder");
        return false;
    }
    SegmentReader reader({segment}, m_rate, m_channels);
    if (!reader.seek(0)) {
        m_error = reader.error();
        return false;
    }
    std::vector<float> chunk(static_cast<size_t>(kReadChunk * m_channels));
    for (;;) {
        const int64_t got = reader.read(chunk.data(), kReadChunk);
        if (got <= 0)
            break;
        m_fifo.insert(m_fifo.end(), chunk.begin(), chunk.begin() + got * m_channels);
        if (!encodeFrames(false))
            return false;
    }
    if (!reader.error().isEmpty()) {
        m_error = reader.error();
        return false;
    }
    return true;
}

bool MovieWriter::encodeFrames(bool flush)
{
    const int frameSize = m_encoder->frame_size > 0 ? m_encoder->frame_size : 1024;
    size_t offset = 0;
    const FFmpegPtr<AVFrame> owned(av_frame_alloc());
    AVFrame* frame = owned.get();
    bool ok = frame != nullptr;
    while (ok) {
        const size_t available = (m_fifo.size() - offset) / m_channels;
        if (available == 0 || (available < static_cast<size_t>(frameSize) && !flush))
            break;
        const int count = static_cast<int>(std::min<size_t>(available, frameSize));
        frame->nb_samples = count;
        frame->format = AV_SAMPLE_FMT_FLTP;
        frame->sample_rate = m_rate;
        if (av_channel_layout_copy(&frame->ch_layout, &m_encoder->ch_layout) < 0 ||
            av_frame_get_buffer(frame, 0) < 0) {
            ok = false;
            break;
        }
        const float* in = m_fifo.data() + offset;
        for (int c = 0; c < m_channels; ++c) {
            auto* plane = reinterpret_cast<float*>(frame->extended_data[c]);
            for (int i = 0; i < count; ++i)
                plane[i] = in[i * m_channels + c];
        }
        frame->pts = m_encoderFed;
        m_encoderFed += count;
        offset += static_cast<size_t>(count) * m_channels;
        ok = sendEncoded(frame);
        av_frame_unref(frame);
    }
    m_fifo.erase(m_fifo.begin(), m_fifo.begin() + static_cast<std::ptrdiff_t>(offset));
    return ok;
}

bool MovieWriter::sendEncoded(AVFrame* frame)
{
    if (avcodec_send_frame(m_encoder.get(), frame) < 0)
        return false;
    const FFmpegPtr<AVPacket> owned(av_packet_alloc());
    AVPacket* packet = owned.get();
    bool ok = packet != nullptr;
    while (ok && avcodec_receive_packet(m_encoder.get(), packet) >= 0) {
        // The encoder's own delay is dropped mid-file; the head of the file
        // keeps it for the container's edit list to hide.
        if (packet->pts >= 0 || m_runAtStart) {
            const int64_t pts = m_runStart + packet->pts;
            ok = emitPacket(packet, pts, packet->duration);
            m_cursor = std::max(m_cursor, pts + packet->duration);
        }
        av_packet_unref(packet);
    }
    return ok;
}

bool MovieWriter::finishEncoder()
{
    if (!m_encoder)
        return true;
    bool ok = encodeFrames(true) && sendEncoded(nullptr);
    m_cursor = m_runStart + m_encoderFed;
    m_encoder.reset();
    return ok;
}

bool MovieWriter::emitPacket(AVPacket* packet, int64_t pts, int64_t duration)
{
    // Each packet is held until the next one is known, so packets that were the
    // short last frame of a source get a whole frame's length mid-file.
    if (m_haveHeld && !writeHeld(pts))
        return false;
    av_packet_unref(m_held.get());
    if (av_packet_ref(m_held.get(), packet) < 0)
        return false;
    m_held->pts = m_held->dts = pts;
    m_held->duration = duration;
    m_held->stream_index = 0;
    m_haveHeld = true;
    m_wroteAny = true;
    return true;
}

bool MovieWriter::writeHeld(int64_t nextPts)
{
    if (!m_haveHeld)
        return true;
    m_haveHeld = false;
    if (nextPts != AV_NOPTS_VALUE && nextPts > m_held->pts)
        m_held->duration = nextPts - m_held->pts;
    av_packet_rescale_ts(m_held.get(), AVRational{1, m_rate}, m_stream->time_base);
    if (av_write_frame(m_format.get(), m_held.get()) < 0) {
        m_error = QStringLiteral("Unable to write the file");
        return false;
    }
    av_packet_unref(m_held.get());
    return reportProgress();
}

bool MovieWriter::reportProgress()
{
    if (!m_progress || m_total <= 0)
        return true;
    const double fraction = std::clamp(static_cast<double>(m_cursor) / m_total, 0.0, 1.0);
    if (fraction - m_reported < 0.01 && fraction < 1.0)
        return true;
    m_reported = fraction;
    if (!m_progress(fraction)) {
        m_error = QStringLiteral("The operation was cancelled");
        return false;
    }
    return true;
}
