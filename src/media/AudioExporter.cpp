// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/AudioExporter.h"

#include "media/AudioFilterChain.h"
#include "media/MediaProber.h"
#include "media/MovieExporter.h"
#include "media/SegmentReader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/mathematics.h>
#include <libavutil/mem.h>
#include <libavutil/opt.h>
}

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// How each format is written: encoder, muxer, rate, sample format and a bit
// rate that keeps a voice clear without wasting space.
struct Spec
{
    const char* codec;
    const char* muxer;
    int rate;
    int channels;
    AVSampleFormat format;
    int64_t bitRate;
    // Frames stand alone (no bit reservoir, no whole-file headers): the
    // file may be encoded in stretches side by side.
    bool split;
};

constexpr int kLoudnessRate = 48000;
constexpr int kBlock = kLoudnessRate / 10;  // the 100 ms steps of the loudness blocks
constexpr int kLoudnessWindow = 4 * kBlock; // one block: 400 ms
constexpr double kTargetLoudness = -16.0;   // LUFS, the spoken-word norm
constexpr double kPeakLimit = 0.891;        // -1 dBFS
constexpr int64_t kMinStretch = 48000 * 20; // shorter files are not split
constexpr int64_t kChunk = 4096;

int mp3Rate(int rate)
{
    constexpr std::array<int, 9> rates = {48000, 44100, 32000, 24000, 22050,
                                          16000, 12000, 11025, 8000};
    return std::find(rates.begin(), rates.end(), rate) != rates.end() ? rate : 44100;
}

Spec specFor(ExportFormat format, const MediaInfo& info)
{
    const int channels = std::clamp(info.channels, 1, 2);
    const int64_t lossy = channels == 1 ? 64000 : 96000;
    switch (format) {
    case ExportFormat::Opus:
        return {
            "libopus", "opus", 48000, channels, AV_SAMPLE_FMT_FLT, channels == 1 ? 32000 : 48000,
            true};
    case ExportFormat::Mp3:
        return {"libmp3lame", "mp3", mp3Rate(info.sampleRate), channels, AV_SAMPLE_FMT_FLTP,
                lossy,        true};
    case ExportFormat::Flac:
        return {"flac", "flac", info.sampleRate, channels, AV_SAMPLE_FMT_S16, 0, false};
    case ExportFormat::Wav:
        return {"pcm_s16le", "wav", info.sampleRate, channels, AV_SAMPLE_FMT_S16, 0, false};
    case ExportFormat::M4a:
        break;
    }
    return {"aac", "ipod", MovieExporter::outputRate(info.sampleRate), channels, AV_SAMPLE_FMT_FLTP,
            lossy, true};
}

FFmpegPtr<AVCodecContext> openEncoder(const Spec& spec, bool globalHeader)
{
    const AVCodec* codec = avcodec_find_encoder_by_name(spec.codec);
    if (!codec)
        return nullptr;
    FFmpegPtr<AVCodecContext> encoder(avcodec_alloc_context3(codec));
    if (!encoder)
        return nullptr;
    encoder->sample_rate = spec.rate;
    av_channel_layout_default(&encoder->ch_layout, spec.channels);
    encoder->sample_fmt = spec.format;
    encoder->bit_rate = spec.bitRate;
    encoder->time_base = AVRational{1, spec.rate};
    encoder->thread_count = 1;
    if (globalHeader)
        encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    FFmpegPtr<AVDictionary> options;
    if (spec.format == AV_SAMPLE_FMT_FLT && std::string_view(spec.codec) == "libopus")
        setOption(options, "application", "voip");
    if (std::string_view(spec.codec) == "libmp3lame")
        setOption(options, "reservoir", int64_t(0));
    if (withOptions(options, [&](AVDictionary** dictionary) {
            return avcodec_open2(encoder.get(), codec, dictionary);
        }) < 0)
        return nullptr;
    return encoder;
}

// The samples afftdn holds back before its output starts: FFmpeg's filter
// hands on its sound half a window late, with the time stamps of its input.
int denoiseDelay(int rate)
{
    const int window = int(0.5 + rate * 50.0 / 1000.0);
    return window / 2;
}

// The denoiser, its delay covered by real sound in the middle of the file
// and by silence at its end.
QString denoise(int rate, bool end)
{
    const int delay = denoiseDelay(rate);
    return QStringLiteral("%1afftdn,atrim=start_sample=%2,asetpts=PTS-STARTPTS")
        .arg(end ? QStringLiteral("apad=pad_len=%1,").arg(delay) : QString())
        .arg(delay);
}

// One stretch of the output: sound is read from `from`, and the packets
// that start in [begin, end) are kept (the last stretch keeps all to the end).
struct Stretch
{
    int64_t from = 0;
    int64_t begin = 0;
    int64_t end = 0;
    bool last = false;
    std::vector<FFmpegPtr<AVPacket>> packets;
    // The first stretch writes its packets as they come.
    std::function<bool(AVPacket*)> write;
    QString error;
    // Ended because another thread failed.
    bool stopped = false;
};

// Work shared by the threads of one export.
struct Shared
{
    std::atomic<int64_t> done{0};
    // Set to end every thread: by a cancel, or by a failure in one of them.
    std::atomic<bool> stop{false};
    std::atomic<bool> cancelled{false};
    std::mutex mutex;
    std::condition_variable changed;
    int running = 0;
};

// Decodes a stretch of the source and hands each chunk of samples on.
bool readStretch(const MediaInfoPtr& info, int rate, int channels, int64_t from, int64_t to,
                 Shared& shared, const std::function<bool(const float*, int64_t)>& take)
{
    SegmentReader reader({MovieSegment{info, info->startSample, info->durationSamples}}, rate,
                         channels);
    if (!reader.seek(from))
        return false;
    std::vector<float> buffer(size_t(kChunk * channels));
    for (int64_t at = from; at < to;) {
        if (shared.stop)
            return false;
        const int64_t got = reader.read(buffer.data(), std::min(kChunk, to - at));
        if (got <= 0)
            return reader.error().isEmpty();
        if (!take(buffer.data(), got))
            return false;
        at += got;
        shared.done += got;
    }
    return true;
}

void encodeStretch(const Spec& spec, const MediaInfoPtr& info, const QString& filters,
                   int64_t length, Stretch& stretch, Shared& shared)
{
    FFmpegPtr<AVCodecContext> encoder = openEncoder(spec, false);
    FFmpegPtr<AVPacket> packet(av_packet_alloc());
    if (!encoder || !packet) {
        stretch.error = QStringLiteral("The encoder %1 is missing").arg(spec.codec);
        return;
    }
    const int64_t delay = encoder->initial_padding;
    const auto keep = [&](AVPacket* made) {
        if (made->pts < stretch.begin - delay ||
            (!stretch.last && made->pts >= stretch.end - delay))
            return true;
        if (stretch.write)
            return stretch.write(made);
        stretch.packets.emplace_back(av_packet_clone(made));
        return stretch.packets.back() != nullptr;
    };
    const auto receive = [&]() {
        for (;;) {
            const int got = avcodec_receive_packet(encoder.get(), packet.get());
            if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
                return true;
            if (got < 0 || !keep(packet.get()))
                return false;
            av_packet_unref(packet.get());
        }
    };
    int64_t nextPts = stretch.from;
    AudioFilterChain chain(spec.rate, spec.channels, filters, spec.format, encoder->frame_size);
    const bool opened = chain.open([&](AVFrame* frame) {
        frame->pts = nextPts;
        nextPts += frame->nb_samples;
        return avcodec_send_frame(encoder.get(), frame) >= 0 && receive();
    });
    if (!opened) {
        stretch.error = QStringLiteral("The filters cannot be set up");
        return;
    }
    // A stretch in the middle reads on past its end, so that the encoder's
    // and the filters' delays are covered by real sound.
    const int64_t to =
        stretch.last ? length
                     : std::min(length, stretch.end + 4 * std::max(encoder->frame_size, 4096));
    const bool read = readStretch(
        info, spec.rate, spec.channels, stretch.from, to, shared,
        [&](const float* samples, int64_t frames) { return chain.feed(samples, frames); });
    if (!read || !chain.finish() || avcodec_send_frame(encoder.get(), nullptr) < 0 || !receive()) {
        stretch.stopped = shared.stop;
        stretch.error = QStringLiteral("The recording cannot be read or encoded");
    }
}

// Runs the work on as many threads, reporting progress from the calling
// thread while they go; false when cancelled.
bool runAll(int count, const std::function<void(int)>& work, Shared& shared,
            const std::function<bool()>& report)
{
    std::vector<std::thread> threads;
    {
        std::lock_guard lock(shared.mutex);
        shared.running = count;
    }
    for (int i = 0; i < count; ++i)
        threads.emplace_back([&, i] {
            work(i);
            std::lock_guard lock(shared.mutex);
            --shared.running;
            shared.changed.notify_all();
        });
    for (;;) {
        std::unique_lock lock(shared.mutex);
        if (shared.changed.wait_for(lock, std::chrono::milliseconds(50),
                                    [&] { return shared.running == 0; }))
            break;
        lock.unlock();
        if (!report())
            shared.cancelled = shared.stop = true;
    }
    for (std::thread& thread : threads)
        thread.join();
    return !shared.cancelled;
}

// Integrated loudness (ITU-R BS.1770 with its gates) of the source and its
// highest sample, measured by FFmpeg's ebur128 filter in stretches side by
// side: each stretch reads one block early and keeps the 400 ms blocks that
// end inside it.
struct Loudness
{
    double integrated = -70;
    double peak = 0;
};

bool measure(const MediaInfoPtr& info, const std::function<QString(int, bool)>& before, int threads,
             Shared& shared, const std::function<bool()>& report, Loudness& result)
{
    const int channels = std::clamp(info->channels, 1, 2);
    SegmentReader probe({MovieSegment{info, info->startSample, info->durationSamples}},
                        kLoudnessRate, channels);
    const int64_t length = probe.length();
    const int count = length >= 2 * kMinStretch ? threads : 1;
    const int64_t step = (length / count + kBlock - 1) / kBlock * kBlock;
    std::vector<std::vector<double>> blocks(static_cast<size_t>(count));
    std::vector<double> peaks(size_t(count), 0.0);
    std::vector<bool> failed(size_t(count), false);
    const auto work = [&](int i) {
        const int64_t begin = i * step;
        const int64_t end = i + 1 == count ? length : std::min(length, begin + step);
        const int64_t from = std::max<int64_t>(0, begin - kLoudnessWindow);
        int64_t blockEnd = from;
        QString filters = before(kLoudnessRate, i + 1 == count);
        if (!filters.isEmpty())
            filters += QLatin1Char(',');
        filters += QStringLiteral("asetnsamples=n=%1:p=0,ebur128=metadata=1").arg(kBlock);
        AudioFilterChain chain(kLoudnessRate, channels, filters, AV_SAMPLE_FMT_FLT, 0);
        const bool opened = chain.open([&](AVFrame* frame) {
            blockEnd += frame->nb_samples;
            const AVDictionaryEntry* momentary =
                av_dict_get(frame->metadata, "lavfi.r128.M", nullptr, 0);
            if (momentary && blockEnd - kLoudnessWindow >= from && blockEnd > begin &&
                blockEnd <= end)
                blocks[size_t(i)].push_back(std::strtod(momentary->value, nullptr));
            return true;
        });
        failed[size_t(i)] =
            !opened ||
            !readStretch(info, kLoudnessRate, channels, from, end, shared,
                         [&](const float* samples, int64_t frames) {
                             for (int64_t s = 0; s < frames * channels; ++s)
                                 peaks[size_t(i)] =
                                     std::max(peaks[size_t(i)], double(std::fabs(samples[s])));
                             return chain.feed(samples, frames);
                         }) ||
            !chain.finish();
    };
    if (!runAll(count, work, shared, report) ||
        std::find(failed.begin(), failed.end(), true) != failed.end())
        return false;
    std::vector<double> energies;
    for (const std::vector<double>& stretch : blocks)
        for (const double loudness : stretch)
            if (loudness > -70.0)
                energies.push_back(std::pow(10.0, (loudness + 0.691) / 10.0));
    const auto mean = [](const std::vector<double>& values, double floor) {
        double sum = 0;
        int counted = 0;
        for (const double value : values)
            if (value > floor) {
                sum += value;
                ++counted;
            }
        return counted ? sum / counted : 0.0;
    };
    const double ungated = mean(energies, 0.0);
    result.peak = *std::max_element(peaks.begin(), peaks.end());
    if (ungated <= 0)
        return true;
    // The relative gate: blocks 10 LU below the mean do not count.
    const double gated = mean(energies, ungated / 10.0);
    result.integrated = -0.691 + 10.0 * std::log10(gated);
    return true;
}

QString clock(double seconds)
{
    const auto ms = int64_t(std::llround(seconds * 1000));
    return QStringLiteral("%1:%2:%3.%4")
        .arg(ms / 3600000, 2, 10, QLatin1Char('0'))
        .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

// A mark without a note is named by its time.
QString chapterTitle(const ExportItem::Chapter& chapter)
{
    return chapter.title.isEmpty() ? clock(chapter.start) : chapter.title;
}

void setTag(AVDictionary** tags, const char* key, const QString& value)
{
    if (!value.isEmpty())
        av_dict_set(tags, key, value.toUtf8().constData(), 0);
}

// Title, date and description as tags; the marks as chapters. Ogg and FLAC
// files get them as CHAPTERnn comments written here: FFmpeg's FLAC muxer
// writes none and its Ogg one rounds their times to whole seconds. The
// chapter track of an MPEG-4 file starts at 0 whatever its first chapter
// says, so one named after the recording comes first there.
bool describe(AVFormatContext* format, const ExportItem& item, ExportFormat kind, double length)
{
    setTag(&format->metadata, "title", item.title);
    if (item.date.isValid())
        setTag(&format->metadata, "date",
               item.date.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")));
    setTag(&format->metadata, "comment", item.description);
    std::vector<ExportItem::Chapter> chapters;
    for (const ExportItem::Chapter& chapter : item.chapters)
        if (chapter.start >= 0 && chapter.start < length)
            chapters.push_back(chapter);
    std::stable_sort(chapters.begin(), chapters.end(),
                     [](const auto& a, const auto& b) { return a.start < b.start; });
    if (kind == ExportFormat::Wav || chapters.empty())
        return true;
    if (kind == ExportFormat::M4a && chapters.front().start > 0)
        chapters.insert(chapters.begin(), ExportItem::Chapter{0, item.title});
    const bool comments = kind == ExportFormat::Flac || kind == ExportFormat::Opus;
    if (comments) {
        for (size_t i = 0; i < chapters.size(); ++i) {
            const QByteArray key =
                QStringLiteral("CHAPTER%1").arg(i + 1, 2, 10, QLatin1Char('0')).toLatin1();
            setTag(&format->metadata, key.constData(), clock(chapters[i].start));
            setTag(&format->metadata, (key + "NAME").constData(), chapterTitle(chapters[i]));
        }
        return true;
    }
    format->chapters = static_cast<AVChapter**>(av_calloc(chapters.size(), sizeof(AVChapter*)));
    if (!format->chapters)
        return false;
    for (size_t i = 0; i < chapters.size(); ++i) {
        auto* chapter = static_cast<AVChapter*>(av_mallocz(sizeof(AVChapter)));
        if (!chapter)
            return false;
        format->chapters[format->nb_chapters++] = chapter;
        chapter->id = int64_t(i);
        chapter->time_base = AVRational{1, 1000};
        chapter->start = std::llround(chapters[i].start * 1000);
        chapter->end =
            std::llround((i + 1 < chapters.size() ? chapters[i + 1].start : length) * 1000);
        setTag(&chapter->metadata, "title", chapterTitle(chapters[i]));
    }
    return true;
}

QString writeFile(const ExportItem& item, const ExportOptions& options, const MediaInfoPtr& info,
                  const QString& part, const AudioExporter::Progress& progress, int threads)
{
    const Spec spec = specFor(options.format, *info);
    Shared shared;
    const auto report = [&](double from, double span, int64_t total) {
        return [&, from, span, total] {
            return !progress ||
                   progress(from + span * std::min(1.0, double(shared.done) /
                                                            double(std::max<int64_t>(1, total))));
        };
    };
    double gainDb = 0;
    double peak = 0;
    const double measureShare = !options.evenLoudness ? 0.0 : options.reduceNoise ? 0.45 : 0.25;
    if (options.evenLoudness) {
        Loudness loudness;
        const int64_t total = av_rescale(info->durationSamples, kLoudnessRate, info->sampleRate);
        // Measured after the denoiser: the noise it takes away was loud too.
        const auto before = [&](int rate, bool end) {
            return options.reduceNoise ? denoise(rate, end) : QString();
        };
        if (!measure(info, before, threads, shared, report(0, measureShare, total), loudness))
            return shared.cancelled ? QStringLiteral("The operation was cancelled")
                                    : QStringLiteral("The recording cannot be read");
        if (loudness.integrated > -70.0)
            gainDb = kTargetLoudness - loudness.integrated;
        peak = loudness.peak * std::pow(10.0, gainDb / 20.0);
        shared.done = 0;
    }

    SegmentReader probe({MovieSegment{info, info->startSample, info->durationSamples}}, spec.rate,
                        spec.channels);
    const int64_t length = probe.length();
    const double seconds = double(length) / spec.rate;

    OutputFormatPtr format;
    {
        AVFormatContext* made = nullptr;
        if (avformat_alloc_output_context2(&made, nullptr, spec.muxer, nullptr) < 0 || !made)
            return QStringLiteral("The format cannot be written");
        format.reset(made);
    }
    FFmpegPtr<AVCodecContext> model =
        openEncoder(spec, (format->oformat->flags & AVFMT_GLOBALHEADER) != 0);
    AVStream* stream = avformat_new_stream(format.get(), nullptr);
    if (!model || !stream || avcodec_parameters_from_context(stream->codecpar, model.get()) < 0)
        return QStringLiteral("The encoder %1 is missing").arg(spec.codec);
    stream->time_base = AVRational{1, spec.rate};
    if (!describe(format.get(), item, options.format, seconds))
        return QStringLiteral("Out of memory");
    FileOutputPtr file;
    {
        AVIOContext* io = nullptr;
        if (avio_open(&io, QFile::encodeName(part).constData(), AVIO_FLAG_WRITE) < 0)
            return QStringLiteral("The file cannot be written");
        file.reset(io);
        format->pb = io;
    }
    if (avformat_write_header(format.get(), nullptr) < 0)
        return QStringLiteral("The file cannot be written");
    const auto writePacket = [&](AVPacket* packet) {
        FFmpegPtr<AVPacket> copy(av_packet_clone(packet));
        if (!copy)
            return false;
        copy->stream_index = 0;
        av_packet_rescale_ts(copy.get(), AVRational{1, spec.rate}, stream->time_base);
        return av_write_frame(format.get(), copy.get()) >= 0;
    };

    const auto chain = [&](bool end) {
        QStringList filters;
        if (options.reduceNoise)
            filters << denoise(spec.rate, end);
        if (std::abs(gainDb) > 0.01)
            filters << QStringLiteral("volume=%1dB").arg(gainDb, 0, 'f', 2);
        if (peak > kPeakLimit)
            filters << QStringLiteral("alimiter=limit=%1:level=0:latency=1").arg(kPeakLimit);
        return filters.join(QLatin1Char(','));
    };

    // Stretches on a grid of whole frames, each read from a little before
    // its start so that the encoder and the filters have settled.
    const int frame = std::max(model->frame_size, 1);
    const int count = spec.split && length >= 2 * kMinStretch ? std::max(threads, 1) : 1;
    const int64_t step = (length / count + frame - 1) / frame * frame;
    const int64_t lead = (spec.rate / 4 + frame - 1) / frame * frame;
    std::vector<Stretch> stretches(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        Stretch& stretch = stretches[size_t(i)];
        stretch.begin = i * step;
        stretch.end = std::min(length, stretch.begin + step);
        stretch.from = std::max<int64_t>(0, stretch.begin - lead);
        stretch.last = i + 1 == count;
    }
    stretches.front().write = writePacket;
    int64_t work = 0;
    for (const Stretch& stretch : stretches)
        work += (stretch.last ? length : stretch.end) - stretch.from;
    const bool finished = runAll(
        count,
        [&](int i) {
            Stretch& stretch = stretches[size_t(i)];
            encodeStretch(spec, info, chain(stretch.last), length, stretch, shared);
            if (!stretch.error.isEmpty())
                shared.stop = true;
        },
        shared, report(measureShare, 1.0 - measureShare, work));
    if (!finished)
        return QStringLiteral("The operation was cancelled");
    // The first failure, not the stops it caused in the other threads.
    for (const Stretch& stretch : stretches)
        if (!stretch.error.isEmpty() && !stretch.stopped)
            return stretch.error;
    for (size_t i = 1; i < stretches.size(); ++i)
        for (FFmpegPtr<AVPacket>& packet : stretches[i].packets)
            if (!writePacket(packet.get()))
                return QStringLiteral("The file cannot be written");
    if (av_write_trailer(format.get()) < 0)
        return QStringLiteral("The file cannot be written");
    format->pb = nullptr;
    AVIOContext* io = file.release();
    if (avio_closep(&io) < 0)
        return QStringLiteral("The file cannot be written");
    return QString();
}

} // namespace

QString AudioExporter::suffix(ExportFormat format)
{
    switch (format) {
    case ExportFormat::Opus:
        return QStringLiteral("opus");
    case ExportFormat::Mp3:
        return QStringLiteral("mp3");
    case ExportFormat::Flac:
        return QStringLiteral("flac");
    case ExportFormat::Wav:
        return QStringLiteral("wav");
    case ExportFormat::M4a:
        break;
    }
    return QStringLiteral("m4a");
}

QString AudioExporter::write(const ExportItem& item, const ExportOptions& options,
                             const Progress& progress, int threads)
{
    if (threads <= 0)
        threads = std::max(1, int(std::thread::hardware_concurrency()));
    QString error;
    const MediaInfoPtr info = MediaProber::probe(item.source, &error);
    if (!info)
        return error;
    const QFileInfo destination(item.destination);
    if (destination.exists() || destination.isSymLink())
        return QStringLiteral("A file of that name is already there");
    const QString part = destination.dir().filePath(QLatin1Char('.') + destination.fileName() +
                                                    QStringLiteral(".part"));
    error = writeFile(item, options, info, part, progress, threads);
    // Taking the name fails rather than write over a file made meanwhile.
    if (error.isEmpty() && !QFile::rename(part, item.destination))
        error = QStringLiteral("A file of that name is already there");
    if (!error.isEmpty())
        QFile::remove(part);
    return error;
}
