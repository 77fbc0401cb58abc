// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/LibraryWatcher.h"

#include "library/DiskScan.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <sys/stat.h>

namespace {
Q_LOGGING_CATEGORY(lcWatcher, "voicetray.library.watcher")
}

int LibraryWatcher::defaultWatchLimit()
{
    QFile limit(QStringLiteral("/proc/sys/fs/inotify/max_user_watches"));
    bool ok = false;
    const int watches = limit.open(QIODevice::ReadOnly) ? limit.readAll().trimmed().toInt(&ok) : 0;
    // Without the figure, the oldest kernels' default.
    return (ok && watches > 0 ? watches : 8192) / 2;
}

LibraryWatcher::Stamp LibraryWatcher::stampOf(const QString& folder)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(folder).constData(), &st) != 0)
        return {};
    return {qint64(st.st_mtim.tv_sec), qint64(st.st_mtim.tv_nsec)};
}

LibraryWatcher::LibraryWatcher(QObject* parent) : QObject(parent)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    m_poll.setInterval(kPollMs);
    connect(&m_settle, &QTimer::timeout, this, &LibraryWatcher::treeChanged);
    connect(&m_poll, &QTimer::timeout, this, &LibraryWatcher::poll);
    connect(&m_fs, &QFileSystemWatcher::directoryChanged, this, [this] { m_settle.start(); });
}

void LibraryWatcher::setFolder(const QString& folder)
{
    if (!m_fs.directories().isEmpty())
        m_fs.removePaths(m_fs.directories());
    m_polled.clear();
    m_folder = folder;
    m_available = !folder.isEmpty() && QFileInfo(folder).isDir();
    if (folder.isEmpty()) {
        m_poll.stop();
        m_settle.stop();
        return;
    }
    if (m_available)
        m_fs.addPath(folder);
    m_poll.start();
}

void LibraryWatcher::watch(const DiskScan& scan)
{
    if (m_folder.isEmpty())
        return;
    m_available = scan.available;
    QSet<QString> wanted;
    if (scan.available) {
        wanted.insert(m_folder);
        for (const QString& folder : scan.folders)
            wanted.insert(m_folder + folder);
    }
    const QStringList watchedList = m_fs.directories();
    const QSet<QString> watched(watchedList.begin(), watchedList.end());
    QStringList gone;
    for (const QString& path : watched)
        if (!wanted.contains(path))
            gone << path;
    if (!gone.isEmpty())
        m_fs.removePaths(gone);
    m_polled.removeIf([&](const auto& entry) { return !wanted.contains(entry.key()); });
    QStringList added;
    for (const QString& path : wanted)
        if (!watched.contains(path) && !m_polled.contains(path))
            added << path;
    const qsizetype room = std::max<qsizetype>(0, m_watchLimit - (watched.size() - gone.size()));
    QStringList refused = added.mid(room);
    added.resize(std::min(room, added.size()));
    if (!added.isEmpty())
        refused += m_fs.addPaths(added);
    if (refused.isEmpty())
        return;
    for (const QString& path : refused)
        m_polled.insert(path, stampOf(path));
    qCInfo(lcWatcher,
           "%lld of %lld folders of the library are beyond the inotify watches it takes (%d, "
           "half of fs.inotify.max_user_watches): their changes are looked for every %d ms",
           qlonglong(m_polled.size()), qlonglong(wanted.size()), m_watchLimit, kPollMs);
}

void LibraryWatcher::poll()
{
    bool changed = QFileInfo(m_folder).isDir() != m_available;
    for (auto it = m_polled.begin(); it != m_polled.end(); ++it) {
        const Stamp now = stampOf(it.key());
        changed = changed || now != it.value();
        it.value() = now;
    }
    if (changed && !m_settle.isActive())
        m_settle.start();
}
