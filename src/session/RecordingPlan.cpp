// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/RecordingPlan.h"

#include <algorithm>

namespace {

int periodDays(RecordingPlan::Repeat repeat)
{
    return repeat == RecordingPlan::Repeat::Daily    ? 1
           : repeat == RecordingPlan::Repeat::Weekly ? 7
                                                     : 0;
}

const char* repeatName(RecordingPlan::Repeat repeat)
{
    return repeat == RecordingPlan::Repeat::Daily    ? "daily"
           : repeat == RecordingPlan::Repeat::Weekly ? "weekly"
                                                     : "once";
}

} // namespace

std::optional<QDateTime> RecordingPlan::startAtOrBefore(const QDateTime& time) const
{
    if (!start.isValid() || time < start)
        return std::nullopt;
    const int days = periodDays(repeat);
    if (days == 0)
        return start;
    // Whole periods by the calendar: the same local time across a change of
    // summer time.
    QDateTime at = start.addDays(qint64(start.date().daysTo(time.date())) / days * days);
    while (at > time)
        at = at.addDays(-days);
    return at;
}

std::optional<QDateTime> RecordingPlan::startAfter(const QDateTime& time) const
{
    if (!start.isValid())
        return std::nullopt;
    if (time < start)
        return start;
    const int days = periodDays(repeat);
    if (days == 0)
        return std::nullopt;
    return startAtOrBefore(time)->addDays(days);
}

bool RecordingPlan::overlaps(const RecordingPlan& other) const
{
    // Both repeat within a week: a week and a day after the later first
    // start holds every way they can meet.
    const QDateTime from = std::min(start, other.start).addSecs(-length.count());
    const QDateTime until = std::max(start, other.start).addDays(8);
    for (std::optional<QDateTime> mine = startAfter(from); mine && *mine < until;
         mine = startAfter(*mine)) {
        const QDateTime end = mine->addSecs(length.count());
        std::optional<QDateTime> theirs = other.startAtOrBefore(end.addSecs(-1));
        if (theirs && theirs->addSecs(other.length.count()) > *mine)
            return true;
    }
    return false;
}

QJsonObject RecordingPlan::toJson() const
{
    QJsonObject object{{"start", start.toString(Qt::ISODate)},
                       {"repeat", QString::fromLatin1(repeatName(repeat))},
                       {"seconds", qint64(length.count())},
                       {"category", category},
                       {"title", title}};
    if (handled.isValid())
        object.insert("handled", handled.toString(Qt::ISODate));
    return object;
}

std::optional<RecordingPlan> RecordingPlan::fromJson(const QJsonObject& object)
{
    RecordingPlan plan;
    plan.start = QDateTime::fromString(object.value("start").toString(), Qt::ISODate);
    plan.length = std::chrono::seconds(object.value("seconds").toInteger());
    if (!plan.start.isValid() || plan.length <= std::chrono::seconds(0))
        return std::nullopt;
    const QString repeat = object.value("repeat").toString();
    plan.repeat = repeat == QLatin1String("daily")    ? Repeat::Daily
                  : repeat == QLatin1String("weekly") ? Repeat::Weekly
                                                      : Repeat::Once;
    plan.category = object.value("category").toString();
    plan.title = object.value("title").toString();
    plan.handled = QDateTime::fromString(object.value("handled").toString(), Qt::ISODate);
    return plan;
}
