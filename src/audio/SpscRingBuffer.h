// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

// A lock-free ring of float samples for exactly one producer thread and one
// consumer thread. Writes and reads move whole blocks or nothing, so a
// reader never sees half of what the writer handed over.
// The samples are kept as 16-bit integers, half the memory of floats for the
// seconds the ring must hold: what a 16-bit source delivers comes out
// unchanged; a float source loses detail below -96 dB, and samples beyond
// full scale are clipped to it (never wrapped round into a click).
class SpscRingBuffer
{
public:
    // The capacity is rounded up to a power of two; allocation happens here.
    explicit SpscRingBuffer(size_t minimumCapacity);

    size_t capacity() const { return m_mask + 1; }

    // Producer thread, wait-free. Appends the parts one after the other,
    // `count` samples each; false (and nothing written) when they do not fit.
    bool write(const float* const* parts, size_t partCount, size_t count);
    bool write(const float* samples, size_t count) { return write(&samples, 1, count); }
    size_t writeAvailable() const;

    // Consumer thread, wait-free. Takes exactly `count` samples or nothing.
    bool read(float* destination, size_t count);
    size_t readAvailable() const;

private:
    void copyIn(size_t position, const float* source, size_t count);
    void copyOut(size_t position, float* destination, size_t count) const;

    std::unique_ptr<int16_t[]> m_data;
    size_t m_mask = 0;
    // Monotonic positions; apart so that the two threads do not share a cache line.
    alignas(64) std::atomic<size_t> m_writePosition{0};
    alignas(64) std::atomic<size_t> m_readPosition{0};
};
