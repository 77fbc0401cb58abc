// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/MediaTestFiles.h"

#include <QFile>
#include <QProcess>

extern "C" {
#include <libavformat/avformat.h>
}

#include <cmath>
#include <cstring>

MediaTestFiles::MediaTestFiles() = default;

bool MediaTestFiles::ffmpeg(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral("ffmpeg"), QStringList{"-v", "error", "-nostdin", "-y"} + args);
    return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

QString MediaTestFiles::tone(const QString& name, int frequency, double seconds,
                             const QStringList& codecArgs)
{
    const QString out = path(name);
    const QString source =
        QStringLiteral("sine=frequency=%1:duration=%2").arg(frequency).arg(seconds);
    if (!ffmpeg(QStringList{"-f", "lavfi", "-i", source} + codecArgs + QStringList{out}))
        return {};
    return out;
}

QString MediaTestFiles::aac(const QString& name, int frequency, double seconds, int rate)
{
    return tone(name, frequency, seconds,
                {"-ac", "2", "-ar", QString::number(rate), "-c:a", "aac", "-f", "ipod"});
}

double MediaTestFiles::frequencyAt(const QString& path, double from, double length)
{
    QProcess process;
    process.start(QStringLiteral("ffmpeg"),
                  {"-v", "error", "-nostdin", "-i", path, "-ss", QString::number(from), "-t",
                   QString::number(length), "-ac", "1", "-ar", "44100", "-f", "f32le", "-"});
    if (!process.waitForFinished(60000))
        return 0.0;
    const QByteArray raw = process.readAllStandardOutput();
    const auto* samples = reinterpret_cast<const float*>(raw.constData());
    const qsizetype count = raw.size() / qsizetype(sizeof(float));
    if (count < 2)
        return 0.0;
    // Upward zero crossings per second; a pure tone has one per period.
    int crossings = 0;
    for (qsizetype i = 1; i < count; ++i) {
        if (samples[i - 1] < 0.0f && samples[i] >= 0.0f)
            ++crossings;
    }
    return crossings * 44100.0 / count;
}

std::vector<float> MediaTestFiles::decode(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral("ffmpeg"), {"-v", "error", "-nostdin", "-i", path, "-ac", "1",
                                             "-ar", "44100", "-f", "f32le", "-"});
    process.waitForFinished(60000);
    const QByteArray raw = process.readAllStandardOutput();
    std::vector<float> samples(static_cast<size_t>(raw.size()) / sizeof(float));
    std::memcpy(samples.data(), raw.constData(), samples.size() * sizeof(float));
    return samples;
}

std::string MediaTestFiles::probe(const QString& path, const QString& entry)
{
    QProcess process;
    process.start(QStringLiteral("ffprobe"),
                  {"-v", "error", "-select_streams", "a:0", "-show_entries", "stream=" + entry,
                   "-of", "default=nw=1:nk=1", path});
    process.waitForFinished(30000);
    return process.readAllStandardOutput().trimmed().toStdString();
}

std::vector<QByteArray> MediaTestFiles::packets(const QString& path)
{
    std::vector<QByteArray> result;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
        return result;
    if (avformat_find_stream_info(format, nullptr) >= 0) {
        const int stream = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        AVPacket* packet = av_packet_alloc();
        while (stream >= 0 && av_read_frame(format, packet) >= 0) {
            if (packet->stream_index == stream)
                result.emplace_back(reinterpret_cast<const char*>(packet->data), packet->size);
            av_packet_unref(packet);
        }
        av_packet_free(&packet);
    }
    avformat_close_input(&format);
    return result;
}

QByteArray MediaTestFiles::contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
