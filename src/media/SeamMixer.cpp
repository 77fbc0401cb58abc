// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/SeamMixer.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kFadeSeconds = 0.010;
constexpr double kPi = 3.14159265358979323846;
} // namespace

SeamMixer::SeamMixer(int sampleRate, int channels)
    : m_channels(channels),
      m_fade(std::clamp(static_cast<int>(std::lround(sampleRate * kFadeSeconds)), 16, 512))
{
}

int64_t SeamMixer::shorteningFor(int64_t mismatch, int frame) const
{
    // Always longer: the recordings' own sound is never cut short.
    const int64_t d = ((mismatch % frame) + frame) % frame;
    return d - frame;
}

int64_t SeamMixer::tailFrames(int64_t shortening) const
{
    return shortening >= 0 ? m_fade : 2 * m_fade - shortening;
}

int64_t SeamMixer::headFrames(int64_t shortening) const
{
    return shortening >= 0 ? shortening : m_fade;
}

std::vector<float> SeamMixer::mix(const std::vector<float>& tail, const std::vector<float>& head,
                                  int64_t shortening) const
{
    const int64_t a = tailFrames(shortening);
    const int64_t b = headFrames(shortening);
    const int64_t length = a + b - shortening;
    std::vector<float> out(static_cast<size_t>(length * m_channels));
    if (static_cast<int64_t>(tail.size()) < a * m_channels ||
        static_cast<int64_t>(head.size()) < b * m_channels)
        return {};
    const auto weight = [this](int64_t i) {
        return static_cast<float>(0.5 -
                                  0.5 * std::cos(kPi * (static_cast<double>(i) + 0.5) / m_fade));
    };
    // first(t) and second(t) are the two sounds on the seam's own time line.
    const auto frameOf = [this](const std::vector<float>& v, int64_t i) {
        return v.data() + i * m_channels;
    };
    const auto crossfade = [&](int64_t at, const float* from, const float* to, int64_t i) {
        const float w = weight(i);
        for (int c = 0; c < m_channels; ++c)
            out[static_cast<size_t>((at + i) * m_channels + c)] = (1.0f - w) * from[c] + w * to[c];
    };
    if (shortening >= 0) {
        // The second starts `shortening` before the first ends; the last fade
        // frames of the first overlap its frames just before that point.
        for (int64_t i = 0; i < m_fade; ++i)
            crossfade(0, frameOf(tail, i), frameOf(head, shortening - m_fade + i), i);
        return out;
    }
    // Longer: the first's last frames again from `lag` back, then the second.
    const int64_t extra = -shortening;
    const int64_t lag = extra + m_fade;
    const auto first = [&](int64_t t) { return frameOf(tail, t); };
    const auto held = [&](int64_t t) { return frameOf(tail, t - lag); };
    int64_t t = 0;
    for (; t < a - m_fade; ++t)
        std::copy_n(first(t), m_channels, out.begin() + t * m_channels);
    for (int64_t i = 0; i < m_fade; ++i, ++t)
        crossfade(a - m_fade, first(t), held(t), i);
    for (; t < a + extra; ++t)
        std::copy_n(held(t), m_channels, out.begin() + t * m_channels);
    for (int64_t i = 0; i < m_fade; ++i, ++t)
        crossfade(a + extra, held(t), frameOf(head, i), i);
    return out;
}
