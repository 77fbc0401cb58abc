// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PendingConversions.h"

void PendingConversions::beginRun()
{
    if (m_destinations.isEmpty())
        m_total = 0;
}

void PendingConversions::start(const QString& source, const QString& destination)
{
    m_destinations.append(destination);
    ++m_total;
    m_queue.enqueue(source, destination);
}

void PendingConversions::finish(const QString& destination)
{
    m_destinations.removeOne(destination);
}

bool PendingConversions::isDestination(const QString& path) const
{
    return m_destinations.contains(path);
}
