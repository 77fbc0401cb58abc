// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

struct DiskScan;

// Tells when the output tree changed on disk: once, a short while after the
// last change, so that a copy of many files gives one notice. It also looks
// every second whether the output folder is there, since mounting a drive
// under a watched folder gives no notice of its own. Folders are watched
// with inotify, whose watches the user's programs share: beyond its share
// (or when inotify refuses one), a folder's modification time is looked at
// every second instead, and a log line says so. Main thread only.
class LibraryWatcher : public QObject
{
    Q_OBJECT
public:
    static constexpr int kSettleMs = 300;
    static constexpr int kPollMs = 1000;

    explicit LibraryWatcher(QObject* parent = nullptr);

    // Watches this output folder from now on; empty stops watching.
    void setFolder(const QString& folder);
    // Watches the folders a scan found, and no others.
    void watch(const DiskScan& scan);
    // How many folders inotify watches at most; the default is half of the
    // user's limit (fs.inotify.max_user_watches).
    void setWatchLimit(int folders) { m_watchLimit = folders; }
    static int defaultWatchLimit();
    // Asks for a notice soon, as a change on disk would.
    void poke() { m_settle.start(); }

signals:
    void treeChanged();

private:
    // A folder looked at by its modification time.
    struct Stamp
    {
        qint64 seconds = -1;
        qint64 nanoseconds = -1;
        bool operator==(const Stamp&) const = default;
    };
    static Stamp stampOf(const QString& folder);
    void poll();

    QString m_folder;
    bool m_available = false;
    QFileSystemWatcher m_fs;
    int m_watchLimit = defaultWatchLimit();
    QHash<QString, Stamp> m_polled;
    QTimer m_settle;
    QTimer m_poll;
};
