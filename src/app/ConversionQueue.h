// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

// Converts audio files to MPEG-4 files on a pool of worker threads, one per
// core (two at most), each taking the next file in the order they were
// queued: a worker measures its source (which for some formats means
// reading all of it) and exports it, so the window stays responsive during
// long conversions. Progress and completion come back as signals on the
// thread that owns the queue (the main thread), progress at most 30 times a
// second per worker.
class ConversionQueue : public QObject
{
    Q_OBJECT
public:
    explicit ConversionQueue(QObject* parent = nullptr);
    // Cancels the running export (its partial file is not kept), drops the
    // waiting ones and waits for the worker. Main thread.
    ~ConversionQueue() override;

    // Main thread.
    void enqueue(const QString& source, const QString& destination);
    // Files' worth of the running exports done, those that ended but are
    // not yet reported as finished counted whole. Main thread.
    double partDone() const;

signals:
    // The source was measured; ok tells whether it opened.
    void loaded(const QString& destination, bool ok);
    // The running exports together reached this many files' worth: the
    // sum of their parts done (0..1 each); destination is the one that moved.
    void progress(const QString& destination, double fraction);
    // The export ended; ok tells whether the file was written. Reported in
    // the order the files were queued, whichever worker ended first.
    void finished(const QString& destination, bool ok);

private:
    struct Job
    {
        QString source;
        QString destination;
    };
    void run();
    // Worker thread.
    bool exportJob(const Job& job);
    // Main thread.
    void running(const QString& destination, double fraction);
    void ended(const QString& destination, bool ok);

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    std::atomic<bool> m_stop{false};
    std::vector<std::thread> m_threads;
    // Main thread: the part done of each running export, the destinations
    // in the order queued, and the ends held back until those before are reported.
    QHash<QString, double> m_running;
    std::deque<QString> m_order;
    QHash<QString, bool> m_ended;
};
