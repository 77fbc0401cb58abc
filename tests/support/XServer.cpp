// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/XServer.h"

#include "support/Wait.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

XServer& XServer::instance()
{
    static XServer server;
    return server;
}

XServer::XServer()
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return;
    // Xvfb picks a free display itself and writes its number to the pipe once it accepts clients.
    m_xvfb = spawn({"Xvfb", "-displayfd", "3", "-screen", "0", "1280x800x24", "-nolisten", "tcp"},
                   fds[1]);
    ::close(fds[1]);
    QByteArray number;
    char buffer[16];
    for (ssize_t n = 0;
         m_xvfb > 0 && !number.endsWith('\n') && (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        number.append(buffer, n);
    ::close(fds[0]);
    if (!number.endsWith('\n')) {
        std::fprintf(stderr, "XServer: Xvfb did not start\n");
        stop(m_xvfb);
        return;
    }
    m_display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    qputenv("DISPLAY", m_display.toLocal8Bit());
    m_windowManager = spawn({"openbox", "--sm-disable"});
    if (!waitFor("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}, "window id"))
        std::fprintf(stderr, "XServer: openbox did not come up on %s\n", qPrintable(m_display));
    run(QStringLiteral("setxkbmap"), {QStringLiteral("us")});
}

XServer::~XServer()
{
    stop(m_tray);
    stop(m_windowManager);
    stop(m_xvfb);
}

bool XServer::startTray()
{
    if (m_tray > 0)
        return true;
    // On a loaded machine trayer now and then never maps its panel; a second
    // one started after the first is killed does. trayer claims the tray
    // selection before it maps its panel, so a visible panel means a usable tray.
    for (int attempt = 0; isRunning() && attempt < 2; ++attempt) {
        m_tray = spawn({"trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel",
                        "--width", "100", "--height", "30", "--transparent", "false"});
        if (waitFor("xdotool", {"search", "--onlyvisible", "--class", "trayer"}, QString()))
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
    process.start(program, args);
    const bool finished = process.waitForFinished(30000);
    if (!finished)
        process.kill();
    if (ok)
        *ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

bool XServer::waitFor(const QString& program, const QStringList& args,
                      const QString& expected) const
{
    return waitUntil([&] {
        bool ok = false;
        const QString out = run(program, args, &ok);
        return ok && !out.isEmpty() && out.contains(expected);
    });
}

pid_t XServer::spawn(const QStringList& command, int keepFd)
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

void XServer::stop(pid_t& pid)
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
