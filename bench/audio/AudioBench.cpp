// SPDX-License-Identifier: GPL-3.0-or-later
// The per-buffer work of the capture callback, and the AAC writer's speed.
#include "audio/AacFileWriter.h"
#include "audio/CaptureBuffers.h"
#include "audio/IsSilence.h"
#include "audio/SilenceSettings.h"
#include "audio/SpscRingBuffer.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <vector>

namespace {

constexpr uint32_t kFrames = 512;
constexpr double kInputRate = 44100.0;

std::vector<float> interleavedTone(uint32_t channels, uint32_t frames)
{
    std::vector<float> samples(static_cast<size_t>(channels) * frames);
    for (uint32_t i = 0; i < frames; ++i)
        for (uint32_t c = 0; c < channels; ++c)
            samples[static_cast<size_t>(i) * channels + c] =
                0.5f * std::sin(2.0f * 3.14159265f * 440.0f * i / 44100.0f);
    return samples;
}

// One capture buffer as the callback handles it: de-interleave the stream's
// samples into the channel buffers, measure the level, hand the buffer to the
// writer's ring. The ring is emptied, untimed, whenever it is full.
void BM_CaptureBufferBody(benchmark::State& state)
{
    const auto channels = static_cast<uint32_t>(state.range(0));
    const std::vector<float> input = interleavedTone(channels, kFrames);
    auto buffers = CaptureBuffers::allocate(channels, kFrames * sizeof(float));
    SpscRingBuffer ring(static_cast<size_t>(kFrames) * channels * 4096);
    std::vector<float> drain(ring.capacity());
    SilenceSettings::skipSilence = true;
    int64_t dropped = 0;
    for (auto _ : state) {
        if (ring.writeAvailable() < static_cast<size_t>(kFrames) * channels) {
            state.PauseTiming();
            ring.read(drain.data(), ring.readAvailable());
            state.ResumeTiming();
        }
        for (uint32_t c = 0; c < channels; ++c) {
            float* out = buffers->data(c);
            for (uint32_t i = 0; i < kFrames; ++i)
                out[i] = input[static_cast<size_t>(i) * channels + c];
        }
        const bool silent = IsSilence(kFrames, buffers.get());
        benchmark::DoNotOptimize(silent);
        if (!ring.write(buffers->channels(), channels, kFrames))
            ++dropped;
    }
    SilenceSettings::skipSilence = false;
    state.counters["dropped"] = static_cast<double>(dropped);
}
BENCHMARK(BM_CaptureBufferBody)->Arg(2)->Arg(4);

// Seconds of 44.1 kHz stereo input encoded per second of CPU, per preset
// rate; the encoder runs on the benchmark's thread.
void BM_WriterThroughput(benchmark::State& state)
{
    const double outputRate = static_cast<double>(state.range(0));
    QTemporaryDir dir;
    // One second of tone, an exact number of periods, read in buffer-sized
    // steps so that the signal runs on without a jump.
    const auto rate = static_cast<uint32_t>(kInputRate);
    std::vector<float> tone = interleavedTone(1, rate + kFrames);
    constexpr int kBuffersPerRun = 860; // about ten seconds of input
    for (auto _ : state) {
        AacFileWriter writer;
        const AacFileWriter::Output output{QStringLiteral("ipod"), outputRate, 2};
        const AacFileWriter::Input input{kInputRate, 2, 0, kFrames};
        if (writer.open(dir.filePath(QStringLiteral("bench.m4a")), output, input) !=
                AacFileWriter::Result::Ok ||
            writer.start(false) != AacFileWriter::Result::Ok) {
            state.SkipWithError("writer could not open");
            break;
        }
        for (int i = 0; i < kBuffersPerRun; ++i) {
            const float* at = tone.data() + (static_cast<size_t>(i) * kFrames) % rate;
            const float* planes[] = {at, at};
            writer.encodeBuffer(planes, kFrames);
        }
        writer.close();
    }
    const double audioSeconds =
        static_cast<double>(state.iterations()) * kBuffersPerRun * kFrames / kInputRate;
    state.counters["audio_s_per_cpu_s"] =
        benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WriterThroughput)->Arg(11025)->Arg(22050)->Arg(44100)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
