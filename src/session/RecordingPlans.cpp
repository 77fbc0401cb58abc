// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/RecordingPlans.h"

#include "library/Library.h"
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "session/RecordingSession.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QLoggingCategory>
#include <algorithm>

Q_LOGGING_CATEGORY(lcPlans, "voicetray.plans")

namespace {

// The clock is read at least this often: a wake from sleep is found soon.
constexpr int kCheckEveryMs = 30000;

QString startText(const QDateTime& time)
{
    return QLocale().toString(time, QLocale::ShortFormat);
}

} // namespace

RecordingPlans::RecordingPlans(Library& library, RecordingSession& session, QObject* parent)
    : QObject(parent), m_library(library), m_session(session)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &RecordingPlans::check);
    connect(&m_session, &RecordingSession::stopped, this,
            [this](RecItem* row, bool) { recordingStopped(row); });
}

void RecordingPlans::load(const QByteArray& json)
{
    m_plans.clear();
    for (const QJsonValue& value : QJsonDocument::fromJson(json).array())
        if (auto plan = RecordingPlan::fromJson(value.toObject()))
            m_plans << *plan;
    qCInfo(lcPlans, "%d recordings planned", int(m_plans.size()));
    check();
}

QByteArray RecordingPlans::toJson() const
{
    QJsonArray array;
    for (const RecordingPlan& plan : m_plans)
        array << plan.toJson();
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

bool RecordingPlans::add(RecordingPlan plan)
{
    const int period = plan.repeat == RecordingPlan::Repeat::Daily    ? 86400
                       : plan.repeat == RecordingPlan::Repeat::Weekly ? 7 * 86400
                                                                      : 0;
    if (!plan.start.isValid() || plan.length <= std::chrono::seconds(0) ||
        (period > 0 && plan.length.count() >= period)) {
        emit message(tr("A planned recording needs a time and a length shorter than the time "
                        "between its starts."));
        return false;
    }
    if (plan.repeat == RecordingPlan::Repeat::Once &&
        plan.start.addSecs(plan.length.count()) <= QDateTime::currentDateTime()) {
        emit message(tr("The time of \"%1\" has passed. Choose a time to come.").arg(plan.title));
        return false;
    }
    for (const RecordingPlan& other : std::as_const(m_plans)) {
        if (plan.overlaps(other)) {
            emit message(tr("\"%1\" overlaps the planned recording \"%2\" (%3). Choose another "
                            "time or length.")
                             .arg(plan.title, other.title, startText(other.start)));
            return false;
        }
    }
    // Nothing before now counts as missed.
    plan.handled = QDateTime::currentDateTime().addMSecs(-1);
    if (const auto before = plan.startAtOrBefore(plan.handled))
        plan.handled = *before;
    m_plans << plan;
    emit changed();
    check();
    return true;
}

void RecordingPlans::remove(qsizetype index)
{
    if (index < 0 || index >= m_plans.size())
        return;
    m_plans.removeAt(index);
    emit changed();
    scheduleNextCheck();
}

QString RecordingPlans::nextText() const
{
    const QDateTime now = QDateTime::currentDateTime();
    const RecordingPlan* next = nullptr;
    QDateTime at;
    for (const RecordingPlan& plan : m_plans) {
        const auto start = plan.startAfter(now);
        if (start && (!next || *start < at)) {
            next = &plan;
            at = *start;
        }
    }
    return next ? tr("Next planned: \"%1\" at %2").arg(next->title, startText(at)) : QString();
}

void RecordingPlans::check()
{
    const QDateTime now = QDateTime::currentDateTime();
    QStringList missed;
    bool changedAny = false;
    for (qsizetype i = 0; i < m_plans.size(); ++i) {
        RecordingPlan& plan = m_plans[i];
        const auto due = plan.startAtOrBefore(now);
        if (!due || (plan.handled.isValid() && *due <= plan.handled))
            continue;
        const QDateTime end = due->addSecs(plan.length.count());
        if (now < end && !m_session.isRecording()) {
            plan.handled = *due;
            changedAny = true;
            startPlan(i, *due);
        } else if (now >= end) {
            // Never started: the computer was off or asleep, VoiceTray did not
            // run, or another recording ran all the while.
            plan.handled = *due;
            changedAny = true;
            missed << tr("\"%1\" (%2)").arg(plan.title, startText(*due));
        }
    }
    // A single plan that has had its time is done.
    const auto before = m_plans.size();
    m_plans.removeIf([&](const RecordingPlan& plan) {
        return plan.repeat == RecordingPlan::Repeat::Once && plan.handled.isValid() &&
               plan.handled >= plan.start && !plan.startAfter(now) &&
               plan.start.addSecs(plan.length.count()) <= now;
    });
    if (changedAny || m_plans.size() != before)
        emit changed();
    scheduleNextCheck();
    if (!missed.isEmpty()) {
        qCInfo(lcPlans, "Missed: %s", qPrintable(missed.join(", ")));
        emit message(tr("These planned recordings were missed: the computer was off or asleep, "
                        "VoiceTray did not run, or another recording ran at the time:\n%1")
                         .arg(missed.join(QLatin1Char('\n'))));
    }
}

void RecordingPlans::scheduleNextCheck()
{
    const QDateTime now = QDateTime::currentDateTime();
    qint64 wait = kCheckEveryMs;
    for (const RecordingPlan& plan : std::as_const(m_plans)) {
        if (const auto start = plan.startAfter(now))
            wait = std::min(wait, now.msecsTo(*start));
        // A plan waiting for another recording to end looks again at its end.
    }
    m_timer.start(int(std::max<qint64>(wait, 0)));
    emit nextChanged(nextText());
}

void RecordingPlans::startPlan(qsizetype index, const QDateTime& due)
{
    const RecordingPlan& plan = m_plans[index];
    bool made = false;
    RecGroup* category =
        plan.category.isEmpty() ? m_library.root() : m_library.categoryAt(plan.category, &made);
    if (!category)
        category = m_library.root();
    qCInfo(lcPlans, "Starting the planned recording \"%s\"", qPrintable(plan.title));
    if (!m_session.startNew(category))
        return;
    const auto left = std::chrono::milliseconds(
        QDateTime::currentDateTime().msecsTo(due.addSecs(plan.length.count())));
    m_session.limitTo(std::chrono::milliseconds(qint64(m_session.elapsed() * 1000)) + left);
    m_row = m_session.recordingRow();
    m_title = plan.repeat == RecordingPlan::Repeat::Once
                  ? plan.title
                  : tr("%1, %2").arg(plan.title, due.date().toString(Qt::ISODate));
}

void RecordingPlans::recordingStopped(RecItem* row)
{
    // A plan that waited for another recording to end may start now.
    QTimer::singleShot(0, this, &RecordingPlans::check);
    if (!row || row != m_row)
        return;
    m_row.clear();
    // Named once its file is complete: a file being written is never renamed.
    if (!m_title.trimmed().isEmpty())
        m_library.rename(row, m_title);
}
