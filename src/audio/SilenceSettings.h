// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <cstdint>

// The process-wide silence and level values, shared by every recorder. The
// main thread writes the flags and the threshold, the capture thread the
// silent-buffer count and the level.
class SilenceSettings
{
public:
    // Consecutive silent buffers that are still written after sound.
    static constexpr int32_t holdBuffers = 450;

    static std::atomic<bool> skipSilence;
    static std::atomic<float> soundThreshold;
    // Starts at the hold so that leading silence is dropped, and carries over
    // from one capture to the next.
    static std::atomic<int32_t> nSilenceBlocks;
    static std::atomic<bool> pseudoRecord;

    // Any thread, wait-free: the capture thread stores while the main thread reads.
    static void storeInputLevel(float level);
    static float inputLevel();

private:
    static std::atomic<float> s_currentInputLevel;
};
