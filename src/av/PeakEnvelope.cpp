// SPDX-License-Identifier: GPL-3.0-or-later
#include "av/PeakEnvelope.h"

#include <algorithm>
#include <climits>
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
    peak = std::isfinite(peak) ? std::clamp(peak, 0.0f, 1.0f) : 1.0f;
    while (length > 0) {
        if (m_stretches.size() >= kMaxStretches)
            halve();
        const auto part = int32_t(std::min<int64_t>(length, INT32_MAX / 2));
        m_stretches.push_back({peak, part});
        m_length += part;
        length -= part;
    }
}

void PeakEnvelope::halve()
{
    const size_t half = m_stretches.size() / 2;
    for (size_t i = 0; i < half; ++i) {
        const Stretch& a = m_stretches[2 * i];
        const Stretch& b = m_stretches[2 * i + 1];
        m_stretches[i] = {std::max(a.peak, b.peak), a.length + b.length};
    }
    if (m_stretches.size() % 2 != 0)
        m_stretches[half] = m_stretches.back();
    m_stretches.resize((m_stretches.size() + 1) / 2);
}

void PeakEnvelope::setLength(int64_t length)
{
    while (m_length > length && !m_stretches.empty()) {
        Stretch& last = m_stretches.back();
        const int64_t cut = std::min<int64_t>(last.length, m_length - length);
        last.length -= int32_t(cut);
        m_length -= cut;
        if (last.length == 0)
            m_stretches.pop_back();
    }
    if (length > m_length)
        add(m_stretches.empty() ? 0.0f : m_stretches.back().peak, length - m_length);
}

void PeakEnvelope::append(const PeakEnvelope& other, int64_t skip)
{
    for (const Stretch& stretch : other.m_stretches) {
        const int64_t dropped = std::min<int64_t>(skip, stretch.length);
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
