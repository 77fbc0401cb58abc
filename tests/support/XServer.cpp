// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/XServer.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kStartTimeoutMs = 15000;

} // namespace

XServer& XServer::instance()
{
    static XServer server;
    return server;
}

XServer::XServer()
{
    if (!startServer())
        return;
    qputenv("DISPLAY", m_display.toLocal8Bit());
    m_windowManager = spawn({QStringLiteral("openbox"), QStringLiteral("--sm-disable")});
    if (m_windowManager < 0 ||
        !waitFor(QStringLiteral("xprop"),
                 {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")},
                 QStringLiteral("window id"), kStartTimeoutMs))
        std::fprintf(stderr, "XServer: openbox did not come up on %s\n", qPrintable(m_display));
    run(QStringLiteral("setxkbmap"), {QStringLiteral("us")});
}

XServer::~XServer()
{
    stop(m_tray);
    stop(m_windowManager);
    stop(m_xvfb);
}

bool XServer::startServer()
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;
    // Xvfb picks a free display itself and writes its number to the pipe once it accepts clients.
    m_xvfb = spawn({QStringLiteral("Xvfb"), QStringLiteral("-displayfd"), QStringLiteral("3"),
                    QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1280x800x24"),
                    QStringLiteral("-nolisten"), QStringLiteral("tcp")},
                   fds[1]);
    close(fds[1]);
    QByteArray number;
    QElapsedTimer clock;
    clock.start();
    while (m_xvfb > 0 && !number.endsWith('\n') && clock.elapsed() < kStartTimeoutMs) {
        pollfd p{fds[0], POLLIN, 0};
        const int ready = poll(&p, 1, 100);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0)
            continue;
        char buffer[16];
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        number.append(buffer, n);
    }
    close(fds[0]);
    if (!number.endsWith('\n')) {
        std::fprintf(stderr, "XServer: Xvfb did not start\n");
        stop(m_xvfb);
        return false;
    }
    m_display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    return true;
}

bool XServer::startTray()
{
    if (m_tray > 0)
        return true;
    if (!isRunning())
        return false;
    // On a loaded machine trayer now and then never maps its panel; a second
    // one started after the first is killed does.
    for (int attempt = 0; attempt < 2; ++attempt) {
        m_tray =
            spawn({QStringLiteral("trayer"), QStringLiteral("--edge"), QStringLiteral("top"),
                   QStringLiteral("--align"), QStringLiteral("right"),
                   QStringLiteral("--widthtype"), QStringLiteral("pixel"),
                   QStringLiteral("--width"), QStringLiteral("100"), QStringLiteral("--height"),
                   QStringLiteral("30"), QStringLiteral("--transparent"), QStringLiteral("false")});
        if (m_tray < 0)
            return false;
        // trayer claims the tray selection before it maps its panel, so a visible panel means a
        // usable tray.
        if (waitFor(QStringLiteral("xdotool"),
                    {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                     QStringLiteral("--class"), QStringLiteral("trayer")},
                    QString(), kStartTimeoutMs))
            return true;
        stop(m_tray);
    }
    return false;
}

bool XServer::screenshot(const QString& path) const
{
    bool ok = false;
    run(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), path}, &ok);
    return ok;
}

QString XServer::xdotool(const QStringList& args, bool* ok) const
{
    return run(QStringLiteral("xdotool"), args, ok);
}

QString XServer::run(const QString& program, const QStringList& args, bool* ok) const
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, args);
    const bool finished = process.waitForFinished(30000);
    if (!finished)
        process.kill();
    if (ok)
        *ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

bool XServer::waitFor(const QString& program, const QStringList& args, const QString& expected,
                      int timeoutMs) const
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        bool ok = false;
        const QString out = run(program, args, &ok);
        if (ok && !out.isEmpty() && (expected.isEmpty() || out.contains(expected)))
            return true;
        QThread::msleep(50);
    }
    return false;
}

pid_t XServer::spawn(const QStringList& command, int keepFd)
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

void XServer::stop(pid_t& pid)
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
