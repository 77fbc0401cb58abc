// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/DeletedRow.h"
#include "library/TrashedRows.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class GeneralRecItem;
class Library;
class RecGroup;
struct DiskScan;

// Deleting rows: their files and folders go to the desktop's Trash (a
// category's folder whole, with whatever else it holds), and come back with
// their rows, notes and places by Undo, or when a file manager restores them
// from the Trash. Where no Trash can take a file, the user is asked before it
// is deleted for good. Main thread only.
class DeleteHistory
{
public:
    explicit DeleteHistory(Library& library) : m_library(library) {}

    // Takes the rows out as one step that undo() takes back; a row whose
    // title names no file in the library goes without touching the disk.
    // False when a row stayed.
    bool remove(const QList<GeneralRecItem*>& rows);
    bool canUndo() const { return !m_steps.empty(); }
    // Another library opens: what went from this one stays in the Trash.
    void forget() { m_steps.clear(); }
    // Brings back the last step: the files from the Trash and the rows at
    // their places, with their notes. Says which cannot come back.
    QList<GeneralRecItem*> undo();
    // The rows of Trash entries a file manager restored, back in the tree;
    // answers whether any came.
    bool bringBackFromTrash(const DiskScan& scan);

private:
    // Asks, then deletes for good what no Trash could take.
    bool deletePermanently(const QList<QPointer<GeneralRecItem>>& rows);
    GeneralRecItem* bringBack(const DeletedRow& deleted, QStringList* lost);
    // The row a document of XMLCreator::rowDocument() holds, its files
    // looked for in the folder.
    std::unique_ptr<GeneralRecItem> readRow(const QByteArray& document,
                                            const QString& folder) const;
    GeneralRecItem* placeRow(std::unique_ptr<GeneralRecItem> row, RecGroup* parent, int index);

    Library& m_library;
    // What went to the Trash, for a restore from a file manager; the deletes
    // of this run, for Undo, the last one last.
    TrashedRows m_trashedRows{TrashedRows::defaultFolder()};
    std::vector<QList<DeletedRow>> m_steps;
};
