// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QStringList>
#include <sys/types.h>

// Programs that tests start and own: X servers, window managers, trays,
// buses, compositors. A child started here dies with the test process, even
// when that one is killed. Main thread only.

// Starts the command with its output thrown away; keepFd, when given, becomes
// the child's descriptor 3. Answers the child's pid, or -1.
pid_t spawnChild(const QStringList& command, int keepFd = -1);
// Ends the child (SIGTERM, then SIGKILL after 2 s) and sets pid to -1.
void stopChild(pid_t& pid);
// Reads from the descriptor until a line ends, the writer closes it or the
// time is up; answers what came, with its line break when the line is complete.
QByteArray readLine(int fd, int timeoutMs);
