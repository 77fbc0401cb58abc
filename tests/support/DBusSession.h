// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <sys/types.h>

// A private D-Bus session bus for the tests of one process. The first call
// to instance() starts dbus-daemon and points DBUS_SESSION_BUS_ADDRESS of
// this process (and of the programs it starts) at it, so it must come before
// anything connects to the session bus (the DBUS option of vt_test() does
// that before the application object exists). The daemon is stopped when
// the process exits. Main thread only.
class DBusSession
{
public:
    static DBusSession& instance();

    DBusSession(const DBusSession&) = delete;
    DBusSession& operator=(const DBusSession&) = delete;

    bool isRunning() const { return !m_address.isEmpty(); }
    QString address() const { return m_address; }

private:
    DBusSession();
    ~DBusSession();

    QString m_address;
    pid_t m_daemon = -1;
};
