// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ConversionQueue.h"

#include "media/MediaProber.h"
#include "media/MovieExporter.h"

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

void ConversionQueue::enqueue(const QString& source, const QString& destination)
{
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(Job{source, destination});
    }
    m_order.push_back(destination);
    if (m_threads.empty()) {
        const int workers = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 2);
        for (int i = 0; i < workers; ++i)
            m_threads.emplace_back([this] { run(); });
    }
    m_wake.notify_one();
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
        const QString destination = job.destination;
        QMetaObject::invokeMethod(
            this, [this, destination, ok] { ended(destination, ok); }, Qt::QueuedConnection);
    }
}

bool ConversionQueue::exportJob(const Job& job)
{
    const QString destination = job.destination;
    const MediaInfoPtr info = MediaProber::probe(job.source);
    QMetaObject::invokeMethod(
        this, [this, destination, ok = info != nullptr] { emit loaded(destination, ok); },
        Qt::QueuedConnection);
    // A name chosen as free may have been taken meanwhile; never write over it.
    if (!info || QFileInfo(destination).exists() || QFileInfo(destination).isSymLink())
        return false;
    const std::vector<MovieSegment> segments{
        MovieSegment{info, info->startSample, info->durationSamples}};
    using Clock = std::chrono::steady_clock;
    Clock::time_point last;
    // The pool already keeps the cores busy: one thread per conversion.
    const QString error = MovieExporter::exportMPEG4(
        segments, destination,
        [&](QTMovieOperationPhase phase, double fraction) {
            if (m_stop)
                return false;
            const Clock::time_point now = Clock::now();
            if (phase == QTMovieOperationPhase::UpdatePercent &&
                now - last >= std::chrono::milliseconds(33)) {
                last = now;
                QMetaObject::invokeMethod(
                    this, [this, destination, fraction] { running(destination, fraction); },
                    Qt::QueuedConnection);
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

void ConversionQueue::ended(const QString& destination, bool ok)
{
    m_running.insert(destination, 1.0);
    m_ended.insert(destination, ok);
    while (!m_order.empty() && m_ended.contains(m_order.front())) {
        const QString next = m_order.front();
        m_order.pop_front();
        emit finished(next, m_ended.take(next));
        m_running.remove(next);
    }
}

void ConversionQueue::running(const QString& destination, double fraction)
{
    m_running.insert(destination, fraction);
    emit progress(destination, partDone());
}
