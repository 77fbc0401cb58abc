// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstddef>
#include <vector>

// A whole audio file decoded with FFmpeg into planar float samples.
struct DecodedAudio
{
    bool ok = false;
    QString codec;
    int sampleRate = 0;
    std::vector<std::vector<float>> channels;

    static DecodedAudio decode(const QString& path);

    size_t frames() const { return channels.empty() ? 0 : channels.front().size(); }
    double seconds() const
    {
        return sampleRate > 0 ? static_cast<double>(frames()) / sampleRate : 0.0;
    }
    // Frequency of one channel between two frames, counted by rising zero crossings.
    double frequency(size_t channel, size_t from, size_t to) const;
    // Largest absolute sample of one channel between two frames.
    float peak(size_t channel, size_t from, size_t to) const;
};
