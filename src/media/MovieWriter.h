// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/FFmpegPtr.h"
#include "media/MediaInfo.h"

#include <QString>
#include <functional>
#include <vector>

struct AVStream;

// Writes a list of segments as one self-contained AAC .m4a file.
// Segments whose compressed packets fit the output (same codec, sample rate,
// channels and codec configuration) are copied packet by packet; the others
// are decoded, converted and encoded. Never writes over a source, and
// nothing appears at the destination unless the whole file was written.
// One thread at a time.
class MovieWriter
{
public:
    // Called with the part written so far (0..1); answering false cancels.
    using Progress = std::function<bool(double fraction)>;

    MovieWriter(std::vector<MovieSegment> segments, int sampleRate, int channels);
    MovieWriter(const MovieWriter&) = delete;
    MovieWriter& operator=(const MovieWriter&) = delete;

    // Copying is on by default; off forces every segment through the encoder.
    void setCopyAllowed(bool allowed) { m_copyAllowed = allowed; }
    void setProgress(Progress progress) { m_progress = std::move(progress); }

    // Answers an error text, empty on success.
    QString write(const QString& destination);

private:
    QString writeSegments();
    bool openEncoder();
    bool copySegment(const MovieSegment& segment);
    bool encodeSegment(const MovieSegment& segment);
    bool encodeFrames(bool flush);
    bool finishEncoder();
    bool sendEncoded(AVFrame* frame);
    bool emitPacket(AVPacket* packet, int64_t pts, int64_t duration);
    bool writeHeld(int64_t nextPts);
    bool reportProgress();

    std::vector<MovieSegment> m_segments;
    int m_rate;
    int m_channels;
    bool m_copyAllowed = true;
    Progress m_progress;

    MediaInfo m_output;
    OutputFormatPtr m_format;
    AVStream* m_stream = nullptr;
    FFmpegPtr<AVCodecContext> m_encoder;
    FFmpegPtr<AVPacket> m_held;
    bool m_haveHeld = false;
    bool m_wroteAny = false;
    int64_t m_cursor = 0; // output samples laid down so far
    int64_t m_total = 0;
    int64_t m_runStart = 0;   // output position where the current encoder run began
    int64_t m_encoderFed = 0; // samples given to the current encoder run
    bool m_runAtStart = false;
    std::vector<float> m_fifo; // interleaved samples waiting for a whole encoder frame
    double m_reported = -1.0;
    QString m_error;
};
