// SPDX-License-Identifier: GPL-3.0-or-later
// FFmpeg's functions reached through the table that opens the libraries on
// first use. Each function here is called nowhere else in this program, so
// the call goes through the path that loads it, and must arrive with every
// kind of argument intact: vector registers, a variadic count in rax, and
// arguments on the stack.
extern "C" {
#include <libavutil/avstring.h>
#include <libavutil/mem.h>
#include <libavutil/rational.h>
#include <libavutil/samplefmt.h>
}

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

TEST(FFmpegLoader, FirstCallsArriveWithTheirArguments)
{
    // A double in xmm0, the result in rax.
    const AVRational threeQuarters = av_d2q(0.75, 100);
    EXPECT_EQ(threeQuarters.num, 3);
    EXPECT_EQ(threeQuarters.den, 4);

    // Variadic: a double among integers and a pointer.
    char* text = av_asprintf("%.2f %d %s %.1f", 2.5, 42, "x", -1.5);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "2.50 42 x -1.5");
    av_free(text);

    // Seven arguments: the alignment, the last, is passed on the stack;
    // 4000 bytes a plane round up to 4032.
    std::vector<uint8_t> buffer(16384);
    uint8_t* planes[2] = {};
    int lineSize = 0;
    EXPECT_EQ(
        av_samples_fill_arrays(planes, &lineSize, buffer.data(), 2, 1000, AV_SAMPLE_FMT_FLTP, 64),
        8064);
    EXPECT_EQ(lineSize, 4032);
    EXPECT_EQ(planes[1], buffer.data() + 4032);
}

TEST(FFmpegLoader, ThreadsRacingToTheFirstCallAllGetTheFunction)
{
    std::vector<std::thread> threads;
    std::vector<int64_t> results(8);
    std::atomic<size_t> waiting{results.size()};
    for (size_t i = 0; i < results.size(); ++i)
        threads.emplace_back([&, i] {
            --waiting;
            while (waiting > 0)
                std::this_thread::yield();
            results[i] = av_rescale(int64_t(i), 48000, 1000);
        });
    for (std::thread& thread : threads)
        thread.join();
    for (size_t i = 0; i < results.size(); ++i)
        EXPECT_EQ(results[i], int64_t(i) * 48);
}
