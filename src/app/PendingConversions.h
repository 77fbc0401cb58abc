// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/ConversionQueue.h"

#include <QString>
#include <QStringList>

// The conversions that imports started and that are not yet written: their
// destinations in the order they were started, how many the current run of
// imports started, and the worker that writes them. Main thread only; the
// worker reports through queue()'s signals on the main thread.
class PendingConversions
{
public:
    ConversionQueue& queue() { return m_queue; }

    // A run of imports begins; the count starts again when nothing is waiting.
    void beginRun();
    // Queues the conversion and counts it into the run.
    void start(const QString& source, const QString& destination);
    // Forgets a conversion that ended.
    void finish(const QString& destination);

    bool contains(const QString& destination) const { return m_destinations.contains(destination); }
    // Whether a conversion not yet written goes to the path, letter case ignored.
    bool isDestination(const QString& path) const;
    const QStringList& destinations() const { return m_destinations; }
    int remaining() const { return static_cast<int>(m_destinations.size()); }
    // Conversions the current run started, the waiting ones included.
    int total() const { return m_total; }

private:
    QStringList m_destinations;
    int m_total = 0;
    ConversionQueue m_queue;
};
