// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/MediaFileJobs.h"

#include "media/AudioFile.h"
#include "media/FileBatch.h"
#include "media/MediaProber.h"

#include <QFileInfo>

namespace {

// Writes the part of the file from `from` for `length` seconds (negative:
// to the end), copying the compressed audio; refuses a taken destination.
// The new file takes its name when the batch is committed.
bool writePiece(const MediaInfoPtr& source, double from, double length, const QString& destination,
                FileBatch& batch)
{
    const QFileInfo target(destination);
    if (destination.isNull() || target.exists() || target.isSymLink() || from < 0 || length == 0)
        return false;
    std::unique_ptr<AudioFile> movie = AudioFile::movieWithInfo(source);
    if (!movie || movie->loadState() != AudioFile::kLoadStateComplete)
        return false;
    const int32_t scale = movie->timeScale();
    const MediaTime duration = movie->duration();
    if (duration.timeScale == 0 || scale <= 0)
        return false;
    // The piece ends at the true end of the file, not at its whole seconds,
    // so that a piece never runs past the mark that ends it.
    const int64_t total = makeMediaTimeScaled(duration, scale).timeValue;
    const auto start = static_cast<int64_t>(from * scale);
    if (start >= total)
        return false;
    const int64_t end =
        length < 0 ? total : std::min(total, start + static_cast<int64_t>(length * scale));
    if (start > 0) {
        movie->setEditable(true);
        if (!movie->deleteSegment(
                makeMediaTimeRange(makeMediaTime(0, scale), makeMediaTime(start, scale))))
            return false;
    }
    if (end < total) {
        movie->setEditable(true);
        if (!movie->deleteSegment(
                makeMediaTimeRange(makeMediaTime(end - start, scale), makeMediaTime(total, scale))))
            return false;
    }
    AudioFile::WriteAttributes attributes;
    attributes.flatten = true;
    attributes.batch = &batch;
    return movie->writeToFile(destination, attributes);
}

} // namespace

MediaFileJobs::MediaFileJobs(QObject* parent) : AudioFileJobs(parent)
{
    connect(&m_conversions, &ConversionQueue::loaded, this, &AudioFileJobs::conversionLoaded);
    connect(&m_conversions, &ConversionQueue::progress, this, &AudioFileJobs::conversionProgress);
    connect(&m_conversions, &ConversionQueue::finished, this, &AudioFileJobs::conversionFinished);
}

bool MediaFileJobs::canRead(const QString& path) const
{
    return AudioFile::canInitWithFile(path);
}

double MediaFileJobs::duration(const QString& path) const
{
    if (path.isNull() || !QFileInfo(path).isFile())
        return 0;
    return MediaProber::fileDuration(path);
}

int MediaFileJobs::cut(const QString& path, const QList<Piece>& pieces,
                       const std::function<void(int written)>& done)
{
    // The file is measured once; every piece is cut from that measure, and
    // the pieces are brought to the disk together.
    const MediaInfoPtr source = QFileInfo(path).isFile() ? MediaProber::probe(path) : nullptr;
    if (!source)
        return 0;
    FileBatch batch;
    int written = 0;
    for (const Piece& piece : pieces) {
        if (!writePiece(source, piece.from, piece.length, piece.destination, batch))
            break;
        if (done)
            done(++written);
    }
    return batch.commit();
}

int MediaFileJobs::convert(const QString& source, const QString& destination)
{
    return m_conversions.enqueue(source, destination);
}

void MediaFileJobs::cancel(int id)
{
    m_conversions.cancel(id);
}

double MediaFileJobs::convertedPart() const
{
    return m_conversions.partDone();
}
