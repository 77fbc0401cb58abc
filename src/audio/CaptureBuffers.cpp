// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/CaptureBuffers.h"

#include <new>

std::unique_ptr<CaptureBuffers> CaptureBuffers::allocate(uint32_t numChannels, uint32_t byteSize)
{
    std::unique_ptr<CaptureBuffers> list(new (std::nothrow) CaptureBuffers);
    if (!list)
        return nullptr;
    list->m_byteSize = byteSize;
    const size_t samples = byteSize / sizeof(float);
    for (uint32_t i = 0; i < numChannels; ++i) {
        std::unique_ptr<float[]> block(new (std::nothrow) float[samples]());
        if (!block)
            return nullptr;
        list->m_pointers.push_back(block.get());
        list->m_buffers.push_back(std::move(block));
    }
    return list;
}
