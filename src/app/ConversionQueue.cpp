// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ConversionQueue.h"

#include "media/MediaProber.h"
#include "media/MovieExporter.h"

#include <QFileInfo>
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
    if (m_thread.joinable())
        m_thread.join();
}

void ConversionQueue::enqueue(const QString& source, const QString& destination)
{
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(Job{source, destination});
    }
    if (!m_thread.joinable())
        m_thread = std::thread([this] { run(); });
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
            this, [this, destination, ok] { emit finished(destination, ok); },
            Qt::QueuedConnection);
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
    const QString error = MovieExporter::exportMPEG4(
        segments, destination, [&](QTMovieOperationPhase phase, double fraction) {
            if (m_stop)
                return false;
            const Clock::time_point now = Clock::now();
            if (phase == QTMovieOperationPhase::UpdatePercent &&
                now - last >= std::chrono::milliseconds(33)) {
                last = now;
                QMetaObject::invokeMethod(
                    this, [this, destination, fraction] { emit progress(destination, fraction); },
                    Qt::QueuedConnection);
            }
            return true;
        });
    return error.isEmpty();
}
