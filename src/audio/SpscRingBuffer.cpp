// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/SpscRingBuffer.h"

#include <algorithm>
#include <bit>

namespace {

// The scale of the sound server's own 16-bit conversion, so that its samples
// come back exactly.
constexpr float kScale = 32768.0f;
// Added and taken away again, it leaves a float of up to 2^22 rounded to the
// nearest integer, ties to even, as lrint does.
constexpr float kRound = 12582912.0f;

// Not-a-number becomes silence; sound beyond full scale is clipped. The limits
// are applied to the bits, without comparing floats or calling lrint, so that
// the loop runs four samples at a time: it is the capture thread's largest cost.
void copyToIntegers(int16_t* destination, const float* source, size_t count)
{
    constexpr uint32_t kSign = 0x80000000u;
    constexpr uint32_t kInfinity = 0x7f800000u;
    constexpr uint32_t kFullScale = std::bit_cast<uint32_t>(kScale);
    for (size_t i = 0; i < count; ++i) {
        const uint32_t bits = std::bit_cast<uint32_t>(source[i] * kScale);
        const uint32_t magnitude = bits & ~kSign;
        const uint32_t loud = 0u - uint32_t(magnitude > kFullScale);
        const uint32_t number = 0u - uint32_t(magnitude <= kInfinity);
        const uint32_t limited = ((bits & ~loud) | (((bits & kSign) | kFullScale) & loud)) & number;
        const auto rounded =
            static_cast<int32_t>((std::bit_cast<float>(limited) + kRound) - kRound);
        // +32768 is one above the largest 16-bit value.
        destination[i] = static_cast<int16_t>(rounded - int32_t(rounded > 32767));
    }
}

void copyToFloats(float* destination, const int16_t* source, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        destination[i] = float(source[i]) / kScale;
}

} // namespace

SpscRingBuffer::SpscRingBuffer(size_t minimumCapacity)
{
    const size_t capacity = std::bit_ceil(std::max<size_t>(minimumCapacity, 2));
    m_data = std::make_unique<int16_t[]>(capacity);
    m_mask = capacity - 1;
}

size_t SpscRingBuffer::writeAvailable() const
{
    const size_t write = m_writePosition.load(std::memory_order_relaxed);
    const size_t read = m_readPosition.load(std::memory_order_acquire);
    return capacity() - (write - read);
}

size_t SpscRingBuffer::readAvailable() const
{
    const size_t write = m_writePosition.load(std::memory_order_acquire);
    const size_t read = m_readPosition.load(std::memory_order_relaxed);
    return write - read;
}

bool SpscRingBuffer::write(const float* const* parts, size_t partCount, size_t count)
{
    if (partCount * count > writeAvailable())
        return false;
    size_t position = m_writePosition.load(std::memory_order_relaxed);
    for (size_t p = 0; p < partCount; ++p) {
        copyIn(position, parts[p], count);
        position += count;
    }
    m_writePosition.store(position, std::memory_order_release);
    return true;
}

bool SpscRingBuffer::read(float* destination, size_t count)
{
    if (count > readAvailable())
        return false;
    const size_t position = m_readPosition.load(std::memory_order_relaxed);
    copyOut(position, destination, count);
    m_readPosition.store(position + count, std::memory_order_release);
    return true;
}

void SpscRingBuffer::copyIn(size_t position, const float* source, size_t count)
{
    const size_t start = position & m_mask;
    const size_t first = std::min(count, capacity() - start);
    copyToIntegers(m_data.get() + start, source, first);
    copyToIntegers(m_data.get(), source + first, count - first);
}

void SpscRingBuffer::copyOut(size_t position, float* destination, size_t count) const
{
    const size_t start = position & m_mask;
    const size_t first = std::min(count, capacity() - start);
    copyToFloats(destination, m_data.get() + start, first);
    copyToFloats(destination + first, m_data.get(), count - first);
}
