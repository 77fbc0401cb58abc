// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThreadPool>

class AudioFileJobs;
class Library;
class RecItem;
struct DiskScan;

// Brings the library tree in line with what a scan of the output tree found:
// rows whose file went are marked missing (and whole again when it is back),
// a file that turns up elsewhere takes the row of the file it was along
// (known by its fingerprint, or, before that is taken, by its size and
// length), and files and folders the tree does not know become recordings
// and categories. Where two rows or two files could be the same, nothing is
// merged. Lengths of adopted files and fingerprints are taken on a worker.
// Main thread only.
class LibraryAdopter : public QObject
{
    Q_OBJECT
public:
    // Lengths within this many seconds count as the same recording.
    static constexpr double kSameLength = 1.0;

    LibraryAdopter(Library& library, AudioFileJobs* jobs);
    ~LibraryAdopter() override;

    // Forgets what earlier scans saw (another output folder).
    void reset() { m_sizes.clear(); }

    // Answers whether the tree changed, so that it wants saving. Files
    // VoiceTray itself is writing are never adopted, never counted as missing.
    bool reconcile(const DiskScan& scan);

signals:
    // An adopted recording's length, or the fingerprints of files, were
    // taken and stored.
    void measured();

private:
    void measure(RecItem* item, const QString& path);
    void takeFingerprints(const QList<std::pair<RecItem*, QString>>& files);
    // The missing row whose file this is, when exactly one can be.
    RecItem* formerRow(const QString& key, const QString& path, qint64 size,
                       QList<std::pair<RecItem*, qint64>>& vanished,
                       const QHash<QString, QString>& prints,
                       QMultiHash<QString, RecItem*>& missingPrints) const;

    // The files VoiceTray itself is writing, as the scan's keys.
    QSet<QString> busyKeys() const;

    Library& m_library;
    AudioFileJobs* m_jobs;
    // The sizes the files of the rows had at the last scan, by a hash
    // of the file's path in the scan: 100,000 paths kept as text would
    // weigh 14 MB, and two of them sharing a 64-bit hash is not to be met.
    QHash<size_t, qint64> m_sizes;
    // Rows whose fingerprint the worker is taking.
    QSet<const RecItem*> m_printing;
    // Last, so that its workers end before anything they report to.
    QThreadPool m_pool;
};
