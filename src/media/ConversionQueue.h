// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Converts audio files to MPEG-4 files on a pool of worker threads, one per
// core (two at most), each taking the next file in the order they were
// queued: a worker measures its source (which for some formats means
// reading all of it) and exports it, so the window stays responsive during
// long conversions. Progress and completion come back as signals on the
// thread that owns the queue (the main thread), progress at most 30 times a
// second per worker. A conversion is known by the number enqueue() gave it.
class ConversionQueue : public QObject
{
    Q_OBJECT
public:
    explicit ConversionQueue(QObject* parent = nullptr);
    // Cancels the running export (its partial file is not kept), drops the
    // waiting ones and waits for the worker. Main thread.
    ~ConversionQueue() override;

    // Main thread.
    int enqueue(const QString& source, const QString& destination);
    // Drops a waiting conversion or stops a running one; nothing of it is
    // reported afterwards and no file of it is left. Main thread.
    void cancel(int id);
    // Files' worth of the running exports done, those that ended but are
    // not yet reported as finished counted whole. Main thread.
    double partDone() const;

signals:
    // The source was measured; ok tells whether it opened.
    void loaded(int id, bool ok);
    // The running exports together reached this many files' worth: the
    // sum of their parts done (0..1 each); id is the one that moved.
    void progress(int id, double fraction);
    // The export ended; ok tells whether the file was written. Reported in
    // the order the files were queued, whichever worker ended first.
    void finished(int id, bool ok);

private:
    struct Job
    {
        int id = 0;
        QString source;
        QString destination;
        std::shared_ptr<std::atomic<bool>> cancelled;
    };
    void run();
    // Worker thread.
    bool exportJob(const Job& job);
    // Main thread.
    void running(int id, double fraction);
    void ended(int id, const QString& destination, bool ok);
    void reportEnded();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    std::atomic<bool> m_stop{false};
    std::vector<std::thread> m_threads;
    // Main thread: the cancel flag and destination of each conversion not
    // yet reported, the part done of each running export, the conversions in the order
    // queued, and the ends held back until those before are reported.
    int m_lastId = 0;
    QHash<int, std::shared_ptr<std::atomic<bool>>> m_flags;
    QHash<int, QString> m_destinations;
    QHash<int, double> m_running;
    std::deque<int> m_order;
    QHash<int, bool> m_ended;
};
