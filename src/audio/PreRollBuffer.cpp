// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/PreRollBuffer.h"

#include <algorithm>

PreRollBuffer::PreRollBuffer(uint32_t channels, size_t capacityFrames)
    : m_channels(channels), m_capacity(std::max<size_t>(1, capacityFrames)),
      m_samples(size_t(channels) * m_capacity, 0.0f)
{
}

void PreRollBuffer::write(const float* const* planes, uint32_t frames)
{
    // Only the newest capacity frames of a larger write can stay.
    size_t skip = frames > m_capacity ? frames - m_capacity : 0;
    size_t left = frames - skip;
    while (left > 0) {
        const size_t run = std::min(left, m_capacity - m_writePos);
        for (uint32_t c = 0; c < m_channels; ++c)
            std::copy_n(planes[c] + skip, run, m_samples.begin() + c * m_capacity + m_writePos);
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
        const auto channel = m_samples.begin() + c * m_capacity;
        const size_t firstRun = std::min(frames, m_capacity - oldest);
        std::copy_n(channel + oldest, firstRun, out.begin() + c * frames);
        std::copy_n(channel, frames - firstRun, out.begin() + c * frames + firstRun);
    }
    m_held.store(0, std::memory_order_relaxed);
    m_writePos = 0;
    return out;
}
