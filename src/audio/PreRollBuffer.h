// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

// The last seconds heard while nothing records, kept in memory only (never
// on disk), as 16-bit samples: 30 seconds of stereo at 48 kHz take under 6 MB. The capture thread
// writes, wait-free and without allocating; the main thread takes the sound once the capture thread
// has let go of it.
class PreRollBuffer
{
public:
    // Main thread: room for capacityFrames frames of each channel.
    PreRollBuffer(uint32_t channels, size_t capacityFrames);

    // Capture thread: appends frames, the oldest going when it is full.
    void write(const float* const* planes, uint32_t frames);
    // Any thread: how many frames are held.
    size_t heldFrames() const { return m_held.load(std::memory_order_relaxed); }
    // Main thread, with the capture thread no longer writing: the frames
    // held, oldest first, one channel after the other; the buffer is empty
    // afterwards.
    std::vector<float> take(size_t& frames);

private:
    uint32_t m_channels;
    size_t m_capacity;
    std::vector<int16_t> m_samples; // channel c at c * m_capacity
    size_t m_writePos = 0;
    std::atomic<size_t> m_held{0};
};
