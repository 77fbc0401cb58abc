// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <mutex>

class SourcePackets;

// What the movie layer knows about one audio file once it has been measured.
// The measure is immutable after probing, and the packet table kept with it
// is filled under its lock, so movies and worker threads share it freely.
struct MediaInfo
{
    QString path;
    int codecId = 0;      // AVCodecID of the audio stream
    QByteArray extradata; // codec configuration (the AAC AudioSpecificConfig)
    int sampleRate = 0;
    int channels = 0;
    int64_t startSample = 0;     // first sample the decoder gives out (after encoder delay)
    int64_t durationSamples = 0; // exact length in samples at sampleRate

    // Where the file's packets lie, read by the first writer that copies
    // them and kept for the next while the file is unchanged: a split cuts
    // every piece from one table. Only SourcePackets::of() touches it.
    struct PacketTable
    {
        std::mutex lock;
        std::shared_ptr<const SourcePackets> table;
        // The file as it was when the table was read.
        int64_t size = -1;
        int64_t modified = 0; // nanoseconds
        uint64_t inode = 0;
    };
    mutable PacketTable packetTable;
};

using MediaInfoPtr = std::shared_ptr<const MediaInfo>;

// One stretch of a source file inside a movie, in the source's own samples
// on the decoder's time line (a file starts at its startSample).
struct MovieSegment
{
    MediaInfoPtr source;
    int64_t start = 0;
    int64_t length = 0;
};
