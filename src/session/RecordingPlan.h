// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <chrono>
#include <optional>

// A recording planned for a time: once, every day or every week at the same
// local time, for a length, into a category (by its title; none for the
// library's top), given a title once it has been recorded.
struct RecordingPlan
{
    enum class Repeat
    {
        Once,
        Daily,
        Weekly
    };

    QDateTime start;
    Repeat repeat = Repeat::Once;
    std::chrono::seconds length{0};
    QString category;
    QString title;
    // The last start that was recorded or told as missed; earlier ones are done.
    QDateTime handled;

    // The latest start at or before the time; nothing before the first.
    std::optional<QDateTime> startAtOrBefore(const QDateTime& time) const;
    // The first start after the time; nothing when a single one has passed.
    std::optional<QDateTime> startAfter(const QDateTime& time) const;
    // Whether the two ever record at the same time.
    bool overlaps(const RecordingPlan& other) const;

    QJsonObject toJson() const;
    // Nothing for an object that is no plan (no start, no length).
    static std::optional<RecordingPlan> fromJson(const QJsonObject& object);
};
