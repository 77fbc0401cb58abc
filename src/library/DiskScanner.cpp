// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/DiskScanner.h"

#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int kNice = 10;

} // namespace

DiskScanner::DiskScanner(QObject* parent) : QObject(parent)
{
    m_pool.setMaxThreadCount(1);
}

DiskScanner::~DiskScanner()
{
    m_pool.waitForDone();
}

void DiskScanner::scan(const QString& outputFolder)
{
    m_folder = outputFolder;
    ++m_wanted;
    if (!m_running)
        run();
}

void DiskScanner::cancel()
{
    m_answered = m_wanted;
}

void DiskScanner::run()
{
    m_running = true;
    const quint64 asked = m_wanted;
    const QString folder = m_folder;
    m_pool.start([this, asked, folder] {
        // On Linux the priority of a thread's id is that thread's alone.
        ::setpriority(PRIO_PROCESS, id_t(::gettid()), kNice);
        DiskScan found = DiskScan::of(folder);
        QMetaObject::invokeMethod(
            this,
            [this, asked, found = std::move(found)] {
                m_running = false;
                if (m_answered == m_wanted)
                    return;
                // Asked again meanwhile: what was found may be out of date.
                if (asked != m_wanted) {
                    run();
                    return;
                }
                m_answered = asked;
                emit scanned(found);
            },
            Qt::QueuedConnection);
    });
}
