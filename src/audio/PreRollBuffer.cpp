// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/PreRollBuffer.h"

#include <algorithm>
#include <cmath>

PreRollBuffer::PreRollBuffer(uint32_t channels, size_t capacityFrames)
    : m_channels(channels), m_capacity(std::max<size_t>(1, capacityFrames)),
      m_samples(size_t(channels) * m_capacity, 0)
{
}

void PreRollBuffer::write(const float* const* planes, uint32_t frames)
{
    // Only the newest capacity frames of a larger write can stay.
    size_t skip = frames > m_capacity ? frames - m_capacity : 0;
    size_t left = frames - skip;
    while (left > 0) {
        const size_t run = std::min(left, m_capacity - m_writePos);
        for (uint32_t c = 0; c < m_channels; ++c) {
            const float* in = planes[c] + skip;
            int16_t* out = m_samples.data() + c * m_capacity + m_writePos;
            for (size_t i = 0; i < run; ++i)
                out[i] = int16_t(std::lround(std::clamp(in[i], -1.0f, 1.0f) * 32767.0f));
        }
        m_writePos = (m_writePos + run) % m_capacity;
        skip += run;
        left -= run;
    }
    m_held.store(std::min(m_capacity, heldFrames() + frames), std::memory_order_relaxed);
}

std::vector<float> PreRollBuffer::take(size_t& frames)
{
    frames = heldFrames();
    std::vector<float> out(size_t(m_channels) * frames);
    const size_t oldest = (m_writePos + m_capacity - frames) % m_capacity;
    for (uint32_t c = 0; c < m_channels; ++c) {
        const int16_t* channel = m_samples.data() + c * m_capacity;
        float* to = out.data() + c * frames;
        for (size_t i = 0; i < frames; ++i)
            to[i] = float(channel[(oldest + i) % m_capacity]) / 32767.0f;
    }
    m_held.store(0, std::memory_order_relaxed);
    m_writePos = 0;
    return out;
}
