// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <vector>

// Audio files made and measured independently of the program's media layer,
// with the ffmpeg command and FFmpeg's libraries.

// Runs the ffmpeg command with the arguments (quiet, overwriting); true when it succeeded.
bool ffmpeg(const QStringList& args);

// A sine tone made by the ffmpeg command, making the folders on the way. The
// options go between the input and the file (codec, rate, channels, muxer);
// without them the extension decides, at 44100 Hz mono.
bool makeTone(const QString& path, double seconds, const QStringList& options = {},
              int frequency = 440);

// Stream facts of the first audio stream as ffprobe reports them, one per line:
// probe(file, "codec_name,sample_rate,channels") is "aac\n44100\n2".
QString probe(const QString& path, const QString& entries);

// The lengths in seconds that ffprobe (of the audio stream) and GStreamer's
// discoverer give; -1 where one finds none.
double ffprobeSeconds(const QString& path);
double gstreamerSeconds(const QString& path);

// The compressed packets of the file's audio stream, in order.
std::vector<QByteArray> packets(const QString& path);

// A whole audio file decoded by the ffmpeg command into float samples per
// channel, at its own rate.
struct DecodedAudio
{
    bool ok = false;
    QString codec;
    int sampleRate = 0;
    std::vector<std::vector<float>> channels;

    static DecodedAudio decode(const QString& path);

    size_t frames() const { return channels.empty() ? 0 : channels.front().size(); }
    double seconds() const { return sampleRate > 0 ? double(frames()) / sampleRate : 0.0; }
    // The frequency of a tone in one channel between two frames, from the
    // spacing of its rising zero crossings, leaving out spacings more than
    // 10 % from the usual one; 0 when there is no tone.
    double frequency(size_t channel, size_t from, size_t to) const;
    // The same for a stretch given in seconds, in the first channel.
    double frequencyAt(double from, double length) const;
    // The largest absolute sample of one channel between two frames.
    float peak(size_t channel, size_t from, size_t to) const;
    // The amplitude of a tone of the given frequency in one channel, over a
    // window of frames that starts every step frames (one bin of a discrete
    // Fourier transform): other tones count for little once the window holds
    // a few dozen cycles of their difference.
    std::vector<double> toneEnvelope(size_t channel, double frequency, size_t window,
                                     size_t step) const;
    // The largest difference between neighbouring samples (a click stands
    // out), and the frame after which it lies.
    float largestStep(size_t channel, size_t from, size_t to) const;
    size_t largestStepAt(size_t channel, size_t from, size_t to) const;
    // The longest run of samples below the level, in seconds (a gap).
    double longestQuiet(size_t channel, size_t from, size_t to, float level) const;
};

// The frequency of the tone in a stretch of a file, in seconds.
double frequencyAt(const QString& path, double from, double length);

// How far apart two peak envelopes (0 to 1, of any counts) are drawn on a
// waveform strip of the given columns and height, each scaled to its loudest
// column as the strip scales it: the largest difference of a column's half
// height, in pixels.
double drawnDistance(const std::vector<float>& a, const std::vector<float>& b, int columns,
                     int height);
