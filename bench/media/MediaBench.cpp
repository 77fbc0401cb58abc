// SPDX-License-Identifier: GPL-3.0-or-later
// The media layer against the ffmpeg command on the same one-hour files:
// joining two recordings, cutting one into ten pieces, exporting an MP3,
// measuring a waveform.
// The inputs are made once with the ffmpeg command and kept in
// $VT_BENCH_DATA (default: /tmp/voicetray-bench-media); VT_BENCH_SECONDS
// sets their length (default 3600).
#include "av/FFmpegPtr.h"
#include "media/AudioExporter.h"
#include "media/AudioFile.h"
#include "media/FileBatch.h"
#include "media/HeapTuning.h"
#include "media/MediaProber.h"
#include "media/MediaSource.h"
#include "media/MovieWriter.h"
#include "media/WaveformCache.h"
#include "media/WaveformPeaks.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <map>
#include <sys/resource.h>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace {

double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU seconds per iteration of this process (all threads) or of the ffmpeg
// children: the machine is shared, so wall time alone is noisy.
class CpuCounter
{
public:
    CpuCounter(benchmark::State& state, int who)
        : m_state(state), m_who(who), m_start(cpuSeconds(who))
    {
    }
    ~CpuCounter()
    {
        m_state.counters["cpu_s"] =
            benchmark::Counter(cpuSeconds(m_who) - m_start, benchmark::Counter::kAvgIterations);
    }

private:
    benchmark::State& m_state;
    int m_who;
    double m_start;
};

int lengthSeconds()
{
    const char* value = std::getenv("VT_BENCH_SECONDS");
    return value ? std::max(10, std::atoi(value)) : 3600;
}

QString dataDir()
{
    const char* value = std::getenv("VT_BENCH_DATA");
    const QString dir =
        value ? QString::fromLocal8Bit(value) : QStringLiteral("/tmp/voicetray-bench-media");
    QDir().mkpath(dir);
    return dir;
}

bool runFfmpeg(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral("ffmpeg"), QStringList{"-v", "error", "-nostdin", "-y"} + args);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// A one-hour input, made on first use; the name carries the length.
QString input(const QString& stem, int frequency, const QStringList& codec,
              const QString& extension)
{
    const int seconds = lengthSeconds();
    const QString path =
        dataDir() + QStringLiteral("/%1-%2s.%3").arg(stem).arg(seconds).arg(extension);
    if (!QFile::exists(path)) {
        const QString partial = path + QStringLiteral(".part.") + extension;
        const QString tone =
            QStringLiteral("sine=frequency=%1:duration=%2").arg(frequency).arg(seconds);
        if (!runFfmpeg(QStringList{"-f", "lavfi", "-i", tone} + codec + QStringList{partial}) ||
            !QFile::rename(partial, path))
            return {};
    }
    return path;
}

QString recordingA()
{
    return input("rec-a", 440, {"-ac", "2", "-ar", "44100", "-c:a", "aac", "-f", "ipod"}, "m4a");
}

QString recordingB()
{
    return input("rec-b", 880, {"-ac", "2", "-ar", "44100", "-c:a", "aac", "-f", "ipod"}, "m4a");
}

QString song()
{
    return input("song", 440, {"-ac", "2", "-ar", "44100", "-c:a", "libmp3lame", "-b:a", "128k"},
                 "mp3");
}

void JoinTwoRecordings_VoiceTray(benchmark::State& state)
{
    const QString a = recordingA();
    const QString b = recordingB();
    QTemporaryDir out;
    const CpuCounter cpu(state, RUSAGE_SELF);
    for (auto _ : state) {
        std::unique_ptr<AudioFile> recording = AudioFile::movieWithFile(a);
        std::unique_ptr<AudioFile> part = AudioFile::movieWithFile(b);
        recording->setEditable(true);
        part->setSelection(
            makeMediaTimeRange(makeMediaTime(0, part->timeScale()), part->duration()));
        recording->appendSelectionFromMovie(*part);
        const QString target = out.filePath("joined.tmp");
        QFile::remove(target);
        if (!recording->writeToFile(target, {.flatten = true}))
            state.SkipWithError("join failed");
    }
}

void JoinTwoRecordings_FfmpegConcatCopy(benchmark::State& state)
{
    const QString a = recordingA();
    const QString b = recordingB();
    QTemporaryDir out;
    QFile list(out.filePath("list.txt"));
    list.open(QIODevice::WriteOnly);
    list.write(QStringLiteral("file '%1'\nfile '%2'\n").arg(a, b).toUtf8());
    list.close();
    const CpuCounter cpu(state, RUSAGE_CHILDREN);
    for (auto _ : state) {
        if (!runFfmpeg({"-f", "concat", "-safe", "0", "-i", list.fileName(), "-c", "copy",
                        out.filePath("joined.m4a")}))
            state.SkipWithError("ffmpeg failed");
    }
}

// Ten pieces as the split makes them: the source is measured once, and each
// piece is a movie of it that deletes what lies before and after it and
// writes the rest; the pieces reach the disk together and then take their
// names.
void CutIntoTenPieces_VoiceTray(benchmark::State& state)
{
    const QString a = recordingA();
    const int64_t piece = lengthSeconds() / 10;
    QTemporaryDir out;
    const CpuCounter cpu(state, RUSAGE_SELF);
    for (auto _ : state) {
        FileBatch batch;
        const MediaInfoPtr source = MediaProber::probe(a);
        for (int i = 0; i < 10; ++i) {
            std::unique_ptr<AudioFile> movie = AudioFile::movieWithInfo(source);
            const int32_t s = movie->timeScale();
            movie->setEditable(true);
            if (i > 0)
                movie->deleteSegment(
                    makeMediaTimeRange(makeMediaTime(0, s), makeMediaTime(i * piece * s, s)));
            if (i < 9)
                movie->deleteSegment(makeMediaTimeRange(
                    makeMediaTime(piece * s, s), makeMediaTime((lengthSeconds() + 100) * s, s)));
            const QString target = out.filePath(QStringLiteral("piece %1.m4a").arg(i + 1));
            QFile::remove(target);
            if (!movie->writeToFile(target, {.flatten = true, .batch = &batch}))
                state.SkipWithError("cut failed");
        }
        if (batch.commit() != 10)
            state.SkipWithError("pieces not named");
    }
}

void CutIntoTenPieces_FfmpegSegmentCopy(benchmark::State& state)
{
    const QString a = recordingA();
    QTemporaryDir out;
    const CpuCounter cpu(state, RUSAGE_CHILDREN);
    for (auto _ : state) {
        if (!runFfmpeg({"-i", a, "-f", "segment", "-segment_time",
                        QString::number(lengthSeconds() / 10), "-c", "copy",
                        out.filePath("piece %d.m4a")}))
            state.SkipWithError("ffmpeg failed");
    }
}

// A one-hour recording as the engine writes it at its highest quality:
// 44.1 kHz stereo AAC at 128 kbit/s, fragmented, a fragment a second.
QString engineRecording()
{
    const int seconds = lengthSeconds();
    const QString path = dataDir() + QStringLiteral("/engine-stereo-%1s.m4a").arg(seconds);
    const QString partial = path + QStringLiteral(".part.m4a");
    if (!QFile::exists(path) &&
        (!runFfmpeg({"-f", "lavfi", "-i",
                     QStringLiteral("sine=frequency=440:duration=%1").arg(seconds), "-ac", "2",
                     "-ar", "44100", "-c:a", "aac", "-b:a", "128k", "-movflags",
                     "+frag_keyframe+empty_moov+default_base_moof", "-frag_duration", "1000000",
                     partial}) ||
         !QFile::rename(partial, path)))
        return {};
    return path;
}

// The waveform of a file from elsewhere (adopted, or its cache deleted):
// decoded on two cores, and on one; beside it the floor, FFmpeg's decoder
// alone on the same packets read into memory beforehand.
void WaveformFirst_VoiceTray(benchmark::State& state)
{
    const QString path = engineRecording();
    const CpuCounter cpu(state, RUSAGE_SELF);
    for (auto _ : state)
        if (WaveformPeaks::measure(path, nullptr, 2).empty())
            state.SkipWithError("no peaks");
}

void WaveformFirst_VoiceTrayOneCore(benchmark::State& state)
{
    const QString path = engineRecording();
    const CpuCounter cpu(state, RUSAGE_SELF);
    for (auto _ : state)
        if (WaveformPeaks::measure(path, nullptr, 1).empty())
            state.SkipWithError("no peaks");
}

void WaveformFirst_FfmpegDecodeOnly(benchmark::State& state)
{
    MediaSource source;
    std::vector<FFmpegPtr<AVPacket>> packets;
    if (source.open(engineRecording()).isEmpty())
        for (FFmpegPtr<AVPacket> packet(av_packet_alloc()); source.readPacket(packet.get());
             packet.reset(av_packet_alloc()))
            packets.push_back(std::move(packet));
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_AAC);
    const CpuCounter cpu(state, RUSAGE_SELF);
    for (auto _ : state) {
        const FFmpegPtr<AVCodecContext> decoder(avcodec_alloc_context3(codec));
        const FFmpegPtr<AVFrame> frame(av_frame_alloc());
        if (packets.empty() ||
            avcodec_parameters_to_context(decoder.get(), source.codecParameters()) < 0 ||
            avcodec_open2(decoder.get(), codec, nullptr) < 0) {
            state.SkipWithError("no decoder");
            break;
        }
        for (const FFmpegPtr<AVPacket>& packet : packets) {
            avcodec_send_packet(decoder.get(), packet.get());
            while (avcodec_receive_frame(decoder.get(), frame.get()) == 0)
                av_frame_unref(frame.get());
        }
    }
}

void WaveformCached_VoiceTray(benchmark::State& state)
{
    const QString path = engineRecording();
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
    WaveformCache::peaks(path);
    for (auto _ : state)
        if (!WaveformCache::load(path))
            state.SkipWithError("not cached");
    qunsetenv("XDG_CACHE_HOME");
}

// The three exports of one song take turns, three rounds of them, so that the
// slow swings of a shared machine fall on all three alike; each reports the
// median of its rounds. Run whichever of them first and all three are timed.
struct ExportTimes
{
    std::vector<double> wall, cpu;
    bool failed = false;
};

enum class Exporter
{
    TwoCores,
    OneCore,
    Ffmpeg
};

bool exportOnce(Exporter exporter, const QString& mp3, const QString& target)
{
    QFile::remove(target);
    if (exporter == Exporter::Ffmpeg)
        return runFfmpeg({"-i", mp3, "-c:a", "aac", target});
    if (exporter == Exporter::TwoCores) {
        std::unique_ptr<AudioFile> movie = AudioFile::movieWithFile(mp3);
        return movie && movie->writeToFile(
                            target, {.exportMovie = true, .exportType = AudioFile::kFileTypeMPEG4});
    }
    const MediaInfoPtr info = MediaProber::probe(mp3);
    if (!info)
        return false;
    MovieWriter writer({{info, info->startSample, info->durationSamples}}, info->sampleRate, 2);
    writer.setThreads(1);
    return writer.write(target).isEmpty();
}

const std::map<Exporter, ExportTimes>& exportRounds()
{
    static std::map<Exporter, ExportTimes> times;
    if (!times.empty())
        return times;
    const QString mp3 = song();
    QTemporaryDir out;
    for (int round = 0; round < 3; ++round) {
        for (Exporter exporter : {Exporter::TwoCores, Exporter::OneCore, Exporter::Ffmpeg}) {
            const int who = exporter == Exporter::Ffmpeg ? RUSAGE_CHILDREN : RUSAGE_SELF;
            const double cpu = cpuSeconds(who);
            QElapsedTimer clock;
            clock.start();
            ExportTimes& mine = times[exporter];
            mine.failed |= mp3.isEmpty() || !exportOnce(exporter, mp3, out.filePath("song.m4a"));
            mine.wall.push_back(double(clock.nsecsElapsed()) * 1e-9);
            mine.cpu.push_back(cpuSeconds(who) - cpu);
        }
    }
    return times;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

void reportExport(benchmark::State& state, Exporter exporter)
{
    const ExportTimes& mine = exportRounds().at(exporter);
    for (auto _ : state) {
        if (mine.failed)
            state.SkipWithError("export failed");
        state.SetIterationTime(median(mine.wall));
    }
    state.counters["cpu_s"] = median(mine.cpu);
}

void ExportMp3ToAac_VoiceTray(benchmark::State& state)
{
    reportExport(state, Exporter::TwoCores);
}

// The same export held to one core, to show what the second one brings.
void ExportMp3ToAac_VoiceTrayOneCore(benchmark::State& state)
{
    reportExport(state, Exporter::OneCore);
}

void ExportMp3ToAac_FfmpegAac(benchmark::State& state)
{
    reportExport(state, Exporter::Ffmpeg);
}

// Sharing a one-hour recording as Opus, plain and with the voice cleaned
// up (afftdn, and a gain to -16 LUFS found in a first pass); the references
// are the ffmpeg command with the same encoder and, for the clean-up, the
// same filters in the same two passes.
bool share(const QString& source, const QString& target, bool clean)
{
    QFile::remove(target);
    ExportItem item;
    item.source = source;
    item.destination = target;
    item.title = QStringLiteral("One hour");
    ExportOptions options;
    options.reduceNoise = clean;
    options.evenLoudness = clean;
    return !item.source.isEmpty() && AudioExporter::write(item, options, {}).isEmpty();
}

void ShareAsOpus_VoiceTray(benchmark::State& state)
{
    QTemporaryDir out;
    const QString a = recordingA();
    CpuCounter cpu(state, RUSAGE_SELF);
    for (auto _ : state)
        if (!share(a, out.filePath("a.opus"), false))
            state.SkipWithError("export failed");
}

void ShareAsOpus_FfmpegLibopus(benchmark::State& state)
{
    QTemporaryDir out;
    const QString a = recordingA();
    CpuCounter cpu(state, RUSAGE_CHILDREN);
    for (auto _ : state)
        if (!runFfmpeg({"-i", a, "-c:a", "libopus", out.filePath("a.opus")}))
            state.SkipWithError("ffmpeg failed");
}

void ShareCleanedAsOpus_VoiceTray(benchmark::State& state)
{
    QTemporaryDir out;
    const QString a = recordingA();
    CpuCounter cpu(state, RUSAGE_SELF);
    for (auto _ : state)
        if (!share(a, out.filePath("a.opus"), true))
            state.SkipWithError("export failed");
}

void ShareCleanedAsOpus_FfmpegTwoPasses(benchmark::State& state)
{
    QTemporaryDir out;
    const QString a = recordingA();
    CpuCounter cpu(state, RUSAGE_CHILDREN);
    for (auto _ : state)
        if (!runFfmpeg({"-i", a, "-af", "afftdn,ebur128", "-f", "null", "-"}) ||
            !runFfmpeg(
                {"-i", a, "-af", "afftdn,volume=6dB", "-c:a", "libopus", out.filePath("a.opus")}))
            state.SkipWithError("ffmpeg failed");
}

// Opening measures the whole file; the playback controller does it on the main thread.
void OpenOneHourRecording_VoiceTray(benchmark::State& state)
{
    const QString a = recordingA();
    const CpuCounter cpu(state, RUSAGE_SELF);
    for (auto _ : state)
        benchmark::DoNotOptimize(AudioFile::movieWithFile(a));
}

// A three-hour recording as the engine writes it (fragmented, about a
// second a fragment): choosing it in the outline opens it on the main thread.
void OpenThreeHourEngineRecording_VoiceTray(benchmark::State& state)
{
    const QString path = dataDir() + QStringLiteral("/engine-10800s.m4a");
    const QString partial = path + QStringLiteral(".part.m4a");
    if (!QFile::exists(path) &&
        (!runFfmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=10800", "-ac", "1", "-c:a",
                     "aac", "-movflags", "+frag_keyframe+empty_moov+default_base_moof",
                     "-frag_duration", "1000000", partial}) ||
         !QFile::rename(partial, path)))
        state.SkipWithError("no input");
    const CpuCounter cpu(state, RUSAGE_SELF);
    for (auto _ : state)
        benchmark::DoNotOptimize(AudioFile::movieWithFile(path));
}

} // namespace

BENCHMARK(JoinTwoRecordings_VoiceTray)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(JoinTwoRecordings_FfmpegConcatCopy)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(CutIntoTenPieces_VoiceTray)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(CutIntoTenPieces_FfmpegSegmentCopy)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(ExportMp3ToAac_VoiceTray)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(ExportMp3ToAac_VoiceTrayOneCore)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);
BENCHMARK(ExportMp3ToAac_FfmpegAac)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(ShareAsOpus_VoiceTray)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(ShareAsOpus_FfmpegLibopus)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(ShareCleanedAsOpus_VoiceTray)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(ShareCleanedAsOpus_FfmpegTwoPasses)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(OpenOneHourRecording_VoiceTray)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

BENCHMARK(OpenThreeHourEngineRecording_VoiceTray)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

BENCHMARK(WaveformFirst_VoiceTray)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(WaveformFirst_VoiceTrayOneCore)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(WaveformFirst_FfmpegDecodeOnly)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(WaveformCached_VoiceTray)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

// As the program does at its start.
int main(int argc, char** argv)
{
    HeapTuning::keepLargeBlocks();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
