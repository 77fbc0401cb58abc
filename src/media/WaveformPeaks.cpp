// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/WaveformPeaks.h"

#include "av/FFmpegPtr.h"
#include "media/MediaSource.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <optional>
#include <string_view>
#include <system_error>
#include <unistd.h>

namespace {

// Shorter files are decoded on one thread.
constexpr int64_t kSplitSeconds = 60;
// A decoder started in the middle of a file gets its first frames wrong (it
// lacks the overlap of the transform before them): they are decoded and dropped.
constexpr size_t kWarmUpPackets = 2;
// Packets are read from the file in blocks, not one read each.
constexpr int64_t kBlockBytes = 1 << 20;

// The largest absolute sample of one decoded frame, over its channels.
float framePeak(const AVFrame* frame)
{
    const int channels = frame->ch_layout.nb_channels;
    const auto format = AVSampleFormat(frame->format);
    const bool planar = av_sample_fmt_is_planar(format);
    const int planes = planar ? channels : 1;
    const int count = planar ? frame->nb_samples : frame->nb_samples * channels;
    float peak = 0;
    for (int p = 0; p < planes; ++p) {
        const uint8_t* data = frame->extended_data[p];
        switch (av_get_packed_sample_fmt(format)) {
        case AV_SAMPLE_FMT_FLT:
            peak = std::max(
                peak, PeakEnvelope::peakOf(reinterpret_cast<const float*>(data), size_t(count)));
            break;
        case AV_SAMPLE_FMT_S16: {
            const auto* s = reinterpret_cast<const int16_t*>(data);
            int lo = 0, hi = 0;
            for (int i = 0; i < count; ++i) {
                lo = std::min<int>(lo, s[i]);
                hi = std::max<int>(hi, s[i]);
            }
            peak = std::max(peak, float(std::max(hi, -lo)) / 32768.0f);
            break;
        }
        case AV_SAMPLE_FMT_S32: {
            const auto* s = reinterpret_cast<const int32_t*>(data);
            int64_t lo = 0, hi = 0;
            for (int i = 0; i < count; ++i) {
                lo = std::min<int64_t>(lo, s[i]);
                hi = std::max<int64_t>(hi, s[i]);
            }
            peak = std::max(peak, float(std::max(hi, -lo)) / 2147483648.0f);
            break;
        }
        case AV_SAMPLE_FMT_DBL: {
            const auto* s = reinterpret_cast<const double*>(data);
            for (int i = 0; i < count; ++i)
                peak = std::max(peak, float(std::abs(s[i])));
            break;
        }
        default: { // unsigned 8 bit
            for (int i = 0; i < count; ++i)
                peak = std::max(peak, std::abs(float(data[i]) - 128.0f) / 128.0f);
            break;
        }
        }
    }
    return std::isfinite(peak) ? std::min(peak, 1.0f) : 1.0f;
}

// A decoder whose frames go into an envelope, each from the sample `from`
// on (frames carry their position when their packets do).
class EnvelopeDecoder
{
public:
    EnvelopeDecoder(const AVCodecParameters* parameters, AVRational timeBase, int64_t from)
        : m_timeBase(timeBase), m_from(from), m_packet(av_packet_alloc()), m_frame(av_frame_alloc())
    {
        const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
        m_decoder.reset(codec ? avcodec_alloc_context3(codec) : nullptr);
        if (!m_decoder || avcodec_parameters_to_context(m_decoder.get(), parameters) < 0 ||
            avcodec_open2(m_decoder.get(), codec, nullptr) < 0)
            m_decoder.reset();
    }

    bool ok() const { return m_decoder && m_packet && m_frame; }
    AVPacket* packet() const { return m_packet.get(); }
    PeakEnvelope& envelope() { return m_envelope; }

    // The packet, or null at the end. A damaged packet is skipped; the
    // envelope goes on past it.
    void decode(const AVPacket* packet)
    {
        if (avcodec_send_packet(m_decoder.get(), packet) != 0)
            return;
        while (avcodec_receive_frame(m_decoder.get(), m_frame.get()) == 0) {
            int64_t length = m_frame->nb_samples;
            if (m_frame->pts != AV_NOPTS_VALUE) {
                const int64_t at =
                    av_rescale_q(m_frame->pts, m_timeBase, AVRational{1, m_frame->sample_rate});
                // Unsigned, because the distance from INT64_MIN ("from the
                // start") or from a damaged time may not fit a signed one.
                if (at < m_from)
                    length -= static_cast<int64_t>(std::min<uint64_t>(
                        static_cast<uint64_t>(m_from) - static_cast<uint64_t>(at),
                        static_cast<uint64_t>(length)));
            }
            if (length > 0)
                m_envelope.add(framePeak(m_frame.get()), length);
            av_frame_unref(m_frame.get());
        }
    }

private:
    AVRational m_timeBase;
    int64_t m_from;
    FFmpegPtr<AVCodecContext> m_decoder;
    FFmpegPtr<AVPacket> m_packet;
    FFmpegPtr<AVFrame> m_frame;
    PeakEnvelope m_envelope;
};

// Where a packet lies in the file and when it plays.
struct PacketEntry
{
    int64_t offset;
    int32_t size;
    int64_t timestamp;
};

// Every packet of an MPEG-4 file from the demuxer's tables, in playing
// order; empty when the tables do not hold each one inside the file.
std::vector<PacketEntry> packetTable(const MediaSource& source, const QString& path)
{
    if (std::string_view(source.format()->iformat->name).find("mp4") == std::string_view::npos)
        return {};
    AVStream* stream = source.stream();
    const int entries = avformat_index_get_entries_count(stream);
    const int64_t fileSize = QFileInfo(path).size();
    std::vector<PacketEntry> table;
    table.reserve(size_t(std::max(0, entries)));
    for (int i = 0; i < entries; ++i) {
        const AVIndexEntry* entry = avformat_index_get_entry(stream, i);
        if (!entry || entry->pos < 0 || entry->size <= 0 || entry->pos + entry->size > fileSize ||
            (!table.empty() && entry->timestamp <= table.back().timestamp))
            return {};
        table.push_back({entry->pos, entry->size, entry->timestamp});
    }
    return table;
}

// Reads packets by their place in the file, a block at a time, into a
// packet buffer that is used again once the decoder has let go of it.
class PacketReader
{
public:
    explicit PacketReader(const QString& path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC))
    {
    }
    ~PacketReader()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    PacketReader(const PacketReader&) = delete;
    PacketReader& operator=(const PacketReader&) = delete;

    bool read(const PacketEntry& entry, AVPacket* packet)
    {
        if (entry.offset < m_start || entry.offset + entry.size > m_start + m_filled) {
            m_block.resize(size_t(std::max<int64_t>(kBlockBytes, entry.size)));
            const ssize_t got =
                m_fd < 0 ? -1 : ::pread(m_fd, m_block.data(), m_block.size(), entry.offset);
            if (got < entry.size)
                return false;
            m_start = entry.offset;
            m_filled = got;
        }
        if (!packet->buf || !av_buffer_is_writable(packet->buf) ||
            packet->buf->size < size_t(entry.size) + AV_INPUT_BUFFER_PADDING_SIZE) {
            av_packet_unref(packet);
            if (av_new_packet(packet, std::max(entry.size, 4096)) < 0)
                return false;
        }
        packet->data = packet->buf->data;
        packet->size = entry.size;
        std::memcpy(packet->data, m_block.data() + (entry.offset - m_start), size_t(entry.size));
        std::memset(packet->data + entry.size, 0, AV_INPUT_BUFFER_PADDING_SIZE);
        packet->pts = packet->dts = entry.timestamp;
        return true;
    }

private:
    int m_fd;
    std::vector<uint8_t> m_block;
    int64_t m_start = 0;
    int64_t m_filled = 0;
};

bool cancelled(const std::atomic<bool>* cancel)
{
    return cancel && cancel->load(std::memory_order_relaxed);
}

// Packets [first, last) of the table decoded into an envelope that starts at
// the sample `from`; those before keep the decoder warm.
std::optional<PeakEnvelope> decodeRange(const MediaSource& source, const QString& path,
                                        const std::vector<PacketEntry>& table, size_t first,
                                        size_t last, int64_t from, const std::atomic<bool>* cancel)
{
    EnvelopeDecoder decoder(source.codecParameters(), source.stream()->time_base, from);
    PacketReader reader(path);
    if (!decoder.ok())
        return std::nullopt;
    decoder.envelope().reserve(last - first);
    for (size_t i = first; i < last; ++i) {
        if (cancelled(cancel))
            return std::nullopt;
        if (reader.read(table[i], decoder.packet()))
            decoder.decode(decoder.packet());
    }
    decoder.decode(nullptr);
    return std::move(decoder.envelope());
}

} // namespace

PeakEnvelope WaveformPeaks::measure(const QString& path, const std::atomic<bool>* cancel,
                                    int threads)
{
    MediaSource source;
    if (!source.open(path).isEmpty())
        return {};
    const std::vector<PacketEntry> table = packetTable(source, path);
    if (table.empty()) {
        // Any other format through its demuxer, whose packets carry what the
        // decoder is to drop at the start.
        EnvelopeDecoder decoder(source.codecParameters(), source.stream()->time_base, INT64_MIN);
        if (!decoder.ok())
            return {};
        while (source.readPacket(decoder.packet())) {
            if (cancelled(cancel))
                return {};
            decoder.decode(decoder.packet());
            av_packet_unref(decoder.packet());
        }
        decoder.decode(nullptr);
        return std::move(decoder.envelope());
    }

    // The sound before the first sample (the encoder's delay that the file
    // marks) is decoded but not kept, as the demuxer would have it.
    const auto toSamples = [&](int64_t timestamp) { return source.toSamples(timestamp); };
    const int64_t start = std::max<int64_t>(0, toSamples(table.front().timestamp));
    const size_t middle = table.size() / 2;
    const bool split =
        threads >= 2 && middle > kWarmUpPackets &&
        toSamples(table.back().timestamp) - start >= kSplitSeconds * source.sampleRate();
    // The padding after the sound, where the file marks it, is no part of it either.
    const int64_t duration = source.stream()->duration;
    const int64_t length = duration > 0 ? source.toSamples(duration) : 0;
    const auto ended = [length](PeakEnvelope& envelope) -> PeakEnvelope {
        if (length > 0 && envelope.length() > length)
            envelope.setLength(length);
        return std::move(envelope);
    };
    if (!split) {
        std::optional<PeakEnvelope> whole =
            decodeRange(source, path, table, 0, table.size(), start, cancel);
        return whole ? ended(*whole) : PeakEnvelope();
    }
    // Two halves on two cores; the second starts a few packets early.
    const int64_t secondFrom = toSamples(table[middle].timestamp);
    const auto second = [&] {
        return decodeRange(source, path, table, middle - kWarmUpPackets, table.size(), secondFrom,
                           cancel);
    };
    std::future<std::optional<PeakEnvelope>> later;
    try {
        later = std::async(std::launch::async, second);
    } catch (const std::system_error&) {
    }
    std::optional<PeakEnvelope> first = decodeRange(source, path, table, 0, middle, start, cancel);
    std::optional<PeakEnvelope> rest = later.valid() ? later.get() : second();
    if (!first || !rest)
        return {};
    first->append(*rest);
    return ended(*first);
}

PeakEnvelope WaveformPeaks::measureRange(const QString& path, int64_t from, int64_t to)
{
    MediaSource source;
    if (from < 0 || to <= from || !source.open(path).isEmpty())
        return {};
    const std::vector<PacketEntry> table = packetTable(source, path);
    const auto after = std::upper_bound(table.begin(), table.end(), from,
                                        [&](int64_t sample, const PacketEntry& entry) {
                                            return sample < source.toSamples(entry.timestamp);
                                        });
    // The packet that holds the first sample, and the decoder warmed up before it.
    const size_t first = size_t(
        std::max<std::ptrdiff_t>(0, after - table.begin() - 1 - std::ptrdiff_t(kWarmUpPackets)));
    size_t last = first;
    while (last < table.size() && source.toSamples(table[last].timestamp) < to)
        ++last;
    std::optional<PeakEnvelope> range =
        decodeRange(source, path, table, first, last, from, nullptr);
    if (!range || range->length() < to - from)
        return {};
    range->setLength(to - from);
    return std::move(*range);
}

std::vector<float> WaveformPeaks::compute(const QString& path, const std::atomic<bool>* cancel)
{
    return measure(path, cancel).buckets(kBuckets);
}

std::vector<float> WaveformPeaks::columns(const std::vector<float>& peaks, int count)
{
    std::vector<float> out(size_t(std::max(0, count)), 0.0f);
    if (peaks.empty() || count <= 0)
        return out;
    const size_t n = peaks.size();
    for (int c = 0; c < count; ++c) {
        const size_t first = size_t(c) * n / size_t(count);
        const size_t last = std::max(first + 1, (size_t(c) + 1) * n / size_t(count));
        out[size_t(c)] = *std::max_element(peaks.begin() + qsizetype(first),
                                           peaks.begin() + qsizetype(std::min(last, n)));
    }
    return out;
}
