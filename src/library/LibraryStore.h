// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/DatabaseStamp.h"
#include "library/KeptDatabase.h"

#include <QString>

class Library;

// The library's file, RecordingsDB.xml in the output folder: read at the
// start, and saved after every change, merged first with what another
// program saved since this one last read or wrote it. A file that exists but
// cannot be read is never saved over. Main thread only.
class LibraryStore
{
public:
    explicit LibraryStore(Library& library) : m_library(library) {}

    // Reads the folder's file into the library's empty tree; answers whether
    // rows came from it. Tells the user of a file that cannot be read. Which
    // rows' files are missing is left to the look at the output tree that
    // goes with every opening.
    bool load();
    // Writes the tree; false when it could not (the tree then holds more
    // than the file, and says so through hasUnsavedChanges()).
    bool save();
    // The tree changed here now: the merge weighs the file's changes against this.
    void noteChange();
    bool hasUnsavedChanges() const { return m_unsaved; }
    void setUnsavedChanges() { m_unsaved = true; }
    // Saving is not wanted while a merge puts rows in.
    bool isMerging() const { return m_merging; }

private:
    void merge(const QString& path);

    Library& m_library;
    // The file as this program last read or wrote it: the base of a merge.
    KeptDatabase m_kept;
    DatabaseStamp m_stamp;
    // When the tree last changed here, in nanoseconds since the epoch.
    qint64 m_lastLocalChangeNs = 0;
    bool m_merging = false;
    // The folder's file exists but could not be read: it is not saved over.
    bool m_unreadable = false;
    bool m_unsaved = false;
};
