// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "media/MediaInfo.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

// Exports audio as MPEG-4 files on one worker thread, one file at a time, in
// the order they were queued, so the window stays responsive during long
// conversions. Progress and completion come back as signals on the thread
// that owns the queue (the main thread), progress at most 30 times a second.
class ConversionQueue : public QObject
{
    Q_OBJECT
public:
    explicit ConversionQueue(QObject* parent = nullptr);
    // Cancels the running export (its partial file is not kept), drops the
    // waiting ones and waits for the worker. Main thread.
    ~ConversionQueue() override;

    // Main thread. The segments' sources are immutable and shared safely.
    void enqueue(std::vector<MovieSegment> segments, const QString& destination);

signals:
    // The running export reached this fraction (0..1).
    void progress(const QString& destination, double fraction);
    // The export ended; ok tells whether the file was written.
    void finished(const QString& destination, bool ok);

private:
    struct Job
    {
        std::vector<MovieSegment> segments;
        QString destination;
    };
    void run();
    // Worker thread.
    bool exportJob(const Job& job);

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
