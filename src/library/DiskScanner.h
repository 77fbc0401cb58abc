// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/DiskScan.h"

#include <QObject>
#include <QString>
#include <QThreadPool>

// Looks at the output tree on a worker, so that a library of 100,000 files
// (half a second of listing and sizes) never holds up the window. Asking
// again while a look is under way makes one more look once it ends; only
// the newest answer is given. The answer comes on the thread that asked.
// The worker runs niced: on a busy machine the window and the X server go
// first, and the listing takes what they leave.
class DiskScanner : public QObject
{
    Q_OBJECT
public:
    explicit DiskScanner(QObject* parent = nullptr);
    ~DiskScanner() override;

    void scan(const QString& outputFolder);
    // Forgets what was asked; an answer under way is dropped.
    void cancel();
    // Whether an answer is still to come.
    bool isScanning() const { return m_wanted != m_answered; }

signals:
    void scanned(const DiskScan& scan);

private:
    void run();

    QString m_folder;
    quint64 m_wanted = 0;
    quint64 m_answered = 0;
    bool m_running = false;
    // Last, so that its worker ends before anything it reports to.
    QThreadPool m_pool;
};
