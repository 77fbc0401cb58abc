// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

// Capture buffers: one block of 32-bit float samples per channel.
// Threads: made and freed on the main thread while no capture runs. During a
// capture only the sound server's thread touches the samples: the capture
// stream fills the blocks and the capture callback reads them.
class CaptureBuffers
{
public:
    // Zero-filled; null when any block cannot be allocated.
    static std::unique_ptr<CaptureBuffers> allocate(uint32_t numChannels, uint32_t byteSize);

    uint32_t numberBuffers() const { return static_cast<uint32_t>(m_buffers.size()); }
    uint32_t frameCapacity() const { return m_byteSize / sizeof(float); }
    float* data(uint32_t channel) { return m_buffers[channel].get(); }
    const float* data(uint32_t channel) const { return m_buffers[channel].get(); }
    const float* const* channels() const { return m_pointers.data(); }

private:
    CaptureBuffers() = default;

    std::vector<std::unique_ptr<float[]>> m_buffers;
    std::vector<const float*> m_pointers;
    uint32_t m_byteSize = 0;
};
