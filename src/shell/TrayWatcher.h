// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>

// Tells whether a system tray is there, and waits for one that comes later:
// the session's panel often starts after the programs started at login. A
// tray is an XEmbed tray on the X server or a StatusNotifier host on the
// session bus. Qt settles once per process, when first asked, whether it
// uses the StatusNotifier tray, so it is asked only once one of the two is
// there. Main thread only.
class TrayWatcher : public QObject
{
    Q_OBJECT
public:
    // An interval no other timer of the program uses.
    static constexpr int kPollInterval = 750;

    explicit TrayWatcher(QObject* parent = nullptr);

    static bool isTrayAvailable();

    // Looks for a tray until one appears (trayAppeared, once) or stop();
    // patienceRanOut comes once after patienceMs while the looking goes on.
    void start(int patienceMs);
    void stop();

signals:
    void trayAppeared();
    void patienceRanOut();

private:
    void poll();

    QTimer m_poll;
    QTimer m_patience;
};
