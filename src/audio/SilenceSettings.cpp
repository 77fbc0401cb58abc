// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/SilenceSettings.h"

std::atomic<bool> SilenceSettings::skipSilence{false};
std::atomic<float> SilenceSettings::soundThreshold{0.2f};
std::atomic<int32_t> SilenceSettings::nSilenceBlocks{SilenceSettings::holdBuffers};
std::atomic<bool> SilenceSettings::pseudoRecord{false};
std::mutex SilenceSettings::s_levelLock;
float SilenceSettings::s_currentInputLevel = 0.0f;

void SilenceSettings::storeInputLevel(float level)
{
    std::lock_guard lock(s_levelLock);
    s_currentInputLevel = level;
}

float SilenceSettings::inputLevel()
{
    std::lock_guard lock(s_levelLock);
    return s_currentInputLevel;
}
