// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

class KvAudioBufferList;

// Capture thread, wait-free but for the level lock. Measures the buffer's
// level (largest minus smallest sample over every channel; -200 for a list
// without buffers), stores it as the input level and answers whether it is at
// or below the sound threshold.
bool IsSilence(uint32_t frameCount, const KvAudioBufferList* bufferList);
