// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <memory>
#include <vector>

class QSaveFile;

// New files that are written one after another and take their names
// together. Each waits, written but unnamed, until commit() brings the data
// of all of them to the disk with one sync of the file system (instead of
// one flush per file, each waiting on the disk) and then names them in the
// order they were added. Where that sync fails each file is synced on its
// own, and one that cannot be keeps no name. Files never committed are
// removed.
// One thread at a time.
class FileBatch
{
public:
    FileBatch();
    ~FileBatch();
    FileBatch(const FileBatch&) = delete;
    FileBatch& operator=(const FileBatch&) = delete;

    // Takes a file whose contents are complete.
    void add(std::unique_ptr<QSaveFile> file);
    // A file waiting to be named path.
    bool contains(const QString& path) const;
    // Names the files in order and answers how many took their names: all
    // of them unless one could not be synced or renamed, when the rest are
    // removed.
    int commit();

private:
    std::vector<std::unique_ptr<QSaveFile>> m_files;
};
