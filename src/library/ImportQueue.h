// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/ImportJournal.h"
#include "library/RecItem.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class AudioFileJobs;
class GeneralRecItem;
class Library;
class RecGroup;

// Audio files and folders brought into the library. An .m4a file is copied;
// any other file the media layer reads is converted on a worker. A
// conversion belongs to its row, not to a path: it is written under a hidden
// name in the output folder and becomes the row's file wherever the row is
// by then; a row that goes cancels its conversion. The conversions under way
// are kept in a journal, so that those a crash cut short are finished, or
// given up and named, at the next start. Main thread only.
class ImportQueue : public QObject
{
    Q_OBJECT
public:
    ImportQueue(Library& library, AudioFileJobs* jobs);
    ~ImportQueue() override;

    // Whether the path is the folder or lies in it, also through links.
    static bool isSameOrInside(const QString& path, const QString& folder);

    // Imports the files and folders into the category; answers the rows made.
    QList<GeneralRecItem*> import(const QStringList& paths, RecGroup* category);
    // Converts the file into the row's .m4a file.
    bool convert(const QString& source, RecItem* row);
    // A run of imports begins: the progress counts from here, across what still waits.
    void beginRun();
    // Begins again what a crash cut short; answers whether rows went.
    bool resume();
    // Lets the waiting conversions finish.
    void finish();

    bool isBusy() const { return !m_conversions.isEmpty(); }
    bool isWaiting(const RecItem* row) const;
    // The path of a row whose conversion is not yet written.
    bool isWaitingPath(const QString& path) const;
    // A hidden file a conversion writes.
    bool isWrittenFile(const QString& path) const;
    // Where the conversions not yet written go now, in the order they were started.
    QStringList pendingPaths() const;
    // What the conversions under or at the row convert: the row's ID and the source.
    QList<std::pair<int, QString>> conversionsUnder(const GeneralRecItem* row) const;

private:
    struct Conversion
    {
        int id = 0;
        QPointer<RecItem> row;
        QString source;
        // What the worker writes.
        QString file;
    };

    bool importFolder(const QString& source, const QString& destination, RecGroup* category,
                      QList<GeneralRecItem*>& made);
    bool importFile(const QString& source, const QString& destination, RecGroup* category,
                    QList<GeneralRecItem*>& made);
    void loaded(int id);
    void progress(double fraction);
    void finished(int id, bool ok);
    // Moves a written conversion to the row's path of now, or under the next
    // free name there if something took it meanwhile.
    bool place(const QString& file, RecItem* row);
    Conversion* find(int id);

    Library& m_library;
    AudioFileJobs* m_jobs;
    ImportJournal m_journal{ImportJournal::defaultPath()};
    QList<Conversion> m_conversions;
    // Conversions the current run started, the waiting ones included.
    int m_total = 0;
    bool m_sheetShown = false;
};
