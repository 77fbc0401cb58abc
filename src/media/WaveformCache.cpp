// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/WaveformCache.h"

#include "media/MediaProber.h"
#include "media/WaveformPeaks.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

constexpr quint32 kMagic = 0x56545750; // "VTWP"
constexpr quint32 kVersion = 2;
// How far from a seam the frames that a join encodes again, and those their
// sound overlaps, may lie.
constexpr int64_t kSeamReach = 12 * 1024;

struct Stamp
{
    qint64 size = -1;
    qint64 modified = 0;
};

std::optional<Stamp> stampOf(const QString& audioPath)
{
    const QFileInfo info(audioPath);
    if (!info.isFile())
        return std::nullopt;
    return Stamp{info.size(), info.lastModified().toMSecsSinceEpoch()};
}

} // namespace

QString WaveformCache::folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
           QStringLiteral("/waveforms");
}

QString WaveformCache::entryPath(const QString& audioPath)
{
    const QByteArray key = QCryptographicHash::hash(
        QFileInfo(audioPath).absoluteFilePath().toUtf8(), QCryptographicHash::Sha1);
    return folder() + u'/' + QString::fromLatin1(key.toHex()) + QStringLiteral(".peaks");
}

namespace {

struct Entry
{
    std::vector<float> peaks;
    qint64 length = 0;
};

std::optional<Entry> read(const QString& audioPath)
{
    const std::optional<Stamp> stamp = stampOf(audioPath);
    QFile file(WaveformCache::entryPath(audioPath));
    if (!stamp || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QDataStream in(&file);
    quint32 magic = 0, version = 0, count = 0;
    qint64 size = 0, modified = 0, length = 0;
    in >> magic >> version >> size >> modified >> length >> count;
    if (in.status() != QDataStream::Ok || magic != kMagic || version != kVersion ||
        size != stamp->size || modified != stamp->modified || length <= 0 || count > 1u << 20)
        return std::nullopt;
    Entry entry{std::vector<float>(count), length};
    in.setFloatingPointPrecision(QDataStream::SinglePrecision);
    for (float& peak : entry.peaks)
        in >> peak;
    if (in.status() != QDataStream::Ok)
        return std::nullopt;
    return entry;
}

bool write(const QString& audioPath, const Stamp& stamp, const PeakEnvelope& envelope)
{
    const std::vector<float> peaks = envelope.buckets(WaveformPeaks::kBuckets);
    if (peaks.empty() || !QDir().mkpath(WaveformCache::folder()))
        return false;
    QSaveFile file(WaveformCache::entryPath(audioPath));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QDataStream out(&file);
    out.setFloatingPointPrecision(QDataStream::SinglePrecision);
    out << kMagic << kVersion << stamp.size << stamp.modified << qint64(envelope.length())
        << quint32(peaks.size());
    for (float peak : peaks)
        out << peak;
    return file.commit();
}

} // namespace

std::optional<std::vector<float>> WaveformCache::load(const QString& audioPath)
{
    std::optional<Entry> entry = read(audioPath);
    return entry ? std::optional(std::move(entry->peaks)) : std::nullopt;
}

std::optional<PeakEnvelope> WaveformCache::envelope(const QString& audioPath)
{
    const std::optional<Entry> entry = read(audioPath);
    return entry ? std::optional(PeakEnvelope::fromBuckets(entry->peaks, entry->length))
                 : std::nullopt;
}

std::vector<float> WaveformCache::peaks(const QString& audioPath, const std::atomic<bool>* cancel)
{
    if (std::optional<std::vector<float>> kept = load(audioPath))
        return std::move(*kept);
    const std::optional<Stamp> before = stampOf(audioPath);
    const PeakEnvelope envelope = WaveformPeaks::measure(audioPath, cancel);
    // A file that changed while it was read is measured again next time.
    const std::optional<Stamp> after = stampOf(audioPath);
    if (before && after && before->size == after->size && before->modified == after->modified)
        write(audioPath, *before, envelope);
    return envelope.buckets(WaveformPeaks::kBuckets);
}

bool WaveformCache::store(const QString& audioPath, const PeakEnvelope& envelope)
{
    const std::optional<Stamp> stamp = stampOf(audioPath);
    return stamp && write(audioPath, *stamp, envelope);
}

bool WaveformCache::storeJoined(const QString& audioPath, PeakEnvelope before,
                                const PeakEnvelope& part, int64_t skip, int partRate)
{
    const MediaInfoPtr joined = MediaProber::probe(audioPath);
    const int64_t partLength = part.length() - skip;
    if (!joined || joined->sampleRate != partRate || partLength <= 0 || before.empty() ||
        joined->durationSamples <= partLength)
        return false;
    // The frames around the seam were encoded again, faded from one side to
    // the other: they alone are decoded from the joined file.
    const int64_t seam = joined->durationSamples - partLength;
    const int64_t from = std::max<int64_t>(0, seam - kSeamReach);
    const int64_t to = std::min(joined->durationSamples, seam + kSeamReach);
    const PeakEnvelope middle = WaveformPeaks::measureRange(audioPath, from, to);
    if (middle.empty())
        return false;
    before.setLength(from);
    before.append(middle);
    before.append(part, skip + (to - seam));
    return store(audioPath, before);
}
