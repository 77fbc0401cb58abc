// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

// Converts audio files to MPEG-4 files on one worker thread, one file at a
// time, in the order they were queued: the worker measures each source
// (which for some formats means reading all of it) and exports it, so the
// window stays responsive during long conversions. Progress and completion come back as signals on
// the thread that owns the queue (the main thread), progress at most 30 times a second.
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

signals:
    // The source was measured; ok tells whether it opened.
    void loaded(const QString& destination, bool ok);
    // The running export reached this fraction (0..1).
    void progress(const QString& destination, double fraction);
    // The export ended; ok tells whether the file was written.
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

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
