// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/LibraryAdopter.h"

#include "library/AudioFileJobs.h"
#include "library/DiskScan.h"
#include "library/FileFingerprint.h"
#include "library/ImportQueue.h"
#include "library/Library.h"
#include "library/LibraryPaths.h"
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "library/TitleRules.h"
#include "library/WalkRows.h"

#include <QDateTime>
#include <QFileInfo>
#include <QPointer>
#include <algorithm>
#include <cmath>

namespace {

// The key of a recording's file in a DiskScan. A walk meets the rows of a
// category one after another, so the folder of the last category asked for
// is kept instead of being made again for each of them.
class FileKeys
{
public:
    // Valid until the next call: one buffer serves every row.
    const QString& of(const RecItem* item)
    {
        if (item->parent() != m_group || m_group == nullptr) {
            m_group = item->parent();
            m_key = LibraryPaths::groupPath(m_group, nullptr) + "/";
            m_folderLength = m_key.size();
        }
        m_key.truncate(m_folderLength);
        m_key += item->title();
        m_key += u".m4a";
        return m_key;
    }

private:
    const GeneralRecItem* m_group = nullptr;
    QString m_key;
    qsizetype m_folderLength = 0;
};

// What the sizes of the files are remembered by. Any seed but 0 lets Qt
// hash with the processor's AES instructions, several times faster.
size_t keyHash(const QString& key)
{
    return qHash(key, 1);
}

void moveRow(GeneralRecItem* row, RecGroup* target)
{
    RecGroup* from = row->parent()->asGroup();
    if (from == target)
        return;
    std::unique_ptr<GeneralRecItem> moving = from->removeSubItem(row);
    target->addSubItem(std::move(moving));
    row->setParent(target);
}

} // namespace

LibraryAdopter::LibraryAdopter(Library& library, AudioFileJobs* jobs)
    : m_library(library), m_jobs(jobs)
{
    m_pool.setMaxThreadCount(1);
}

LibraryAdopter::~LibraryAdopter()
{
    m_pool.clear();
    m_pool.waitForDone();
}

QSet<QString> LibraryAdopter::busyKeys() const
{
    QStringList paths = m_library.m_recordingPaths ? m_library.m_recordingPaths() : QStringList();
    paths += m_library.m_imports->pendingPaths();
    const QString outputFolder = m_library.folder();
    QSet<QString> keys;
    for (const QString& path : paths)
        if (path.startsWith(outputFolder))
            keys.insert(path.mid(outputFolder.size()));
    return keys;
}

bool LibraryAdopter::reconcile(const DiskScan& scan)
{
    RecGroup* root = m_library.root();
    if (!scan.available)
        return false;
    const QString outputFolder = m_library.folder();
    // Asked once, not for each of 100,000 rows.
    const QSet<QString> busyNow = busyKeys();
    const auto busy = [&busyNow](const QString& key) { return busyNow.contains(key); };
    bool changed = false;

    QSet<QString> knownFolders;
    // The sizes of the files of the rows, as this scan found them; the rows'
    // files the scan found, so that what is left of the scan is new.
    QHash<size_t, qint64> sizes;
    sizes.reserve(scan.files.size());
    // Rows whose file was there at the last scan and is gone now, by its size then.
    QList<std::pair<RecItem*, qint64>> vanished;
    // Rows whose file is missing, by the fingerprint that file had.
    QMultiHash<QString, RecItem*> missingPrints;
    QList<std::pair<RecItem*, QString>> unprinted;
    FileKeys keys;
    walkRows(root, [&](GeneralRecItem* row) {
        if (row->isGroup()) {
            knownFolders.insert(LibraryPaths::groupPath(row, nullptr));
            return;
        }
        RecItem* item = row->asItem();
        const QString& key = keys.of(item);
        const auto onDisk = scan.files.constFind(key);
        const bool there = onDisk != scan.files.cend();
        const qint64 size = there ? *onDisk : 0;
        const size_t hashed = keyHash(key);
        const auto before = m_sizes.constFind(hashed);
        const bool seenBefore = before != m_sizes.cend();
        const bool missing = !there && !busy(key);
        if (missing && !item->isFileMissing() && seenBefore)
            vanished.append({item, *before});
        item->setFileMissing(missing);
        if (missing) {
            const QString print = item->fingerprint();
            if (!print.isEmpty())
                missingPrints.insert(print, item);
        }
        if (there)
            sizes.insert(hashed, size);
        // A file still being copied or synced when it was first seen is
        // measured again once it has changed; one without a length yet is
        // measured when first seen.
        const bool grown = seenBefore && *before != size;
        const bool unmeasured = !seenBefore && item->duration() <= 0;
        if (!missing && (grown || unmeasured) && !busy(key))
            measure(item, outputFolder + key);
        else if (!missing && !busy(key) && item->fingerprintedSize() != size)
            unprinted.append({item, outputFolder + key});
    });

    QStringList unknownFiles;
    // Each file a row found is in the sizes: as many of them as files, and
    // no file is new.
    if (sizes.size() != scan.files.size()) {
        for (auto it = scan.files.begin(); it != scan.files.end(); ++it)
            if (!sizes.contains(keyHash(it.key())) && !busy(it.key()))
                unknownFiles << it.key();
    }
    unknownFiles.sort();
    // The fingerprints of the new files that may be the files of missing rows.
    QSet<qint64> missingSizes;
    for (auto it = missingPrints.cbegin(); it != missingPrints.cend(); ++it)
        missingSizes.insert(FileFingerprint::sizeOf(it.key()));
    QHash<QString, QString> prints;
    for (const QString& key : unknownFiles)
        if (missingSizes.contains(scan.files.value(key)))
            prints.insert(key, FileFingerprint::of(outputFolder + key));
    for (const QString& key : unknownFiles) {
        const QFileInfo file(outputFolder + key);
        const QString title = file.completeBaseName();
        bool made = false;
        RecGroup* group = TitleRules::isSafeTitle(title)
                              ? m_library.categoryAt(key.left(key.lastIndexOf('/')), &made)
                              : nullptr;
        changed |= made;
        if (!group)
            continue;
        if (RecItem* item = formerRow(key, file.filePath(), scan.files.value(key), vanished, prints,
                                      missingPrints)) {
            item->setTitle(title);
            moveRow(item, group);
            item->setFileMissing(false);
            sizes.insert(keyHash(key), scan.files.value(key));
        } else {
            auto row = m_library.newRecording();
            row->setTitle(title);
            row->setDate(file.lastModified().toString(RecItem::kDateFormat));
            RecItem* added = row.get();
            m_library.insert(std::move(row), group);
            sizes.insert(keyHash(key), scan.files.value(key));
            measure(added, file.filePath());
        }
        changed = true;
    }

    QStringList unknownFolders;
    for (const QString& folder : scan.folders)
        if (!knownFolders.contains(folder))
            unknownFolders << folder;
    unknownFolders.sort();
    for (const QString& folder : unknownFolders) {
        bool made = false;
        m_library.categoryAt(folder, &made);
        changed |= made;
    }

    m_sizes = std::move(sizes);
    takeFingerprints(unprinted);
    return changed;
}

RecItem* LibraryAdopter::formerRow(const QString& key, const QString& path, qint64 size,
                                   QList<std::pair<RecItem*, qint64>>& vanished,
                                   const QHash<QString, QString>& prints,
                                   QMultiHash<QString, RecItem*>& missingPrints) const
{
    const auto sameLength = [this, &path](const RecItem* row) {
        return row->duration() <= 0 ||
               std::abs(m_jobs->duration(path) - row->duration()) <= kSameLength;
    };
    RecItem* found = nullptr;
    const QString print = prints.value(key);
    // Two rows, or two new files, with one fingerprint: which is which cannot be told.
    const QList<RecItem*> rows = print.isEmpty() ? QList<RecItem*>() : missingPrints.values(print);
    if (rows.size() == 1 && std::count(prints.cbegin(), prints.cend(), print) == 1 &&
        sameLength(rows.first()))
        found = rows.first();
    // A row whose file went before its fingerprint was taken: by size and length.
    const auto same = std::find_if(vanished.begin(), vanished.end(), [&](const auto& v) {
        return v.first->fingerprint().isEmpty() && v.second == size && sameLength(v.first);
    });
    if (!found && same != vanished.end())
        found = same->first;
    if (found) {
        missingPrints.remove(found->fingerprint(), found);
        vanished.removeIf([found](const auto& v) { return v.first == found; });
    }
    return found;
}

void LibraryAdopter::measure(RecItem* item, const QString& path)
{
    QPointer<RecItem> row(item);
    m_pool.start([this, row, path] {
        const double seconds = m_jobs->duration(path);
        const QString print = FileFingerprint::of(path);
        QMetaObject::invokeMethod(
            this,
            [this, row, seconds, print] {
                if (!row)
                    return;
                row->setDuration(seconds);
                row->setFingerprint(print);
                emit measured();
            },
            Qt::QueuedConnection);
    });
}

void LibraryAdopter::takeFingerprints(const QList<std::pair<RecItem*, QString>>& files)
{
    struct Job
    {
        QPointer<RecItem> row;
        const RecItem* key;
        QString path;
    };
    QList<Job> jobs;
    for (const auto& [item, path] : files)
        if (!m_printing.contains(item)) {
            m_printing.insert(item);
            jobs.append({item, item, path});
        }
    if (jobs.isEmpty())
        return;
    // One task and one save for all of them: a library met for the first
    // time has no fingerprints at all.
    m_pool.start([this, jobs] {
        QStringList prints;
        for (const Job& job : jobs)
            prints << FileFingerprint::of(job.path);
        QMetaObject::invokeMethod(
            this,
            [this, jobs, prints] {
                for (qsizetype i = 0; i < jobs.size(); ++i) {
                    m_printing.remove(jobs[i].key);
                    if (jobs[i].row)
                        jobs[i].row->setFingerprint(prints[i]);
                }
                emit measured();
            },
            Qt::QueuedConnection);
    });
}
