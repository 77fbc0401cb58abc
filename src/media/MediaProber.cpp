// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/MediaProber.h"

#include "av/FFmpegPtr.h"
#include "media/MediaSource.h"

#include <QFileInfo>

extern "C" {
#include <libavcodec/codec_id.h>
#include <libavformat/avformat.h>
#include <libavutil/intreadwrite.h>
}

#include <algorithm>
#include <climits>

namespace {

bool isPcm(AVCodecID id)
{
    return id >= AV_CODEC_ID_FIRST_AUDIO && id < AV_CODEC_ID_ADPCM_IMA_QT;
}

struct Extent
{
    int64_t begin = 0;
    int64_t end = 0;
};

// First and last audible sample over every packet that can be read: exact for
// every container, and it stops at the last whole packet of a cut-off file.
Extent scanExtent(MediaSource& source)
{
    const FFmpegPtr<AVPacket> owned(av_packet_alloc());
    AVPacket* packet = owned.get();
    if (!packet)
        return {};
    const int frameSize = source.codecParameters()->frame_size;
    int64_t end = 0;
    int64_t begin = INT64_MAX;
    int64_t lastPts = AV_NOPTS_VALUE;
    int64_t lastDuration = 0;
    while (source.readPacket(packet)) {
        const int64_t pts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (pts != AV_NOPTS_VALUE) {
            const int64_t start = source.toSamples(pts);
            int64_t duration = packet->duration > 0 ? source.toSamples(packet->duration) : 0;
            if (duration == 0 && lastPts != AV_NOPTS_VALUE && start > lastPts)
                lastDuration = start - lastPts;
            if (duration == 0)
                duration = frameSize > 0 ? frameSize : lastDuration;
            lastPts = start;
            lastDuration = duration;
            // Encoder delay and padding that the decoder drops are no part of the length.
            size_t size = 0;
            const uint8_t* skip = av_packet_get_side_data(packet, AV_PKT_DATA_SKIP_SAMPLES, &size);
            int64_t audibleStart = start;
            int64_t audibleEnd = start + duration;
            if (skip && size >= 8) {
                audibleStart += AV_RL32(skip);
                audibleEnd -= AV_RL32(skip + 4);
            }
            begin = std::min(begin, audibleStart);
            end = std::max(end, audibleEnd);
        }
        av_packet_unref(packet);
    }
    if (begin == INT64_MAX)
        return {};
    begin = std::clamp<int64_t>(begin, 0, end);
    return {begin, end};
}

// A whole MP4 sample table describes every packet already: the length comes
// from it without reading the audio. Only when the table is complete and
// every sample lies inside the file; cut-off files are read.
bool lengthFromIndex(MediaSource& source, qint64 fileSize, Extent* extent, bool* readFirst)
{
    AVStream* stream = source.stream();
    const int entries = avformat_index_get_entries_count(stream);
    const AVIndexEntry* last =
        entries > 0 ? avformat_index_get_entry(stream, entries - 1) : nullptr;
    if (!last || last->pos + last->size > fileSize)
        return false;
    if (stream->nb_frames <= 0) {
        // Fragments (the recorder's own files): their tables were read at
        // open. Where the first packet marks no encoder delay to drop, the
        // file marks no padding either, and the sound runs from the first
        // frame to the end of the last.
        const AVIndexEntry* first = avformat_index_get_entry(stream, 0);
        const int frameSize = source.codecParameters()->frame_size;
        const FFmpegPtr<AVPacket> packet(av_packet_alloc());
        if (!first || frameSize <= 0 || !packet)
            return false;
        *readFirst = true;
        if (!source.readPacket(packet.get()) ||
            av_packet_get_side_data(packet.get(), AV_PKT_DATA_SKIP_SAMPLES, nullptr))
            return false;
        extent->begin = std::max<int64_t>(0, source.toSamples(first->timestamp));
        extent->end = source.toSamples(last->timestamp) + frameSize;
        return extent->end > extent->begin;
    }
    if (entries != stream->nb_frames || stream->duration <= 0)
        return false;
    const int64_t start =
        stream->start_time != AV_NOPTS_VALUE ? source.toSamples(stream->start_time) : 0;
    extent->begin = std::max<int64_t>(0, start);
    extent->end = extent->begin + source.toSamples(stream->duration);
    return true;
}

} // namespace

MediaInfoPtr MediaProber::probe(const QString& path, QString* error)
{
    MediaSource source;
    QString failure = source.open(path);
    auto info = std::make_shared<MediaInfo>();
    if (failure.isEmpty()) {
        const AVCodecParameters* par = source.codecParameters();
        const AVStream* stream = source.stream();
        info->path = path;
        info->codecId = par->codec_id;
        info->sampleRate = par->sample_rate;
        info->channels = par->ch_layout.nb_channels;
        if (par->extradata_size > 0)
            info->extradata =
                QByteArray(reinterpret_cast<const char*>(par->extradata), par->extradata_size);
        // Uncompressed data has an exact length in its header; reading a
        // large file through to measure it would only cost time.
        if (isPcm(par->codec_id) && stream->duration > 0)
            info->durationSamples = source.toSamples(stream->duration);
        else {
            Extent extent;
            bool readFirst = false;
            if (!lengthFromIndex(source, QFileInfo(path).size(), &extent, &readFirst)) {
                // The scan reads from the first packet.
                if (readFirst) {
                    source.close();
                    failure = source.open(path);
                }
                if (failure.isEmpty())
                    extent = scanExtent(source);
            }
            info->startSample = extent.begin;
            info->durationSamples = extent.end - extent.begin;
        }
        if (failure.isEmpty() && info->durationSamples <= 0)
            failure = QStringLiteral("The file holds no audio");
    }
    if (error)
        *error = failure;
    if (!failure.isEmpty())
        return nullptr;
    return info;
}

bool MediaProber::canOpen(const QString& path)
{
    MediaSource source;
    return source.open(path).isEmpty();
}

double MediaProber::fileDuration(const QString& path)
{
    const MediaInfoPtr info = probe(path);
    if (!info || info->sampleRate <= 0)
        return 0.0;
    return static_cast<double>(info->durationSamples) / info->sampleRate;
}
