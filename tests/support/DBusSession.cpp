// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/DBusSession.h"

#include "support/ChildProcess.h"
#include "support/Wait.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

DBusSession& DBusSession::instance()
{
    static DBusSession session;
    return session;
}

DBusSession::DBusSession()
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return;
    m_daemon = spawnChild({"dbus-daemon", "--session", "--nofork", "--print-address=3"}, fds[1]);
    close(fds[1]);
    const QByteArray address = m_daemon > 0 ? readLine(fds[0], kWaitTimeoutMs) : QByteArray();
    close(fds[0]);
    if (!address.endsWith('\n')) {
        std::fprintf(stderr, "DBusSession: dbus-daemon did not start\n");
        stopChild(m_daemon);
        return;
    }
    qputenv("DBUS_SESSION_BUS_ADDRESS", address.trimmed());
}

DBusSession::~DBusSession()
{
    stopChild(m_daemon);
}
