// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/AacFileWriter.h"

#include "audio/KvAudioBufferList.h"
#include "support/Media.h"

#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

// A full ring drops the buffer instead of waiting, counts it, and what was
// taken in still ends up in a complete file.
TEST(AacFileWriter, FullRingDropsAndCountsBuffers)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("ring.m4a"));
    constexpr uint32_t frames = 512;
    AacFileWriter writer;
    ASSERT_EQ(writer.open(file, {QStringLiteral("ipod"), 22050, 2}, {44100, 2, 0, frames}),
              AacFileWriter::Result::Ok);
    ASSERT_EQ(writer.start(false), AacFileWriter::Result::Ok);
    // Five whole periods per buffer, so that repeating the buffer makes a clean tone.
    constexpr double frequency = 44100.0 * 5 / frames;
    auto buffers = KvAudioBufferList::allocate(2, frames * sizeof(float));
    for (uint32_t i = 0; i < frames; ++i)
        buffers->data(0)[i] = buffers->data(1)[i] =
            0.5f * float(std::sin(2 * M_PI * frequency * i / 44100.0));
    uint32_t accepted = 0;
    for (int i = 0; i < 1000; ++i)
        accepted += writer.push(*buffers, frames) ? 1 : 0;
    EXPECT_LT(accepted, 1000u);
    EXPECT_EQ(writer.droppedBuffers(), 1000u - accepted);
    // Without its thread the writer is fed directly; close completes the file.
    const float* planes[] = {buffers->data(0), buffers->data(1)};
    for (int i = 0; i < 86; ++i)
        writer.encodeBuffer(planes, frames);
    writer.close();
    writer.close();

    const DecodedAudio audio = DecodedAudio::decode(file);
    ASSERT_TRUE(audio.ok);
    EXPECT_EQ(audio.sampleRate, 22050);
    // The encoder adds its delay of 1024 samples and pads the last frame.
    EXPECT_NEAR(audio.seconds(), 86.0 * frames / 44100.0 + 0.05, 0.05);
    EXPECT_NEAR(audio.frequency(1, 2048, 20000), frequency, 3.0);
}
