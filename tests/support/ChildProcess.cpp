// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ChildProcess.h"

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
    // Everything the child needs is prepared before fork: after it only async-signal-safe calls.
    std::vector<QByteArray> storage;
    for (const QString& part : command)
        storage.push_back(part.toLocal8Bit());
    std::vector<char*> argv;
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
    if (devNull >= 0) {
        dup2(devNull, STDIN_FILENO);
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
    }
    if (keepFd >= 0) {
        if (keepFd == 3)
            fcntl(3, F_SETFD, 0);
        else
            dup2(keepFd, 3);
    }
    execvp(argv[0], argv.data());
    _exit(127);
}

void stopChild(pid_t& pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = -1;
            return;
        }
        usleep(20000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

QByteArray readLine(int fd, int timeoutMs)
{
    QByteArray line;
    const QDeadlineTimer deadline(timeoutMs);
    while (!line.endsWith('\n') && !deadline.hasExpired()) {
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, 100);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0)
            continue;
        char buffer[256];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        line.append(buffer, n);
    }
    return line;
}
