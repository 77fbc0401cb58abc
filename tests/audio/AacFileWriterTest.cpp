// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/AacFileWriter.h"

#include "audio/DecodedAudio.h"
#include "audio/KvAudioBufferList.h"
#include "audio/RecorderTestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

// A full ring drops the buffer instead of waiting, counts it, and what was
// taken in still ends up in a complete file.
TEST(AacFileWriterTest, FullRingDropsAndCountsBuffers)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("ring.m4a"));
    constexpr uint32_t frames = 512;
    AacFileWriter writer;
    ASSERT_EQ(writer.open(file, {QStringLiteral("ipod"), 22050, 2}, {44100, 2, 0, frames}),
              AacFileWriter::Result::Ok);
    ASSERT_EQ(writer.start(false), AacFileWriter::Result::Ok);

    auto buffers = KvAudioBufferList::allocate(2, frames * sizeof(float));
    // Five whole periods per buffer, so that repeating the buffer makes a clean tone.
    constexpr double frequency = 44100.0 * 5 / frames;
    const std::vector<float> signal = tone(frames, frequency, 0.5f, 44100);
    std::copy(signal.begin(), signal.end(), buffers->data(0));
    std::copy(signal.begin(), signal.end(), buffers->data(1));
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

// A format the writer refuses creates no file, and one already there keeps its contents.
TEST(AacFileWriterTest, RefusedFormatLeavesNoFile)
{
    QTemporaryDir dir;
    const QString fresh = dir.filePath(QStringLiteral("fresh.m4a"));
    const QString kept = dir.filePath(QStringLiteral("kept.m4a"));
    QFile old(kept);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("earlier recording");
    old.close();

    const struct
    {
        AacFileWriter::Output output;
        AacFileWriter::Input input;
    } refused[] = {
        {{QStringLiteral("ipod"), 22050, 3}, {44100, 2, 0, 512}}, // three output channels
        {{QStringLiteral("ipod"), 0, 2}, {44100, 2, 0, 512}},     // no output rate
        {{QStringLiteral("ipod"), 22050, 2}, {44100, 9, 0, 512}}, // nine input channels
        {{QStringLiteral("ipod"), 22050, 2}, {44100, 2, 0, 0}},   // empty buffers
        {{QStringLiteral("ipod"), 96, 2}, {44100, 2, 0, 512}},    // a rate AAC cannot encode
    };
    for (const auto& [output, input] : refused) {
        SCOPED_TRACE(output.sampleRate);
        for (const QString& file : {fresh, kept}) {
            AacFileWriter writer;
            EXPECT_EQ(writer.open(file, output, input), AacFileWriter::Result::BadFormat);
            EXPECT_EQ(writer.start(false), AacFileWriter::Result::CannotStartWriting);
        }
        EXPECT_FALSE(QFile::exists(fresh));
        ASSERT_TRUE(old.open(QIODevice::ReadOnly));
        EXPECT_EQ(old.readAll(), QByteArray("earlier recording"));
        old.close();
    }
}

} // namespace
