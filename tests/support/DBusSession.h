// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

// A private D-Bus session bus for the tests of one process. The first call
// to instance() starts dbus-daemon and points DBUS_SESSION_BUS_ADDRESS of
// this process and of the programs it starts at it, so it must come before
// anything connects to the session bus (the DBUS option of vt_test() makes
// it first). The daemon ends with the process. Main thread only.
class DBusSession
{
public:
    static DBusSession& instance();
    bool isRunning() const { return m_daemon > 0; }

private:
    DBusSession();
    ~DBusSession();

    pid_t m_daemon = -1;
};
