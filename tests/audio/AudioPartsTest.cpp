// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's parts without a sound server: formats, the silence rule, the
// ring buffer and the AAC writer.
#include "audio/AacFileWriter.h"
#include "audio/CaptureBuffers.h"
#include "audio/CaptureMixer.h"
#include "audio/IsSilence.h"
#include "audio/RecorderEngine.h"
#include "audio/SilenceSettings.h"
#include "audio/SpscRingBuffer.h"
#include "audio/StreamFormat.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

TEST(AudioFormat, FourCharacterCodesAndDictionariesConvertBothWays)
{
    // Mac OS Roman has the copyright sign at 0xA9.
    EXPECT_EQ(codecFromName(QStringLiteral("\u00A9abc")), 0xA9616263u);
    EXPECT_EQ(nameOfCodec(0xA9616263u), QStringLiteral("\u00A9abc"));
    for (const QString& bad :
         {QString(), QStringLiteral("aac"), QStringLiteral("aac  "), QStringLiteral("\u0436aac")})
        EXPECT_EQ(codecFromName(bad), 0u) << bad.toStdString();

    const StreamFormat pcm{48000.0, kCodecLinearPcm, 41, 4, 1, 4, 6, 32};
    EXPECT_EQ(streamFormatFrom(mapOfStreamFormat(pcm)), pcm);
    // A new recorder takes the middle preset; other numbers than 1 to 3 are ignored.
    RecorderEngine recorder;
    recorder.setQuality(4);
    EXPECT_EQ(recorder.outputFormat(), RecorderEngine::outputFormatForMiddleQuality());
    recorder.setQuality(1);
    recorder.setQuality(0);
    EXPECT_EQ(recorder.outputFormat(), RecorderEngine::outputFormatForLowQuality());
}

TEST(Silence, LevelIsPeakToPeakOverAllChannels)
{
    constexpr uint32_t frames = 64;
    auto list = CaptureBuffers::allocate(2, frames * sizeof(float));
    ASSERT_TRUE(list);
    // A constant offset is no sound at all, whatever the threshold.
    std::fill_n(list->data(0), frames, 0.1f);
    std::fill_n(list->data(1), frames, 0.1f);
    SilenceSettings::soundThreshold = 0.0f;
    EXPECT_TRUE(IsSilence(frames, list.get()));
    EXPECT_FLOAT_EQ(SilenceSettings::inputLevel(), 0.0f);
    // -0.1 on one channel and +0.1 on the other: level 0.2, silent at 0.2 (equal counts as silent).
    std::fill_n(list->data(0), frames, -0.1f);
    SilenceSettings::soundThreshold = 0.2f;
    EXPECT_TRUE(IsSilence(frames, list.get()));
    EXPECT_NEAR(SilenceSettings::inputLevel(), 0.2f, 1e-6f);
    SilenceSettings::soundThreshold = 0.19f;
    EXPECT_FALSE(IsSilence(frames, list.get()));
    // Only the first n frames count.
    list->data(1)[frames - 1] = 1.0f;
    EXPECT_FALSE(IsSilence(frames, list.get()));
    EXPECT_NEAR(SilenceSettings::inputLevel(), 1.1f, 1e-6f);
    SilenceSettings::soundThreshold = 0.2f;
    EXPECT_TRUE(IsSilence(frames - 1, list.get()));
    // A list without buffers is silent at level -200.
    auto empty = CaptureBuffers::allocate(0, 256);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(IsSilence(64, empty.get()));
    EXPECT_FLOAT_EQ(SilenceSettings::inputLevel(), -200.0f);
}

namespace {

TEST(SpscRingBuffer, WritesAndReadsWholeBlocksOrNothing)
{
    // Steps of a 16-bit source come back exactly.
    constexpr float q = 1.0f / 32768.0f;
    SpscRingBuffer ring(6);
    EXPECT_EQ(ring.capacity(), 8u);
    const float a[] = {q, 2 * q, 3 * q};
    const float b[] = {4 * q, 5 * q, 6 * q};
    const float* parts[] = {a, b};
    EXPECT_TRUE(ring.write(parts, 2, 3));
    EXPECT_FALSE(ring.write(a, 3)); // 6 + 3 > 8: nothing is written
    float out[8] = {};
    EXPECT_FALSE(ring.read(out, 7));
    ASSERT_TRUE(ring.read(out, 4));
    EXPECT_EQ(std::vector<float>(out, out + 4), (std::vector<float>{q, 2 * q, 3 * q, 4 * q}));
    // This write wraps around the end of the storage.
    EXPECT_TRUE(ring.write(parts, 2, 3));
    ASSERT_TRUE(ring.read(out, 8));
    EXPECT_EQ(std::vector<float>(out, out + 8),
              (std::vector<float>{5 * q, 6 * q, q, 2 * q, 3 * q, 4 * q, 5 * q, 6 * q}));
    // Beyond full scale a float source clips instead of wrapping round.
    const float loud[] = {1.5f, -1.5f, 1.0f, -1.0f, std::nanf("")};
    ASSERT_TRUE(ring.write(loud, 5));
    ASSERT_TRUE(ring.read(out, 5));
    EXPECT_EQ(std::vector<float>(out, out + 5),
              (std::vector<float>{1 - q, -1.0f, 1 - q, -1.0f, 0.0f}));
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
                block[i] = static_cast<float>((next + i) % 65'536) / 32768.0f - 1.0f;
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
            inOrder =
                inOrder && out[i] == static_cast<float>((received + i) % 65'536) / 32768.0f - 1.0f;
        received += n;
        size = size % 254 + 3;
    }
    producer.join();
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(ring.readAvailable(), 0u);
}

} // namespace

// A full ring drops the buffer instead of waiting and counts it. (That what
// was taken in ends up in a file that plays is shown by a real recording.)
TEST(AacFileWriter, FullRingDropsAndCountsBuffers)
{
    QTemporaryDir dir;
    constexpr uint32_t frames = 512;
    AacFileWriter writer;
    ASSERT_EQ(writer.open(dir.filePath(QStringLiteral("ring.m4a")),
                          {QStringLiteral("ipod"), 22050, 2}, {44100, 2, 0, frames}),
              AacFileWriter::Result::Ok);
    ASSERT_EQ(writer.start(false), AacFileWriter::Result::Ok);
    auto buffers = CaptureBuffers::allocate(2, frames * sizeof(float));
    uint32_t accepted = 0;
    for (int i = 0; i < 3000; ++i)
        accepted += writer.push(*buffers, frames) ? 1 : 0;
    EXPECT_GE(accepted * frames, 20u * 44100); // the ring holds 20 s
    EXPECT_LT(accepted, 3000u);
    EXPECT_EQ(writer.droppedBuffers(), 3000u - accepted);
    writer.close();
}

// A format the writer refuses creates no file, and one already there keeps its contents.
TEST(AacFileWriter, RefusedFormatLeavesNoFile)
{
    QTemporaryDir dir;
    const QString fresh = dir.filePath(QStringLiteral("fresh.m4a"));
    const QString kept = dir.filePath(QStringLiteral("kept.m4a"));
    writeFile(kept, "earlier recording");
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
        EXPECT_EQ(readFile(kept), "earlier recording");
    }
}

// A simulated hour of a microphone at 48000 Hz and a monitor whose clock runs
// at 48010 Hz, delivered in blocks or in bursts of two seconds. The monitor
// carries a ramp that names its frame, so each mixed buffer tells which
// monitor frame the mixer put beside it; a monitor that stops leaves the
// microphone flowing with silence beside it, and at the end nothing the
// microphone sent is left out.
TEST(CaptureMixer, KeepsTheMonitorInStepWithTheMicrophoneOverAnHour)
{
    struct Case
    {
        size_t micBlock, monitorBlock;
        double monitorStops;
    };
    constexpr double kMic = 48000, kMonitor = 48010, kSeconds = 3600, kRamp = 8192;
    for (const Case& c : {Case{480, 480, kSeconds}, Case{480, 96020, kSeconds},
                          Case{96000, 480, kSeconds}, Case{480, 480, 60}}) {
        SCOPED_TRACE(testing::Message() << c.micBlock << "/" << c.monitorBlock);
        auto output = CaptureBuffers::allocate(2, 512 * sizeof(float));
        struct Check
        {
            CaptureBuffers* output;
            size_t mixed = 0;
            double worst = 0;
        } check{output.get()};
        CaptureMixer mixer(
            kMic, 512, *output,
            [](void* context, uint64_t, uint32_t frames) {
                auto* check = static_cast<Check*>(context);
                const double expected = std::fmod(double(check->mixed) * kMonitor / kMic, kRamp);
                const float value = check->output->data(1)[0];
                if (value != 0 && expected > 600 && expected < kRamp - 600)
                    check->worst = std::max(
                        check->worst, std::abs(std::remainder(value * kRamp - expected, kRamp)));
                check->mixed += frames;
                return 0;
            },
            &check);
        std::vector<float> silence(c.micBlock), ramp(c.monitorBlock);
        const float* micPlanes[] = {silence.data(), silence.data()};
        const float* monitorPlanes[] = {ramp.data(), ramp.data()};
        size_t mic = 0, monitor = 0;
        for (size_t step = 0; step < size_t(std::min(kSeconds, c.monitorStops * 2) * 100); ++step) {
            for (; mic + c.micBlock <= step * size_t(kMic) / 100; mic += c.micBlock)
                mixer.pushMicrophone(micPlanes, uint32_t(c.micBlock), step * 10'000'000);
            for (; step < c.monitorStops * 100 &&
                   monitor + c.monitorBlock <= step * size_t(kMonitor) / 100;
                 monitor += c.monitorBlock) {
                for (size_t i = 0; i < c.monitorBlock; ++i)
                    ramp[i] = float(std::fmod(double(monitor + i), kRamp) / kRamp);
                mixer.pushMonitor(monitorPlanes, uint32_t(c.monitorBlock), step * 10'000'000);
            }
        }
        EXPECT_LE(check.worst, 512);
        EXPECT_EQ(mixer.silencedMonitorFrames() > 0, c.monitorStops < kSeconds);
        mixer.drain();
        EXPECT_GT(check.mixed + 512, mic); // every whole buffer of the microphone
        EXPECT_EQ(mixer.lostMicrophoneFrames(), 0u);
    }
}
