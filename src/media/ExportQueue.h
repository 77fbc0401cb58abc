// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "media/ExportOptions.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Writes copies of recordings (AudioExporter) away from the main thread:
// one file after another, each on all cores, or for formats that are
// written in one run, one file per core. Progress and the end come back as
// signals on the thread that owns the queue. Main thread.
class ExportQueue : public QObject
{
    Q_OBJECT
public:
    explicit ExportQueue(QObject* parent = nullptr);
    // Cancels a running export and waits for its workers.
    ~ExportQueue() override;

    bool isRunning() const { return !m_workers.empty(); }
    // Starts writing the copies; false while an export runs.
    bool start(std::vector<ExportItem> items, const ExportOptions& options);
    // Stops the export: the copy being written is not kept; those already
    // whole stay. finished() still comes.
    void cancel();

signals:
    // The part of the whole export done, 0..1.
    void progress(double fraction);
    // The export ended: how many copies were written, and the first
    // failure's text (empty when none failed or it was cancelled).
    void finished(int written, const QString& error, bool cancelled);

private:
    void run(int threads);
    void ended();

    std::vector<ExportItem> m_items;
    ExportOptions m_options;
    std::vector<std::thread> m_workers;
    std::unique_ptr<std::atomic<double>[]> m_parts;
    std::atomic<size_t> m_next{0};
    std::atomic<int> m_written{0};
    std::atomic<int> m_running{0};
    std::atomic<bool> m_cancelled{false};
    std::mutex m_errorMutex;
    QString m_error;
};
