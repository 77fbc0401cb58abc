// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/ConversionQueue.h"

#include "media/MediaProber.h"
#include "media/MovieExporter.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <chrono>

ConversionQueue::ConversionQueue(QObject* parent) : QObject(parent) {}

ConversionQueue::~ConversionQueue()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        m_jobs.clear();
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

int ConversionQueue::enqueue(const QString& source, const QString& destination)
{
    const int id = ++m_lastId;
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(Job{id, source, destination, cancelled});
    }
    m_flags.insert(id, cancelled);
    m_destinations.insert(id, destination);
    m_order.push_back(id);
    if (m_threads.empty()) {
        const int workers = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 2);
        for (int i = 0; i < workers; ++i)
            m_threads.emplace_back([this] { run(); });
    }
    m_wake.notify_one();
    return id;
}

void ConversionQueue::cancel(int id)
{
    const auto flag = m_flags.take(id);
    if (!flag)
        return;
    flag->store(true);
    {
        std::lock_guard lock(m_mutex);
        std::erase_if(m_jobs, [id](const Job& job) { return job.id == id; });
    }
    std::erase(m_order, id);
    m_running.remove(id);
    const QString destination = m_destinations.take(id);
    // Written, but held back behind an earlier one.
    if (m_ended.take(id))
        QFile::remove(destination);
    // Those queued after it may have ended and waited for it; reported from
    // the event loop, not from inside the caller that cancelled.
    QMetaObject::invokeMethod(this, &ConversionQueue::reportEnded, Qt::QueuedConnection);
}

void ConversionQueue::run()
{
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
            if (m_stop)
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        const bool ok = exportJob(job);
        if (m_stop)
            return;
        QMetaObject::invokeMethod(
            this,
            [this, id = job.id, destination = job.destination, ok] { ended(id, destination, ok); },
            Qt::QueuedConnection);
    }
}

bool ConversionQueue::exportJob(const Job& job)
{
    const int id = job.id;
    const MediaInfoPtr info = MediaProber::probe(job.source);
    QMetaObject::invokeMethod(
        this,
        [this, id, ok = info != nullptr] {
            if (m_flags.contains(id))
                emit loaded(id, ok);
        },
        Qt::QueuedConnection);
    // A name chosen as free may have been taken meanwhile; never write over it.
    const QString& destination = job.destination;
    if (!info || *job.cancelled || QFileInfo(destination).exists() ||
        QFileInfo(destination).isSymLink())
        return false;
    const std::vector<MovieSegment> segments{
        MovieSegment{info, info->startSample, info->durationSamples}};
    using Clock = std::chrono::steady_clock;
    Clock::time_point last;
    // The pool already keeps the cores busy: one thread per conversion.
    const QString error = MovieExporter::exportMPEG4(
        segments, destination,
        [&](ExportPhase phase, double fraction) {
            if (m_stop || *job.cancelled)
                return false;
            const Clock::time_point now = Clock::now();
            if (phase == ExportPhase::UpdatePercent &&
                now - last >= std::chrono::milliseconds(33)) {
                last = now;
                QMetaObject::invokeMethod(
                    this, [this, id, fraction] { running(id, fraction); }, Qt::QueuedConnection);
            }
            return true;
        },
        1);
    return error.isEmpty();
}

double ConversionQueue::partDone() const
{
    double sum = 0;
    for (const double part : m_running)
        sum += part;
    return sum;
}

void ConversionQueue::ended(int id, const QString& destination, bool ok)
{
    if (!m_flags.contains(id)) {
        // Cancelled after its file was written.
        if (ok)
            QFile::remove(destination);
        return;
    }
    m_running.insert(id, 1.0);
    m_ended.insert(id, ok);
    reportEnded();
}

void ConversionQueue::reportEnded()
{
    while (!m_order.empty() && m_ended.contains(m_order.front())) {
        const int next = m_order.front();
        m_order.pop_front();
        m_flags.remove(next);
        m_destinations.remove(next);
        // Counted whole while it is reported.
        emit finished(next, m_ended.take(next));
        m_running.remove(next);
    }
}

void ConversionQueue::running(int id, double fraction)
{
    if (!m_flags.contains(id))
        return;
    m_running.insert(id, fraction);
    emit progress(id, partDone());
}
