// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/IsSilence.h"

#include "audio/CaptureBuffers.h"
#include "audio/SilenceSettings.h"

#include <algorithm>

float BufferLevel(uint32_t frameCount, const CaptureBuffers* bufferList)
{
    float max = -100.0f;
    float min = 100.0f;
    const uint32_t buffers = bufferList ? bufferList->numberBuffers() : 0;
    for (uint32_t b = 0; b < buffers; ++b) {
        const float* samples = bufferList->data(b);
        if (!samples)
            continue;
        const uint32_t n = std::min(frameCount, bufferList->frameCapacity());
        for (uint32_t i = 0; i < n; ++i) {
            max = std::max(samples[i], max);
            min = std::min(samples[i], min);
        }
    }
    return max - min;
}

bool IsSilentLevel(float level)
{
    SilenceSettings::storeInputLevel(level);
    return level <= SilenceSettings::soundThreshold.load(std::memory_order_relaxed);
}

bool IsSilence(uint32_t frameCount, const CaptureBuffers* bufferList)
{
    return IsSilentLevel(BufferLevel(frameCount, bufferList));
}
