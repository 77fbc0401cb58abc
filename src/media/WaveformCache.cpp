// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/WaveformCache.h"

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
constexpr quint32 kVersion = 1;

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

std::optional<std::vector<float>> WaveformCache::load(const QString& audioPath)
{
    const std::optional<Stamp> stamp = stampOf(audioPath);
    QFile file(entryPath(audioPath));
    if (!stamp || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QDataStream in(&file);
    quint32 magic = 0, version = 0, count = 0;
    qint64 size = 0, modified = 0;
    in >> magic >> version >> size >> modified >> count;
    if (in.status() != QDataStream::Ok || magic != kMagic || version != kVersion ||
        size != stamp->size || modified != stamp->modified || count > 1u << 20)
        return std::nullopt;
    std::vector<float> peaks(count);
    in.setFloatingPointPrecision(QDataStream::SinglePrecision);
    for (float& peak : peaks)
        in >> peak;
    if (in.status() != QDataStream::Ok)
        return std::nullopt;
    return peaks;
}

std::vector<float> WaveformCache::peaks(const QString& audioPath, const std::atomic<bool>* cancel)
{
    if (std::optional<std::vector<float>> kept = load(audioPath))
        return std::move(*kept);
    const std::optional<Stamp> before = stampOf(audioPath);
    std::vector<float> peaks = WaveformPeaks::compute(audioPath, cancel);
    // A file that changed while it was read is measured again next time.
    const std::optional<Stamp> after = stampOf(audioPath);
    if (peaks.empty() || !before || !after || before->size != after->size ||
        before->modified != after->modified || !QDir().mkpath(folder()))
        return peaks;
    QSaveFile file(entryPath(audioPath));
    if (file.open(QIODevice::WriteOnly)) {
        QDataStream out(&file);
        out.setFloatingPointPrecision(QDataStream::SinglePrecision);
        out << kMagic << kVersion << before->size << before->modified << quint32(peaks.size());
        for (float peak : peaks)
            out << peak;
        file.commit();
    }
    return peaks;
}
