// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "av/PeakEnvelope.h"
#include "media/MediaInfo.h"
#include "media/SourcePackets.h"

#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class FileBatch;
class Mp4AudioWriter;
class ChainReader;

// Writes a list of segments as one self-contained AAC .m4a file.
// Where a segment's compressed packets fit the output (AAC of the same
// sample rate, channels and codec configuration, in an MPEG-4 file) its
// packets are copied as bytes; the rest is decoded and encoded. Where one
// segment follows another, the frames around the seam are encoded again
// from the decoded sound, so the file plays as one take: no encoder delay
// or padding in between and no click (see SeamMixer). Long stretches that
// must be encoded are encoded in two halves on two threads when allowed.
// Never writes over a source, and nothing appears at the destination
// unless the whole file was written. One thread at a time.
class MovieWriter
{
public:
    // Called with the part written so far (0..1); answering false cancels.
    using Progress = std::function<bool(double fraction)>;

    MovieWriter(std::vector<MovieSegment> segments, int sampleRate, int channels);
    ~MovieWriter();
    MovieWriter(const MovieWriter&) = delete;
    MovieWriter& operator=(const MovieWriter&) = delete;

    void setProgress(Progress progress) { m_progress = std::move(progress); }
    // Threads an encoding may use (1 or 2); by default as many as the
    // machine has cores, up to 2.
    void setThreads(int threads) { m_threads = threads; }
    // Where to put the peaks of the written file's sound, found by decoding
    // its packets as they are written. Only a file encoded whole on one
    // thread gets them; otherwise it is left empty.
    void setPeaks(PeakEnvelope* peaks) { m_peaks = peaks; }

    // Answers an error text, empty on success. Given a batch, the file
    // takes its name when the batch is committed.
    QString write(const QString& destination, FileBatch* batch = nullptr);

    // Samples the encoder needs before and after a stretch it replaces in
    // the middle of a file, so that its frames overlap the copied ones as
    // the original encoder's did.
    static constexpr int kLeadFrames = 4;
    static constexpr int kLookFrames = 2;

private:
    struct Span
    {
        size_t segment = 0;
        int64_t from = 0; // source samples
        int64_t to = 0;
    };
    struct Piece
    {
        bool copy = false;
        // A copy: packets [first, last) of the segment's source.
        size_t segment = 0;
        size_t first = 0;
        size_t last = 0;
        // An encoding: the spans of sound one after another, each joined to
        // the one before with a seam of the given shortening.
        std::vector<Span> spans;
        std::vector<int64_t> shortenings;
        Span lead;          // sound before the stretch, from the copy it follows
        Span look;          // sound after it, from the copy that follows
        bool fresh = false; // the file starts here: the encoder's delay is kept
        int64_t content = 0;
    };

    QString plan();
    int64_t spanFrames(const Span& span) const;
    int64_t soundEnd(size_t index) const;
    QString writePieces(Mp4AudioWriter& out);
    bool copyPiece(Mp4AudioWriter& out, const Piece& piece);
    QString encodePiece(Mp4AudioWriter& out, const Piece& piece);
    QString encodeHalves(Mp4AudioWriter& out, const Piece& piece, int64_t bitRate);
    std::unique_ptr<ChainReader> readerFor(const Piece& piece) const;
    int64_t bitRateFor(const Piece& piece) const;
    bool reportProgress();

    std::vector<MovieSegment> m_segments;
    // Per segment; unusable when not copied.
    std::vector<std::shared_ptr<const SourcePackets>> m_packets;
    std::vector<bool> m_copyable;
    int m_rate;
    int m_channels;
    bool m_copyAllowed = true;
    int m_threads;
    Progress m_progress;
    PeakEnvelope* m_peaks = nullptr;

    MediaInfo m_output;
    std::vector<Piece> m_pieces;
    int64_t m_skip = 0;
    int64_t m_length = 0;
    int64_t m_total = 0;
    std::atomic<int64_t> m_done{0};
    std::atomic<bool> m_cancelled{false};
    double m_reported = -1.0;
};
