// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/SourcePackets.h"

#include "media/MediaSource.h"

#include <QFile>
#include <QFileInfo>

extern "C" {
#include <libavcodec/codec_id.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <sys/stat.h>

SourcePackets SourcePackets::read(const MediaInfo& info)
{
    SourcePackets result;
    if (info.codecId != AV_CODEC_ID_AAC || info.sampleRate <= 0)
        return result;
    MediaSource source;
    if (!source.open(info.path).isEmpty() ||
        std::string_view(source.format()->iformat->name).find("mp4") == std::string_view::npos)
        return result;
    AVStream* stream = source.stream();
    const int entries = avformat_index_get_entries_count(stream);
    const int64_t fileSize = QFileInfo(info.path).size();
    std::vector<Packet> packets;
    packets.reserve(static_cast<size_t>(std::max(0, entries)));
    for (int i = 0; i < entries; ++i) {
        const AVIndexEntry* entry = avformat_index_get_entry(stream, i);
        // A cut-off file: what its tables promise beyond its end is not there.
        if (!entry || entry->pos < 0 || entry->size <= 0 || entry->pos + entry->size > fileSize)
            break;
        const int64_t position = source.toSamples(entry->timestamp);
        // Only whole frames one after another, each after the last in the file.
        if (!packets.empty() && (position - packets.back().position != kFrameSize ||
                                 entry->pos < packets.back().offset + packets.back().size))
            return result;
        packets.push_back(Packet{position, entry->pos, entry->size});
    }
    if (packets.empty())
        return result;
    // Every audible sample must come from a packet in the table.
    if (packets.front().position > info.startSample ||
        packets.back().position + kFrameSize < info.startSample + info.durationSamples)
        return result;
    result.m_primingUnmarked = packets.front().position == info.startSample;
    result.m_packets = std::move(packets);
    return result;
}

std::shared_ptr<const SourcePackets> SourcePackets::of(const MediaInfo& info)
{
    MediaInfo::PacketTable& cache = info.packetTable;
    const std::lock_guard<std::mutex> hold(cache.lock);
    struct stat file = {};
    if (::stat(QFile::encodeName(info.path).constData(), &file) != 0)
        return std::make_shared<const SourcePackets>();
    const int64_t modified = int64_t(file.st_mtim.tv_sec) * 1'000'000'000 + file.st_mtim.tv_nsec;
    // A file written again or replaced since is read again: its packets may lie elsewhere.
    if (!cache.table || cache.size != file.st_size || cache.modified != modified ||
        cache.inode != file.st_ino) {
        cache.table = std::make_shared<const SourcePackets>(read(info));
        cache.size = file.st_size;
        cache.modified = modified;
        cache.inode = file.st_ino;
    }
    return cache.table;
}

size_t SourcePackets::indexAt(int64_t sample) const
{
    const auto after = std::upper_bound(m_packets.begin(), m_packets.end(), sample,
                                        [](int64_t s, const Packet& p) { return s < p.position; });
    return after == m_packets.begin() ? 0 : static_cast<size_t>(after - m_packets.begin() - 1);
}
