// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/PeakEnvelope.h"

#include <algorithm>
#include <cmath>
#include <cstring>

PeakEnvelope PeakEnvelope::fromBuckets(const std::vector<float>& buckets, int64_t length)
{
    PeakEnvelope envelope;
    const auto count = int64_t(buckets.size());
    if (count == 0 || length <= 0)
        return envelope;
    envelope.reserve(buckets.size());
    for (int64_t b = 0; b < count; ++b)
        envelope.add(buckets[size_t(b)], (b + 1) * length / count - b * length / count);
    return envelope;
}

float PeakEnvelope::peakOf(const float* samples, size_t count)
{
    // Without their sign bits, the samples' bit patterns order as their
    // magnitudes do, a NaN above infinity; an integer maximum vectorises
    // where a float one does not, and lanes of their own keep the vector
    // units from waiting on each other.
    constexpr size_t kLanes = 16;
    int32_t lanes[kLanes] = {};
    size_t i = 0;
    for (; i + kLanes <= count; i += kLanes) {
        int32_t bits[kLanes];
        std::memcpy(bits, samples + i, sizeof bits);
        for (size_t l = 0; l < kLanes; ++l)
            lanes[l] = std::max(lanes[l], bits[l] & 0x7fffffff);
    }
    for (size_t l = 0; i < count; ++i, ++l) {
        int32_t bits = 0;
        std::memcpy(&bits, samples + i, sizeof bits);
        lanes[l] = std::max(lanes[l], bits & 0x7fffffff);
    }
    const int32_t top = *std::max_element(lanes, lanes + kLanes);
    if (top >= 0x7f800000)
        return 1.0f;
    float peak = 0;
    std::memcpy(&peak, &top, sizeof peak);
    return std::min(peak, 1.0f);
}

void PeakEnvelope::clear()
{
    m_stretches.clear();
    m_length = 0;
}

void PeakEnvelope::add(float peak, int64_t length)
{
    if (length <= 0)
        return;
    m_stretches.push_back({std::isfinite(peak) ? std::clamp(peak, 0.0f, 1.0f) : 1.0f, length});
    m_length += length;
}

void PeakEnvelope::append(const PeakEnvelope& other, int64_t skip)
{
    for (const Stretch& stretch : other.m_stretches) {
        const int64_t dropped = std::min(skip, stretch.length);
        skip -= dropped;
        add(stretch.peak, stretch.length - dropped);
    }
}

std::vector<float> PeakEnvelope::buckets(int count) const
{
    if (m_length == 0 || count <= 0)
        return {};
    std::vector<float> peaks(size_t(count), 0.0f);
    int64_t start = 0;
    for (const Stretch& stretch : m_stretches) {
        const int64_t end = start + stretch.length;
        const auto first = int(start * count / m_length);
        const auto last = int(std::min<int64_t>((end - 1) * count / m_length, count - 1));
        for (int b = first; b <= last; ++b)
            peaks[size_t(b)] = std::max(peaks[size_t(b)], stretch.peak);
        start = end;
    }
    return peaks;
}
