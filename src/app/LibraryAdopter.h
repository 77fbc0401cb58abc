// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <functional>

struct DiskScan;
class RecGroup;
class RecItem;
class RecOutlineController;

// Brings the library tree in line with what a scan of the output tree found:
// rows whose file went are marked missing (and whole again when it is back),
// a file that went at the same time as one of the same size and length
// appeared elsewhere takes its row along, and files and folders the tree
// does not know become recordings and categories. The length of an adopted
// file is measured on a worker. Main thread only.
class LibraryAdopter : public QObject
{
    Q_OBJECT
public:
    // Lengths within this many seconds count as the same recording.
    static constexpr double kSameLength = 1.0;

    explicit LibraryAdopter(RecOutlineController* outline, QObject* parent = nullptr);
    ~LibraryAdopter() override;

    // Files VoiceTray itself is writing (by their full path): never adopted,
    // never counted as missing.
    void setBusy(std::function<bool(const QString& path)> busy) { m_busy = std::move(busy); }
    // Forgets what earlier scans saw (another output folder).
    void reset() { m_sizes.clear(); }

    // Answers whether the tree changed, so that it wants saving.
    bool reconcile(const QString& outputFolder, const DiskScan& scan);

signals:
    // An adopted recording's length was measured and stored.
    void measured(RecItem* item);

private:
    // The category for a folder relative to the output folder, made with
    // the categories on its way when missing; null for an unsafe name.
    RecGroup* categoryFor(const QString& folder, bool* made);
    void measure(RecItem* item, const QString& path);

    RecOutlineController* m_outline;
    std::function<bool(const QString&)> m_busy;
    // The sizes the files of the rows had at the last scan.
    QHash<QString, qint64> m_sizes;
    // Last, so that its workers end before anything they report to.
    QThreadPool m_pool;
};
