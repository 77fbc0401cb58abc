// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "av/PeakEnvelope.h"

#include <QString>
#include <atomic>
#include <vector>

// The peak envelope of an audio file: the largest absolute sample, over every
// channel, of each of kBuckets equal stretches of the file, 0 to 1. Decoding
// is the only way to it for a file from elsewhere; WaveformCache keeps the
// result. Any thread.
class WaveformPeaks
{
public:
    static constexpr int kBuckets = 4096;

    // Decodes the whole file, an MPEG-4 file of some length on two threads;
    // empty when it cannot be read or holds no sound. A set cancel flag
    // stops the decoding early with an empty answer.
    static PeakEnvelope measure(const QString& path, const std::atomic<bool>* cancel = nullptr,
                                int threads = 2);
    // The envelope of the samples [from, to) of an MPEG-4 file, decoded from
    // a few packets before; empty when the file cannot be read so.
    static PeakEnvelope measureRange(const QString& path, int64_t from, int64_t to);
    // The measured envelope brought to kBuckets; empty as measure() is.
    static std::vector<float> compute(const QString& path,
                                      const std::atomic<bool>* cancel = nullptr);
    // Values of equal stretches brought to count columns, each the largest
    // of the values its column covers.
    static std::vector<float> columns(const std::vector<float>& peaks, int count);
};
