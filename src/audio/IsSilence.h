// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

class CaptureBuffers;

// The buffer's level: largest minus smallest sample over every channel; -200
// for a list without buffers. Wait-free, for the capture thread.
float BufferLevel(uint32_t frameCount, const CaptureBuffers* bufferList);

// Capture thread, wait-free. Stores the level as the input level and answers
// whether it is at or below the sound threshold.
bool IsSilentLevel(float level);

// The same for the buffer's level.
bool IsSilence(uint32_t frameCount, const CaptureBuffers* bufferList);
