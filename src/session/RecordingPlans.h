// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "session/RecordingPlan.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

class Library;
class RecItem;
class RecordingSession;

// The planned recordings: each starts by itself at its time as a new
// recording in its category, stops through the session after its length
// and then takes its title. Checked by the wall clock at every planned start
// and twice a minute, so that a start missed while the computer slept (or
// VoiceTray did not run) is told once when it is found; one found within its
// time starts late and still stops at its end. A recording that runs at the
// time is never stopped for a plan. Main thread only.
class RecordingPlans : public QObject
{
    Q_OBJECT
public:
    RecordingPlans(Library& library, RecordingSession& session, QObject* parent = nullptr);

    const QList<RecordingPlan>& plans() const { return m_plans; }
    // Reads saved plans (see toJson()) and checks them against the clock.
    void load(const QByteArray& json);
    QByteArray toJson() const;
    // Adds the plan unless it overlaps another or is not sound; says why
    // (message) when it refuses. Starts before now are not missed ones.
    bool add(RecordingPlan plan);
    void remove(qsizetype index);
    // "Lecture — Thursday at 10:00" for the next start, or empty.
    QString nextText() const;
    // Looks at the clock now: starts what is due, tells what was missed.
    void check();

signals:
    // The plans or their progress changed: they are saved again.
    void changed();
    void message(const QString& text);
    // What nextText() says, after each look at the clock.
    void nextChanged(const QString& text);

private:
    void scheduleNextCheck();
    void startPlan(qsizetype index, const QDateTime& due);
    void recordingStopped(RecItem* row);

    Library& m_library;
    RecordingSession& m_session;
    QList<RecordingPlan> m_plans;
    QTimer m_timer;
    // The recording a plan started, and the title it takes when it stops.
    QPointer<RecItem> m_row;
    QString m_title;
};
