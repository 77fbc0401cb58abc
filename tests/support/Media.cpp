// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Media.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cmath>
#include <complex>
#include <memory>

namespace {

struct FormatCloser
{
    void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
};
struct PacketFreer
{
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;

// The file opened with its first audio stream found; null when it is no audio.
FormatPtr openAudio(const QString& path, int* stream)
{
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
        return nullptr;
    FormatPtr format(raw);
    if (avformat_find_stream_info(raw, nullptr) < 0)
        return nullptr;
    *stream = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    return *stream >= 0 ? std::move(format) : nullptr;
}

} // namespace

bool ffmpeg(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral("ffmpeg"), QStringList{"-v", "error", "-nostdin", "-y"} + args);
    return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

bool makeTone(const QString& path, double seconds, const QStringList& options, int frequency)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QString tone = QStringLiteral("sine=frequency=%1:sample_rate=44100:duration=%2")
                             .arg(frequency)
                             .arg(seconds);
    return ffmpeg(QStringList{"-f", "lavfi", "-i", tone} + options + QStringList{path});
}

QString probe(const QString& path, const QString& entries)
{
    QProcess process;
    process.start(QStringLiteral("ffprobe"),
                  {"-v", "error", "-select_streams", "a:0", "-show_entries", "stream=" + entries,
                   "-of", "default=nw=1:nk=1", path});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput().trimmed());
}

double ffprobeSeconds(const QString& path)
{
    bool ok = false;
    const double seconds = probe(path, QStringLiteral("duration")).toDouble(&ok);
    return ok ? seconds : -1;
}

double gstreamerSeconds(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral("gst-discoverer-1.0"), {path});
    process.waitForFinished(30000);
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("Duration: (\\d+):(\\d+):(\\d+\\.\\d+)"))
            .match(QString::fromUtf8(process.readAllStandardOutput()));
    if (!match.hasMatch())
        return -1;
    return match.captured(1).toDouble() * 3600 + match.captured(2).toDouble() * 60 +
           match.captured(3).toDouble();
}

std::vector<QByteArray> packets(const QString& path)
{
    std::vector<QByteArray> result;
    int stream = -1;
    const FormatPtr format = openAudio(path, &stream);
    const std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
    while (format && av_read_frame(format.get(), packet.get()) >= 0) {
        if (packet->stream_index == stream)
            result.emplace_back(reinterpret_cast<const char*>(packet->data), packet->size);
        av_packet_unref(packet.get());
    }
    return result;
}

DecodedAudio DecodedAudio::decode(const QString& path)
{
    DecodedAudio result;
    const QStringList facts = probe(path, "codec_name,sample_rate,channels").split('\n');
    QProcess process;
    process.start(QStringLiteral("ffmpeg"),
                  {"-v", "quiet", "-nostdin", "-i", path, "-f", "f32le", "-"});
    if (facts.size() != 3 || !process.waitForFinished(120000))
        return result;
    const QByteArray raw = process.readAllStandardOutput();
    result.codec = facts[0];
    result.sampleRate = facts[1].toInt();
    result.channels.resize(size_t(std::max(facts[2].toInt(), 1)));
    const auto* samples = reinterpret_cast<const float*>(raw.constData());
    const size_t count = size_t(raw.size()) / sizeof(float);
    for (size_t i = 0; i < count; ++i)
        result.channels[i % result.channels.size()].push_back(samples[i]);
    result.ok = true;
    return result;
}

double DecodedAudio::frequency(size_t channel, size_t from, size_t to) const
{
    const std::vector<float>& s = channels.at(channel);
    to = std::min(to, s.size());
    std::vector<size_t> periods;
    size_t last = 0;
    for (size_t i = from + 1; i < to; ++i) {
        if (s[i - 1] < 0.0f && s[i] >= 0.0f) {
            if (last > 0)
                periods.push_back(i - last);
            last = i;
        }
    }
    if (periods.empty())
        return 0.0;
    // Where the sound stopped for a moment or broke up (a test source that
    // starved, and the encoder's transient after it), the spacing of the
    // crossings is far from the tone's: such periods are left out.
    std::vector<size_t> sorted = periods;
    std::nth_element(sorted.begin(), sorted.begin() + ptrdiff_t(sorted.size() / 2), sorted.end());
    const double usual = double(sorted[sorted.size() / 2]);
    size_t count = 0, length = 0;
    for (size_t period : periods)
        if (std::abs(double(period) - usual) <= 0.1 * usual) {
            ++count;
            length += period;
        }
    return double(count) * double(sampleRate) / double(length);
}

double DecodedAudio::frequencyAt(double from, double length) const
{
    return channels.empty()
               ? 0.0
               : frequency(0, size_t(from * sampleRate), size_t((from + length) * sampleRate));
}

float DecodedAudio::peak(size_t channel, size_t from, size_t to) const
{
    const std::vector<float>& s = channels.at(channel);
    float p = 0.0f;
    for (size_t i = from; i < std::min(to, s.size()); ++i)
        p = std::max(p, std::fabs(s[i]));
    return p;
}

std::vector<double> DecodedAudio::toneEnvelope(size_t channel, double frequency, size_t window,
                                               size_t step) const
{
    const std::vector<float>& s = channels.at(channel);
    if (window == 0 || step == 0 || sampleRate <= 0 || s.size() < window)
        return {};
    // Running sums of the signal turned by the tone's phase: each window's
    // bin is then the difference of two sums.
    std::vector<std::complex<double>> sums(s.size() + 1);
    const double turn = 2.0 * M_PI * frequency / sampleRate;
    for (size_t i = 0; i < s.size(); ++i)
        sums[i + 1] = sums[i] + double(s[i]) * std::polar(1.0, -turn * double(i));
    std::vector<double> envelope;
    for (size_t at = 0; at + window <= s.size(); at += step)
        envelope.push_back(2.0 * std::abs(sums[at + window] - sums[at]) / double(window));
    return envelope;
}

size_t DecodedAudio::largestStepAt(size_t channel, size_t from, size_t to) const
{
    const std::vector<float>& s = channels.at(channel);
    size_t at = from;
    for (size_t i = from + 1; i < std::min(to, s.size()); ++i)
        if (std::fabs(s[i] - s[i - 1]) > std::fabs(s[at + 1] - s[at]))
            at = i - 1;
    return at;
}

float DecodedAudio::largestStep(size_t channel, size_t from, size_t to) const
{
    const std::vector<float>& s = channels.at(channel);
    const size_t at = largestStepAt(channel, from, to);
    return at + 1 < s.size() ? std::fabs(s[at + 1] - s[at]) : 0.0f;
}

double DecodedAudio::longestQuiet(size_t channel, size_t from, size_t to, float level) const
{
    const std::vector<float>& s = channels.at(channel);
    size_t run = 0;
    size_t longest = 0;
    for (size_t i = from; i < std::min(to, s.size()); ++i) {
        run = std::fabs(s[i]) < level ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return sampleRate > 0 ? double(longest) / sampleRate : 0.0;
}

double frequencyAt(const QString& path, double from, double length)
{
    return DecodedAudio::decode(path).frequencyAt(from, length);
}

double drawnDistance(const std::vector<float>& a, const std::vector<float>& b, int columns,
                     int height)
{
    const auto drawn = [&](const std::vector<float>& peaks) {
        std::vector<float> out(size_t(columns), 0.0f);
        const size_t n = peaks.size();
        for (size_t c = 0; c < out.size() && n > 0; ++c) {
            const size_t first = c * n / out.size();
            const size_t last = std::max(first + 1, (c + 1) * n / out.size());
            out[c] = *std::max_element(peaks.begin() + long(first), peaks.begin() + long(last));
        }
        const float loudest = std::max(*std::max_element(out.begin(), out.end()), 0.05f);
        for (float& v : out)
            v = std::sqrt(v / loudest) * float(height / 2.0 - 2);
        return out;
    };
    const std::vector<float> x = drawn(a), y = drawn(b);
    double distance = 0;
    for (size_t c = 0; c < x.size(); ++c)
        distance = std::max(distance, double(std::fabs(x[c] - y[c])));
    return distance;
}
