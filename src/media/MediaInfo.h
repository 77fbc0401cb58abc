// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>

// What the movie layer knows about one audio file once it has been measured.
// Immutable after probing, so movies and worker threads share it freely.
struct MediaInfo
{
    QString path;
    int codecId = 0;      // AVCodecID of the audio stream
    QByteArray extradata; // codec configuration (the AAC AudioSpecificConfig)
    int sampleRate = 0;
    int channels = 0;
    int64_t startSample = 0;     // first sample the decoder gives out (after encoder delay)
    int64_t durationSamples = 0; // exact length in samples at sampleRate

    // Packets of a and b can follow each other in one stream unchanged.
    static bool packetCompatible(const MediaInfo& a, const MediaInfo& b)
    {
        return a.codecId == b.codecId && a.sampleRate == b.sampleRate && a.channels == b.channels &&
               a.extradata == b.extradata;
    }
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
