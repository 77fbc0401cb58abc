// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/SilenceSettings.h"

std::atomic<bool> SilenceSettings::skipSilence{false};
std::atomic<float> SilenceSettings::soundThreshold{0.2f};
std::atomic<int32_t> SilenceSettings::nSilenceBlocks{SilenceSettings::holdBuffers};
std::atomic<bool> SilenceSettings::pseudoRecord{false};
std::atomic<float> SilenceSettings::s_currentInputLevel{0.0f};

void SilenceSettings::storeInputLevel(float level)
{
    s_currentInputLevel.store(level, std::memory_order_relaxed);
}

float SilenceSettings::inputLevel()
{
    return s_currentInputLevel.load(std::memory_order_relaxed);
}
