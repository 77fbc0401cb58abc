// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/ExportQueue.h"

#include "media/AudioExporter.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <chrono>

ExportQueue::ExportQueue(QObject* parent) : QObject(parent) {}

ExportQueue::~ExportQueue()
{
    m_cancelled = true;
    for (std::thread& worker : m_workers)
        worker.join();
}

bool ExportQueue::start(std::vector<ExportItem> items, const ExportOptions& options)
{
    if (isRunning() || items.empty())
        return false;
    m_items = std::move(items);
    m_options = options;
    m_next = 0;
    m_written = 0;
    m_cancelled = false;
    m_error.clear();
    m_parts = std::make_unique<std::atomic<double>[]>(m_items.size());
    const int cores = std::max(1, int(std::thread::hardware_concurrency()));
    // WAV and FLAC are written in one run per file: files side by side.
    const bool oneRun =
        m_options.format == ExportFormat::Wav || m_options.format == ExportFormat::Flac;
    const int workers = oneRun ? std::min<int>(cores, int(m_items.size())) : 1;
    const int threads = oneRun ? 1 : cores;
    m_running = workers;
    for (int i = 0; i < workers; ++i)
        m_workers.emplace_back([this, threads] { run(threads); });
    return true;
}

void ExportQueue::cancel()
{
    m_cancelled = true;
}

void ExportQueue::run(int threads)
{
    using Clock = std::chrono::steady_clock;
    Clock::time_point last;
    for (size_t index = m_next++; index < m_items.size() && !m_cancelled; index = m_next++) {
        const ExportItem& item = m_items[index];
        QDir().mkpath(QFileInfo(item.destination).absolutePath());
        const QString error = AudioExporter::write(
            item, m_options,
            [&](double fraction) {
                m_parts[index] = fraction;
                if (Clock::now() - last >= std::chrono::milliseconds(50)) {
                    last = Clock::now();
                    double sum = 0;
                    for (size_t i = 0; i < m_items.size(); ++i)
                        sum += m_parts[i];
                    QMetaObject::invokeMethod(
                        this, [this, sum] { emit progress(sum / double(m_items.size())); },
                        Qt::QueuedConnection);
                }
                return !m_cancelled;
            },
            threads);
        m_parts[index] = 1.0;
        if (error.isEmpty()) {
            ++m_written;
        } else if (!m_cancelled) {
            std::lock_guard lock(m_errorMutex);
            if (m_error.isEmpty())
                m_error = QFileInfo(item.destination).fileName() + QStringLiteral(": ") + error;
        }
    }
    if (--m_running == 0)
        QMetaObject::invokeMethod(this, &ExportQueue::ended, Qt::QueuedConnection);
}

void ExportQueue::ended()
{
    for (std::thread& worker : m_workers)
        worker.join();
    m_workers.clear();
    emit finished(m_written, m_cancelled ? QString() : m_error, m_cancelled);
}
