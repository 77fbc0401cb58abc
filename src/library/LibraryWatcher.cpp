// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/LibraryWatcher.h"

#include "library/DiskScan.h"

#include <QFileInfo>

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
    QStringList added;
    for (const QString& path : wanted)
        if (!watched.contains(path))
            added << path;
    if (!added.isEmpty())
        m_fs.addPaths(added);
}

void LibraryWatcher::poll()
{
    if (QFileInfo(m_folder).isDir() != m_available && !m_settle.isActive())
        m_settle.start();
}
