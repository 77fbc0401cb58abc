// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PendingConversions.h"

#include <QFileInfo>
#include <algorithm>

void PendingConversions::beginRun()
{
    if (m_conversions.isEmpty())
        m_total = 0;
}

void PendingConversions::start(const QString& source, const QString& file, RecItem* row)
{
    const int id = m_queue.enqueue(source, file);
    m_conversions.append(Conversion{id, row, source, file});
    m_journal.add({QFileInfo(file).path(), row->ID(), source, file});
    ++m_total;
    // Nothing is written for a row that is gone: neither its file nor a leftover.
    QObject::connect(row, &QObject::destroyed, &m_queue, [this, id] {
        if (!finish(id))
            return;
        m_queue.cancel(id);
    });
}

std::optional<PendingConversions::Conversion> PendingConversions::finish(int id)
{
    const auto found = std::find_if(m_conversions.begin(), m_conversions.end(),
                                    [id](const Conversion& c) { return c.id == id; });
    if (found == m_conversions.end())
        return std::nullopt;
    Conversion conversion = *found;
    m_conversions.erase(found);
    m_journal.remove(conversion.file);
    return conversion;
}

bool PendingConversions::contains(int id) const
{
    return std::any_of(m_conversions.begin(), m_conversions.end(),
                       [id](const Conversion& c) { return c.id == id; });
}

bool PendingConversions::isWaiting(const RecItem* row) const
{
    return row && std::any_of(m_conversions.begin(), m_conversions.end(),
                              [row](const Conversion& c) { return c.row == row; });
}
