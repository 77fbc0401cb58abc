// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

// The loudness outline of a sound as a decoder gives it out: the largest
// absolute sample of each stretch (one codec frame), with its length in
// samples, brought to equal buckets once the whole length is known. Filled
// while the sound passes by (the recorder's writer, an encoder's input, a
// decoder), so that no second pass over the sound is needed. One thread at
// a time.
//
// However long the sound, it holds at most kMaxStretches: when full, each two
// neighbours become one, which keeps many stretches to every bucket.
class PeakEnvelope
{
public:
    static constexpr size_t kMaxStretches = size_t(1) << 16;

    // Equal stretches of a known length, each with its peak.
    static PeakEnvelope fromBuckets(const std::vector<float>& buckets, int64_t length);
    // The largest absolute value of the samples, 1 for anything not finite.
    static float peakOf(const float* samples, size_t count);

    void clear();
    void reserve(size_t stretches) { m_stretches.reserve(std::min(stretches, kMaxStretches)); }
    void add(float peak, int64_t length);
    // Cut to the length, or held at the last peak up to it.
    void setLength(int64_t length);
    // The envelope of other, without its first skip samples, after this one.
    void append(const PeakEnvelope& other, int64_t skip = 0);

    int64_t length() const { return m_length; }
    bool empty() const { return m_length == 0; }
    // The largest peak of each of count equal stretches of the whole length;
    // empty when there is no sound.
    std::vector<float> buckets(int count) const;

private:
    struct Stretch
    {
        float peak;
        int32_t length;
    };
    void halve();

    std::vector<Stretch> m_stretches;
    int64_t m_length = 0;
};
