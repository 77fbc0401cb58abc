// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

// The imports whose conversion is not yet written, kept in a small file
// beside the program's other data (not in the library, which another
// computer may share), so that an import that a crash cut short is finished,
// or given up and named, at the next start. Main thread only.
class ImportJournal
{
public:
    struct Entry
    {
        QString outputFolder;
        // The ID of the recording's row.
        int row = 0;
        QString source;
        // The hidden file the conversion writes.
        QString file;
    };

    explicit ImportJournal(const QString& path) : m_path(path) {}
    static QString defaultPath();

    void add(const Entry& entry);
    void remove(const QString& file);
    // The entries of this library, which leave the journal.
    QList<Entry> take(const QString& outputFolder);

private:
    QList<Entry> read() const;
    void write(const QList<Entry>& entries) const;

    QString m_path;
};
