// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/RecItem.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

// What durationText() shows: hours, minutes and seconds.
struct Shown
{
    int hours;
    int minutes;
    int seconds;
    bool operator==(const Shown&) const = default;
};

Shown shown(double seconds)
{
    const int hours = int(seconds / 3600);
    const int minutes = int((seconds - hours * 3600.0) / 60);
    return {hours, minutes, int(seconds - hours * 3600.0 - minutes * 60.0)};
}

} // namespace

RecItem::RecItem() : GeneralRecItem(false) {}

RecItem::~RecItem() = default;

void RecItem::setDescr(const QString& descr)
{
    m_descr = descr.isNull() ? QString("") : descr;
    noteTreeChange();
    notify();
}

void RecItem::setDate(const QString& date)
{
    m_date = date.isNull() ? QString("") : date;
    notify();
}

void RecItem::setDuration(double seconds)
{
    // A recording's length is set several times a second; its row is laid
    // out and repainted only when the shown text changes. The text is made
    // when asked for: a loading library would make one per row.
    const bool same = shown(seconds) == shown(m_duration);
    m_duration = seconds;
    if (!same)
        notify();
}

void RecItem::setFileMissing(bool missing)
{
    if (missing == m_fileMissing)
        return;
    m_fileMissing = missing;
    notify();
}

QString RecItem::durationText(double seconds)
{
    const auto [hours, minutes, secs] = shown(seconds);
    // Printed into a buffer: every row of a loading library needs one, and
    // QString's own formatting costs more than the rest of the row.
    char text[48];
    int length = 0;
    if (hours > 0)
        length = std::snprintf(text, sizeof text, "%dh %dm %ds", hours, minutes, secs);
    else if (minutes > 0)
        length = std::snprintf(text, sizeof text, "%dm %ds", minutes, secs);
    else
        length = std::snprintf(text, sizeof text, "%ds", secs);
    return QString::fromLatin1(text, length);
}

bool RecItem::addMarkAtTime(float offset, const QString& descr, int id)
{
    TimeMark mark;
    mark.setOffset(offset);
    mark.setMarkID(id);
    mark.setDescr(descr);
    return addMark(std::move(mark));
}

bool RecItem::addMark(TimeMark mark)
{
    if (markByID(mark.markID()))
        return false;
    m_marks.push_back(std::move(mark));
    noteTreeChange();
    notify();
    return true;
}

void RecItem::removeMark(const TimeMark* mark)
{
    auto it = std::find_if(m_marks.begin(), m_marks.end(),
                           [mark](const TimeMark& m) { return &m == mark; });
    if (it == m_marks.end())
        return;
    m_marks.erase(it);
    noteTreeChange();
    notify();
}

int RecItem::createMarkID() const
{
    if (m_marks.empty())
        return 0;
    int maxID = m_marks.front().markID();
    for (const TimeMark& m : m_marks)
        maxID = std::max(maxID, m.markID());
    return maxID + 1;
}

TimeMark* RecItem::markByID(int id)
{
    return const_cast<TimeMark*>(std::as_const(*this).markByID(id));
}

const TimeMark* RecItem::markByID(int id) const
{
    for (const TimeMark& m : m_marks)
        if (m.markID() == id)
            return &m;
    return nullptr;
}

void RecItem::setMarkDescr(TimeMark* mark, const QString& descr)
{
    if (!mark)
        return;
    mark->setDescr(descr);
    noteTreeChange();
    notify();
}
