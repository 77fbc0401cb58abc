// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/MovieWriter.h"

#include "av/PeakDecoder.h"
#include "media/AacEncoderRun.h"
#include "media/ChainReader.h"
#include "media/Mp4AudioWriter.h"
#include "media/SeamMixer.h"

#include <QFile>
#include <QFileInfo>

extern "C" {
#include <libavcodec/codec_id.h>
#include <libavutil/mathematics.h>
}

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <fcntl.h>
#include <future>
#include <limits>
#include <optional>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kFrame = SourcePackets::kFrameSize;
constexpr int kBitRatePerChannel = 64000;
constexpr int64_t kReadChunk = 4096;
// Packets copied between two looks at the progress and the cancel flag.
constexpr size_t kCopyBatch = 2048;
// A seam reaches this far into the sound on either side of it, so that
// the fade, any held sound and the frames around it are encoded again.
constexpr int64_t kTailReach = 3 * kFrame;
constexpr int64_t kHeadReach = 2 * kFrame;
// Shorter stretches are not worth a second thread.
constexpr int64_t kParallelSeconds = 120;
// The encoder's rate control takes some seconds to settle on a steady
// sound: the second half starts encoding this long before its first kept
// frame, so that its frames are those of an encoder that has run all along.
constexpr int64_t kSettleSeconds = 20;
// Below this part of the loudest sample near the end, decoded sound is the
// encoder's padding (its rounding noise) rather than the recording.
constexpr float kPaddingLevel = 0.1f;

QString sameFile(const QString& a, const QString& b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath() ? ca : QString();
}

// An open file descriptor, closed when it goes.
class Descriptor
{
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// A file with no name in the folder (or the temporary folder), gone when closed.
int anonymousFile(const QString& folder)
{
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0)
        return fd;
    FILE* file = std::tmpfile();
    if (!file)
        return -1;
    const int copy = ::dup(fileno(file));
    std::fclose(file);
    return copy;
}

} // namespace

MovieWriter::MovieWriter(std::vector<MovieSegment> segments, int sampleRate, int channels)
    : m_segments(std::move(segments)), m_rate(sampleRate), m_channels(channels),
      m_threads(std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 2))
{
}

MovieWriter::~MovieWriter() = default;

QString MovieWriter::write(const QString& destination, FileBatch* batch)
{
    if (m_segments.empty() || m_rate <= 0 || m_channels <= 0)
        return QStringLiteral("There is no audio to write");
    for (const MovieSegment& segment : m_segments) {
        if (!segment.source || segment.length <= 0 || segment.source->sampleRate <= 0)
            return QStringLiteral("There is no audio to write");
        if (!sameFile(segment.source->path, destination).isEmpty())
            return QStringLiteral("A file cannot be written over one of its sources");
        m_total += av_rescale(segment.length, m_rate, segment.source->sampleRate);
    }
    m_output.path = destination;
    QString error = plan();
    if (!error.isEmpty())
        return error;
    Mp4AudioWriter out(destination);
    if (!out.open({m_rate, m_channels, m_output.extradata}))
        return QStringLiteral("Unable to create the file");
    error = writePieces(out);
    if (error.isEmpty() && !out.finish(m_skip, m_length, batch))
        error = QStringLiteral("Unable to write the file");
    return error;
}

int64_t MovieWriter::spanFrames(const Span& span) const
{
    return av_rescale(span.to - span.from, m_rate, m_segments[span.segment].source->sampleRate);
}

QString MovieWriter::plan()
{
    const size_t count = m_segments.size();
    AacEncoderRun probe(m_rate, m_channels, int64_t(kBitRatePerChannel) * m_channels);
    if (!probe.open([](int64_t, const uint8_t*, int) { return true; }))
        return QStringLiteral("Unable to start the AAC encoder");
    const QByteArray encoderConfig = probe.config();
    const int delay = probe.delay();
    if (delay % kFrame != 0)
        return QStringLiteral("Unable to start the AAC encoder");

    m_packets.resize(count);
    m_copyable.assign(count, false);
    for (size_t i = 0; i < count; ++i) {
        const MediaInfo& info = *m_segments[i].source;
        // Only AAC in MPEG-4 has a table; other files are left unusable.
        m_packets[i] = SourcePackets::of(info);
        // Several pieces meet at seams, where the encoder's frames must fit
        // between the copied ones: only packets of the encoder's own kind.
        m_copyable[i] = m_copyAllowed && m_packets[i]->usable() && info.sampleRate == m_rate &&
                        info.channels == m_channels &&
                        (count == 1 || info.extradata == encoderConfig);
    }

    const SeamMixer mixer(m_rate, m_channels);
    // A segment whose copied middle would be too short to leave room for its
    // seams is encoded whole; planning starts again without it.
    for (size_t attempt = 0; attempt <= count; ++attempt) {
        m_pieces.clear();
        m_skip = 0;
        m_length = 0;
        std::optional<Piece> run;
        bool replan = false;
        for (size_t i = 0; i < count && !replan; ++i) {
            const MovieSegment& segment = m_segments[i];
            const MediaInfo& info = *segment.source;
            const bool last = i + 1 == count;
            int64_t from = segment.start;
            const int64_t to = last ? segment.start + segment.length : soundEnd(i);
            // The encoder's delay at the start of a continuation is silence
            // that the file does not mark: it goes at the seam.
            if (i > 0 && from == info.startSample && m_packets[i]->usable() &&
                m_packets[i]->primingUnmarked() && segment.length > 2 * kFrame)
                from += kFrame;
            if (m_copyable[i]) {
                const SourcePackets& table = *m_packets[i];
                const auto& packets = table.packets();
                size_t first = 0;
                if (i == 0) {
                    // One packet before the first sample, which its frame overlaps.
                    first = table.indexAt(from);
                    first = first > 0 ? first - 1 : 0;
                } else {
                    first = table.indexAt(from + kHeadReach) + 1;
                }
                const size_t end =
                    last ? table.indexAt(to - 1) + 1 : table.indexAt(to - kTailReach);
                const bool room = first < end && end <= packets.size() &&
                                  (i == 0 || packets[first].position > from + kHeadReach) &&
                                  (last || packets[end].position + kTailReach <= to);
                if (room && (i == 0 || run)) {
                    if (i > 0) {
                        const int64_t headEnd = packets[first].position;
                        const Span head{i, from, headEnd};
                        const int64_t audibleEnd = info.startSample + info.durationSamples;
                        run->look = Span{i, headEnd,
                                         std::min(headEnd + kLookFrames * kFrame,
                                                  std::max(headEnd, audibleEnd))};
                        if (!run->spans.empty())
                            run->shortenings.push_back(0);
                        run->spans.push_back(head);
                        int64_t mismatch = 0;
                        for (const Span& s : run->spans)
                            mismatch += spanFrames(s);
                        for (size_t k = 0; k + 1 < run->shortenings.size(); ++k)
                            mismatch -= run->shortenings[k];
                        const int64_t shortening = mixer.shorteningFor(mismatch, kFrame);
                        const Span& before = run->spans[run->spans.size() - 2];
                        if (spanFrames(before) < mixer.tailFrames(shortening) + kFrame) {
                            m_copyable[i] = false;
                            replan = true;
                            break;
                        }
                        run->shortenings.back() = shortening;
                        run->content = mismatch - shortening;
                        m_length += run->content;
                        m_pieces.push_back(std::move(*run));
                        run.reset();
                    }
                    Piece copy;
                    copy.copy = true;
                    copy.segment = i;
                    copy.first = first;
                    copy.last = end;
                    const int64_t copyFrom = i == 0 ? from : packets[first].position;
                    const int64_t copyTo = last ? to : packets[end].position;
                    if (i == 0)
                        m_skip = from - packets[first].position;
                    m_length += copyTo - copyFrom;
                    m_pieces.push_back(copy);
                    if (!last) {
                        Piece next;
                        size_t leadFirst = end >= size_t(kLeadFrames) ? end - kLeadFrames : 0;
                        while (leadFirst < end && packets[leadFirst].position < info.startSample)
                            ++leadFirst;
                        next.lead = Span{i, packets[leadFirst].position, packets[end].position};
                        next.spans.push_back(Span{i, packets[end].position, to});
                        run = std::move(next);
                    }
                    continue;
                }
                if (i > 0) {
                    // No room: this one is encoded whole.
                    m_copyable[i] = false;
                    replan = true;
                    break;
                }
            }
            if (!run) {
                run.emplace();
                run->fresh = true;
                m_skip = delay;
            }
            if (!run->spans.empty()) {
                const Span& before = run->spans.back();
                const Span next{i, from, to};
                // A free seam fades, holding the first sound's end for the fade.
                const bool fits = spanFrames(before) >= mixer.tailFrames(-mixer.fade()) + 1 &&
                                  spanFrames(next) >= mixer.headFrames(-mixer.fade()) + 1;
                run->shortenings.push_back(fits ? -mixer.fade() : 0);
            }
            run->spans.push_back(Span{i, from, to});
        }
        if (replan)
            continue;
        if (run) {
            int64_t content = 0;
            for (const Span& s : run->spans)
                content += spanFrames(s);
            for (const int64_t s : run->shortenings)
                content -= s;
            run->content = content;
            m_length += content;
            m_pieces.push_back(std::move(*run));
        }
        const bool anyCopy =
            std::any_of(m_pieces.begin(), m_pieces.end(), [](const Piece& p) { return p.copy; });
        m_output.extradata = encoderConfig;
        if (anyCopy) {
            for (const Piece& p : m_pieces)
                if (p.copy)
                    m_output.extradata = m_segments[p.segment].source->extradata;
        }
        m_output.sampleRate = m_rate;
        m_output.channels = m_channels;
        return m_length > 0 ? QString() : QStringLiteral("There is no audio to write");
    }
    return QStringLiteral("Unable to write the file");
}

int64_t MovieWriter::soundEnd(size_t index) const
{
    const MovieSegment& segment = m_segments[index];
    const MediaInfo& info = *segment.source;
    const int64_t end = segment.start + segment.length;
    // The encoder pads the last frame with silence; a file that does not
    // mark its delay does not mark that padding either. It is found as the
    // quiet after the last loud sample of the last frame.
    if (end != info.startSample + info.durationSamples || !m_packets[index]->usable() ||
        !m_packets[index]->primingUnmarked() || segment.length <= 4 * kFrame ||
        info.sampleRate != m_rate)
        return end;
    const int64_t window = 4 * kFrame;
    ChainReader reader(
        {ChainReader::Part{MovieSegment{segment.source, end - window, window}, 0, -1, nullptr}},
        m_rate, m_channels);
    std::vector<float> samples(static_cast<size_t>(window * m_channels));
    if (!reader.seek(0) || reader.read(samples.data(), window) != window)
        return end;
    float loudest = 0.0f;
    for (const float v : samples)
        loudest = std::max(loudest, std::fabs(v));
    const float level = loudest * kPaddingLevel;
    int64_t last = window - 1;
    while (last >= window - kFrame + 1 &&
           std::all_of(samples.begin() + last * m_channels,
                       samples.begin() + (last + 1) * m_channels,
                       [level](float v) { return std::fabs(v) <= level; }))
        --last;
    return end - (window - 1 - last);
}

QString MovieWriter::writePieces(Mp4AudioWriter& out)
{
    for (const Piece& piece : m_pieces) {
        if (piece.copy) {
            if (!copyPiece(out, piece))
                return m_cancelled ? QStringLiteral("The operation was cancelled")
                                   : QStringLiteral("Unable to write the file");
            continue;
        }
        const QString error = encodePiece(out, piece);
        if (!error.isEmpty())
            return error;
    }
    // Seams and encoder delays make the count of frames only nearly the total.
    m_done = m_total;
    if (!reportProgress())
        return QStringLiteral("The operation was cancelled");
    return {};
}

bool MovieWriter::copyPiece(Mp4AudioWriter& out, const Piece& piece)
{
    const Descriptor file(
        ::open(QFile::encodeName(m_segments[piece.segment].source->path).constData(),
               O_RDONLY | O_CLOEXEC));
    if (file.get() < 0)
        return false;
    const auto& packets = m_packets[piece.segment]->packets();
    size_t at = piece.first;
    std::vector<int32_t> sizes;
    while (at < piece.last) {
        // Packets that follow each other in the file go in one copy.
        const int64_t offset = packets[at].offset;
        sizes.clear();
        int64_t next = offset;
        while (at < piece.last && packets[at].offset == next && sizes.size() < kCopyBatch) {
            sizes.push_back(packets[at].size);
            next += packets[at].size;
            ++at;
        }
        if (!out.copyPackets(file.get(), offset, sizes))
            return false;
        m_done += static_cast<int64_t>(sizes.size()) * kFrame;
        if (!reportProgress())
            return false;
    }
    return true;
}

std::unique_ptr<ChainReader> MovieWriter::readerFor(const Piece& piece) const
{
    const SeamMixer mixer(m_rate, m_channels);
    const auto segmentOf = [this](const Span& span) {
        const MovieSegment& segment = m_segments[span.segment];
        return MovieSegment{segment.source, span.from, span.to - span.from};
    };
    const auto decode = [&](const Span& span, int64_t skip, int64_t frames) {
        ChainReader reader({ChainReader::Part{segmentOf(span), skip, frames, nullptr}}, m_rate,
                           m_channels);
        std::vector<float> samples(static_cast<size_t>(frames * m_channels));
        const int64_t got = reader.seek(0) ? reader.read(samples.data(), frames) : 0;
        samples.resize(static_cast<size_t>(std::max<int64_t>(0, got) * m_channels));
        return samples;
    };
    std::vector<ChainReader::Part> parts;
    if (piece.lead.to > piece.lead.from)
        parts.push_back({segmentOf(piece.lead), 0, -1, nullptr});
    int64_t skipNext = 0;
    for (size_t k = 0; k < piece.spans.size(); ++k) {
        const Span& span = piece.spans[k];
        const int64_t frames = spanFrames(span);
        const bool joinAfter = k + 1 < piece.spans.size();
        const int64_t shortening = joinAfter ? piece.shortenings[k] : 0;
        const bool mixed = joinAfter && shortening != 0;
        const int64_t tail = mixed ? mixer.tailFrames(shortening) : 0;
        parts.push_back({segmentOf(span), skipNext, frames - skipNext - tail, nullptr});
        skipNext = 0;
        if (mixed) {
            const Span& next = piece.spans[k + 1];
            const int64_t head = mixer.headFrames(shortening);
            auto block = std::make_shared<std::vector<float>>(
                mixer.mix(decode(span, frames - tail, tail), decode(next, 0, head), shortening));
            if (block->empty())
                return nullptr;
            parts.push_back({MovieSegment{}, 0, -1, std::move(block)});
            skipNext = head;
        }
    }
    if (piece.look.to > piece.look.from)
        parts.push_back({segmentOf(piece.look), 0, -1, nullptr});
    return std::make_unique<ChainReader>(std::move(parts), m_rate, m_channels);
}

int64_t MovieWriter::bitRateFor(const Piece& piece) const
{
    // Frames encoded again among copied ones are few: they get all the bits
    // the format allows, so that the second encoding adds next to no noise.
    if (piece.lead.to > piece.lead.from || piece.look.to > piece.look.from)
        return std::numeric_limits<int64_t>::max();
    return int64_t(kBitRatePerChannel) * m_channels;
}

QString MovieWriter::encodePiece(Mp4AudioWriter& out, const Piece& piece)
{
    const int64_t bitRate = bitRateFor(piece);
    if (m_threads >= 2 && piece.content >= kParallelSeconds * m_rate)
        return encodeHalves(out, piece, bitRate);
    std::unique_ptr<ChainReader> reader = readerFor(piece);
    if (!reader || !reader->seek(0))
        return reader ? reader->error() : QStringLiteral("Unable to write the file");
    const int64_t lead = piece.lead.to > piece.lead.from ? spanFrames(piece.lead) : 0;
    const bool bounded = piece.look.to > piece.look.from;
    int64_t kept = 0;
    PeakDecoder peaks;
    const bool measured =
        m_peaks && m_pieces.size() == 1 &&
        peaks.open(m_rate, m_channels, reinterpret_cast<const uint8_t*>(m_output.extradata.data()),
                   int(m_output.extradata.size()));
    AacEncoderRun encoder(m_rate, m_channels, bitRate);
    const bool opened = encoder.open([&](int64_t position, const uint8_t* data, int size) {
        if ((!piece.fresh && position < lead) || (bounded && position >= lead + piece.content))
            return true;
        ++kept;
        if (measured)
            peaks.decode(data, size);
        m_done += kFrame;
        return out.addPacket(data, size) && reportProgress();
    });
    if (!opened || encoder.config() != m_output.extradata)
        return QStringLiteral("Unable to start the AAC encoder");
    std::vector<float> chunk(static_cast<size_t>(kReadChunk * m_channels));
    for (;;) {
        const int64_t got = reader->read(chunk.data(), kReadChunk);
        if (got <= 0)
            break;
        if (!encoder.feed(chunk.data(), got))
            return m_cancelled ? QStringLiteral("The operation was cancelled")
                               : QStringLiteral("Unable to write the file");
    }
    if (!reader->error().isEmpty())
        return reader->error();
    if (!encoder.finish())
        return m_cancelled ? QStringLiteral("The operation was cancelled")
                           : QStringLiteral("Unable to write the file");
    // Between copied packets the frames must fill their place exactly.
    if (bounded && kept * kFrame != piece.content)
        return QStringLiteral("Unable to write the file");
    if (measured) {
        // The encoder's delay, which the file marks, is not played.
        peaks.decode(nullptr, 0);
        m_peaks->clear();
        m_peaks->append(peaks.take(), m_skip);
    }
    return {};
}

QString MovieWriter::encodeHalves(Mp4AudioWriter& out, const Piece& piece, int64_t bitRate)
{
    const int64_t lead = piece.lead.to > piece.lead.from ? spanFrames(piece.lead) : 0;
    const bool bounded = piece.look.to > piece.look.from;
    const int64_t middle = piece.content / 2 / kFrame * kFrame;
    // The second half starts at the middle of the content, on the frames of
    // the first; it starts kSettleSeconds before to settle its encoder, and the
    // first reads a little past the middle, so the frames on both sides of
    // the middle overlap as a single encoder's would.
    struct Half
    {
        int64_t readFrom, readTo, keepFrom, keepTo;
        bool keepDelay;
    };
    const int64_t all = lead + piece.content + (bounded ? spanFrames(piece.look) : 0);
    const Half first{0, lead + middle + kLookFrames * kFrame, lead, lead + middle, piece.fresh};
    const int64_t settle =
        std::min(middle, (kSettleSeconds * m_rate + kFrame - 1) / kFrame * kFrame);
    const Half second{lead + middle - settle, all, lead + middle,
                      bounded ? lead + piece.content : INT64_MAX, false};

    const auto encode = [&](const Half& half, const AacEncoderRun::Sink& sink) -> QString {
        std::unique_ptr<ChainReader> reader = readerFor(piece);
        if (!reader || !reader->seek(half.readFrom))
            return reader ? reader->error() : QStringLiteral("Unable to write the file");
        AacEncoderRun encoder(m_rate, m_channels, bitRate);
        const bool opened = encoder.open([&](int64_t position, const uint8_t* data, int size) {
            const int64_t at = half.readFrom + position;
            if ((!half.keepDelay && at < half.keepFrom) || at >= half.keepTo)
                return !m_cancelled;
            return sink(at, data, size);
        });
        if (!opened || encoder.config() != m_output.extradata)
            return QStringLiteral("Unable to start the AAC encoder");
        std::vector<float> chunk(static_cast<size_t>(kReadChunk * m_channels));
        for (int64_t at = half.readFrom; at < half.readTo;) {
            const int64_t got = reader->read(chunk.data(), std::min(kReadChunk, half.readTo - at));
            if (got <= 0)
                break;
            at += got;
            if (!encoder.feed(chunk.data(), got))
                return QStringLiteral("Unable to write the file");
        }
        if (!reader->error().isEmpty())
            return reader->error();
        return encoder.finish() ? QString() : QStringLiteral("Unable to write the file");
    };

    // The second half waits in a nameless file until the first is written.
    const Descriptor spool(anonymousFile(QFileInfo(m_output.path).absolutePath()));
    if (spool.get() < 0)
        return QStringLiteral("Unable to write the file");
    std::vector<int32_t> spooledSizes;
    std::future<QString> later = std::async(std::launch::async, [&] {
        return encode(second, [&](int64_t, const uint8_t* data, int size) {
            if (m_cancelled || ::write(spool.get(), data, static_cast<size_t>(size)) != size)
                return false;
            spooledSizes.push_back(size);
            m_done += kFrame;
            return true;
        });
    });
    QString error = encode(first, [&](int64_t, const uint8_t* data, int size) {
        m_done += kFrame;
        return out.addPacket(data, size) && reportProgress();
    });
    if (!error.isEmpty())
        m_cancelled = true;
    while (later.wait_for(std::chrono::milliseconds(33)) != std::future_status::ready)
        if (!reportProgress())
            m_cancelled = true;
    const QString secondError = later.get();
    if (m_cancelled)
        return error.isEmpty() ? QStringLiteral("The operation was cancelled") : error;
    if (!secondError.isEmpty())
        return secondError;
    int64_t spooled = 0;
    for (size_t at = 0; at < spooledSizes.size(); at += kCopyBatch) {
        const std::vector<int32_t> batch(
            spooledSizes.begin() + static_cast<std::ptrdiff_t>(at),
            spooledSizes.begin() +
                static_cast<std::ptrdiff_t>(std::min(at + kCopyBatch, spooledSizes.size())));
        if (!out.copyPackets(spool.get(), spooled, batch))
            return QStringLiteral("Unable to write the file");
        for (const int32_t size : batch)
            spooled += size;
    }
    return {};
}

bool MovieWriter::reportProgress()
{
    if (m_cancelled)
        return false;
    if (!m_progress || m_total <= 0)
        return true;
    const double fraction =
        std::clamp(static_cast<double>(m_done) / static_cast<double>(m_total), 0.0, 1.0);
    if (fraction - m_reported < 0.01 && fraction < 1.0)
        return true;
    m_reported = fraction;
    if (!m_progress(fraction)) {
        m_cancelled = true;
        return false;
    }
    return true;
}
