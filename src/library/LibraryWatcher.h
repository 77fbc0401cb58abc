// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

struct DiskScan;

// Tells when the output tree changed on disk: once, a short while after the
// last change, so that a copy of many files gives one notice. It also looks
// every second whether the output folder is there, since mounting a drive
// under a watched folder gives no notice of its own. Main thread only.
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
    // Asks for a notice soon, as a change on disk would.
    void poke() { m_settle.start(); }

signals:
    void treeChanged();

private:
    void poll();

    QString m_folder;
    bool m_available = false;
    QFileSystemWatcher m_fs;
    QTimer m_settle;
    QTimer m_poll;
};
