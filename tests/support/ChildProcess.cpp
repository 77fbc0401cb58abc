// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ChildProcess.h"

#include "support/Wait.h"

#include <QDeadlineTimer>
#include <QString>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

pid_t spawnChild(const QStringList& command, int keepFd)
{
    // Everything the child needs is made before the fork: after it only async-signal-safe calls.
    std::vector<QByteArray> storage;
    std::vector<char*> argv;
    for (const QString& part : command)
        storage.push_back(part.toLocal8Bit());
    for (QByteArray& part : storage)
        argv.push_back(part.data());
    argv.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent)
        _exit(127);
    const int devNull = open("/dev/null", O_RDWR);
    for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
        dup2(devNull, fd);
    if (keepFd == 3)
        fcntl(3, F_SETFD, 0);
    else if (keepFd >= 0)
        dup2(keepFd, 3);
    execvp(argv[0], argv.data());
    _exit(127);
}

void stopChild(pid_t& pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    if (!waitUntil([&] { return waitpid(pid, nullptr, WNOHANG) == pid; }, 2000)) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    pid = -1;
}

QByteArray readLine(int fd, int timeoutMs)
{
    QByteArray line;
    const QDeadlineTimer deadline(timeoutMs);
    while (!line.endsWith('\n') && !deadline.hasExpired()) {
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, int(deadline.remainingTime()));
        if (ready < 0 && errno == EINTR)
            continue;
        char buffer[256];
        const ssize_t n = ready > 0 ? read(fd, buffer, sizeof buffer) : -1;
        if (n <= 0)
            break;
        line.append(buffer, n);
    }
    return line;
}
