// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/ConversionQueue.h"
#include "app/ImportJournal.h"
#include "library/RecItem.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <optional>

// The conversions that imports started and that are not yet written, in the
// order they were started, how many the current run of imports started, and
// the worker that writes them. A conversion belongs to its row, not to a
// path: the worker writes a hidden file, which becomes the row's file
// wherever the row is by then; a row that goes cancels its conversion. Main
// thread only; the worker reports through queue()'s signals on the main thread.
// Every conversion is also in the journal until it ends.
class PendingConversions
{
public:
    struct Conversion
    {
        int id = 0;
        QPointer<RecItem> row;
        // What the worker converts, and what it writes.
        QString source;
        QString file;
    };

    ConversionQueue& queue() { return m_queue; }
    ImportJournal& journal() { return m_journal; }

    // A run of imports begins; the count starts again when nothing is waiting.
    void beginRun();
    // Queues the conversion of source into file for the row and counts it into the run.
    void start(const QString& source, const QString& file, RecItem* row);
    // Forgets a conversion that ended; nothing when it was not waiting.
    std::optional<Conversion> finish(int id);

    bool contains(int id) const;
    bool isWaiting(const RecItem* row) const;
    const QList<Conversion>& conversions() const { return m_conversions; }
    int remaining() const { return static_cast<int>(m_conversions.size()); }
    // Conversions the current run started, the waiting ones included.
    int total() const { return m_total; }

private:
    QList<Conversion> m_conversions;
    int m_total = 0;
    ImportJournal m_journal{ImportJournal::defaultPath()};
    ConversionQueue m_queue;
};
