// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The rows of what went from a library to the Trash, kept as long as their
// Trash entry is there and no longer, so that a recording or category the
// user restores from the Trash in a file manager comes back with its notes.
// Each record is a small library file of its own, holding the row with
// everything under it; its root element names the Trash entry ("Trash"),
// the library's folder ("Folder"), the category the row was in, as a path
// below that folder ("Category"), and the row's place there ("Index").
// Main thread only.
class TrashedRows
{
public:
    struct Record
    {
        QString trashPath;
        QString outputFolder;
        QString category;
        int index = 0;
        // The whole record, which reads as a library file.
        QByteArray document;
    };

    // Keeps the records in this folder, made when first needed.
    explicit TrashedRows(const QString& folder) : m_folder(folder) {}
    // Beside the program's other data.
    static QString defaultFolder();

    bool keep(const QString& trashPath, const QByteArray& document);
    void forget(const QString& trashPath);
    // The records whose Trash entry has gone, restored or emptied, which are
    // forgotten now; only those of this library are answered. A record whose
    // Trash cannot be looked at (its drive is not mounted) is kept.
    QList<Record> takeGone(const QString& outputFolder);

    static Record read(const QByteArray& document);

private:
    QString fileFor(const QString& trashPath) const;

    QString m_folder;
};
