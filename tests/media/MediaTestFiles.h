// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <string>
#include <vector>

// Input files for the media tests, made by the ffmpeg command in a private
// folder, and independent measurements of the files the media layer writes.
class MediaTestFiles
{
public:
    MediaTestFiles();

    QString path(const QString& name) const { return m_dir.filePath(name); }

    // A sine tone; codecArgs are the ffmpeg output options (codec, rate, channels).
    QString tone(const QString& name, int frequency, double seconds, const QStringList& codecArgs);
    // Stereo AAC .m4a of a sine tone at the sample rate, as the recorder writes them.
    QString aac(const QString& name, int frequency, double seconds, int rate = 44100);

    // Runs the ffmpeg command; true on exit code 0.
    static bool ffmpeg(const QStringList& args);
    // The dominant frequency of a stretch of a file, decoded by the ffmpeg command.
    static double frequencyAt(const QString& path, double from, double length);
    // The whole file decoded by the ffmpeg command, mono float at 44100 Hz.
    static std::vector<float> decode(const QString& path);
    // Stream facts as ffprobe reports them.
    static std::string probe(const QString& path, const QString& entry);
    // The compressed packets of the file's audio stream, in order.
    static std::vector<QByteArray> packets(const QString& path);
    // The file's bytes, for checking that sources stay unchanged.
    static QByteArray contents(const QString& path);

private:
    QTemporaryDir m_dir;
};
