// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/SpscRingBuffer.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

TEST(SpscRingBuffer, WritesAndReadsWholeBlocksOrNothing)
{
    SpscRingBuffer ring(6);
    EXPECT_EQ(ring.capacity(), 8u);
    const float a[] = {1, 2, 3};
    const float b[] = {4, 5, 6};
    const float* parts[] = {a, b};
    EXPECT_TRUE(ring.write(parts, 2, 3));
    EXPECT_FALSE(ring.write(a, 3)); // 6 + 3 > 8: nothing is written
    EXPECT_EQ(ring.readAvailable(), 6u);

    float out[8] = {};
    EXPECT_FALSE(ring.read(out, 7));
    ASSERT_TRUE(ring.read(out, 4));
    EXPECT_EQ(std::vector<float>(out, out + 4), (std::vector<float>{1, 2, 3, 4}));
    // This write wraps around the end of the storage.
    EXPECT_TRUE(ring.write(parts, 2, 3));
    ASSERT_TRUE(ring.read(out, 8));
    EXPECT_EQ(std::vector<float>(out, out + 8), (std::vector<float>{5, 6, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(ring.readAvailable(), 0u);
}

// One producer and one consumer with blocks of changing sizes through a small
// ring that wraps thousands of times: every sample arrives once and in order.
TEST(SpscRingBuffer, ProducerAndConsumerThreadsKeepEverySampleInOrder)
{
    constexpr size_t total = 2'000'000;
    SpscRingBuffer ring(1024);

    std::thread producer([&] {
        std::vector<float> block(300);
        size_t next = 0;
        size_t size = 1;
        while (next < total) {
            const size_t n = std::min(size, total - next);
            for (size_t i = 0; i < n; ++i)
                block[i] = static_cast<float>((next + i) % 16'777'216);
            if (ring.write(block.data(), n)) {
                next += n;
                size = size % 293 + 7;
            } else {
                std::this_thread::yield();
            }
        }
    });

    std::vector<float> out(257);
    size_t received = 0;
    size_t size = 1;
    bool inOrder = true;
    while (received < total) {
        const size_t n = std::min(size, total - received);
        if (!ring.read(out.data(), n)) {
            std::this_thread::yield();
            continue;
        }
        for (size_t i = 0; i < n; ++i)
            inOrder = inOrder && out[i] == static_cast<float>((received + i) % 16'777'216);
        received += n;
        size = size % 254 + 3;
    }
    producer.join();
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(ring.readAvailable(), 0u);
}

} // namespace
