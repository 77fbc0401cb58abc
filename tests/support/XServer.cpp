// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/XServer.h"

#include "support/ChildProcess.h"

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
    m_windowManager = spawnChild({QStringLiteral("openbox"), QStringLiteral("--sm-disable")});
    if (m_windowManager < 0 ||
        !waitFor(QStringLiteral("xprop"),
                 {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")},
                 QStringLiteral("window id"), kStartTimeoutMs))
        std::fprintf(stderr, "XServer: openbox did not come up on %s\n", qPrintable(m_display));
    run(QStringLiteral("setxkbmap"), {QStringLiteral("us")});
}

XServer::~XServer()
{
    stopChild(m_tray);
    stopChild(m_windowManager);
    stopChild(m_xvfb);
}

bool XServer::startServer()
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;
    // Xvfb picks a free display itself and writes its number to the pipe once it accepts clients.
    m_xvfb =
        spawnChild({QStringLiteral("Xvfb"), QStringLiteral("-displayfd"), QStringLiteral("3"),
                    QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1280x800x24"),
                    QStringLiteral("-nolisten"), QStringLiteral("tcp")},
                   fds[1]);
    close(fds[1]);
    const QByteArray number = m_xvfb > 0 ? readLine(fds[0], kStartTimeoutMs) : QByteArray();
    close(fds[0]);
    if (!number.endsWith('\n')) {
        std::fprintf(stderr, "XServer: Xvfb did not start\n");
        stopChild(m_xvfb);
        return false;
    }
    m_display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    return true;
}

bool XServer::startTray(TrayEdge edge)
{
    if (m_tray > 0)
        return true;
    if (!isRunning())
        return false;
    // Along a horizontal edge the tray sits at the right end, along a vertical one at the bottom
    // (trayer's "right"), where desktops put theirs; for a vertical edge trayer turns the panel.
    const char* names[] = {"top", "bottom", "left", "right"};
    const QStringList command =
        QStringLiteral("trayer --edge %1 --align right --widthtype pixel --width 100 --height 30 "
                       "--SetDockType true --SetPartialStrut true --transparent false")
            .arg(QString::fromLatin1(names[int(edge)]))
            .split(QLatin1Char(' '));
    // On a loaded machine trayer now and then never maps its panel; a second
    // one started after the first is killed does.
    for (int attempt = 0; attempt < 2; ++attempt) {
        m_tray = spawnChild(command);
        if (m_tray < 0)
            return false;
        // trayer claims the tray selection before it maps its panel, so a visible panel means a
        // usable tray.
        if (waitFor(QStringLiteral("xdotool"),
                    {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                     QStringLiteral("--class"), QStringLiteral("trayer")},
                    QString(), kStartTimeoutMs))
            return true;
        stopChild(m_tray);
    }
    return false;
}

QRect XServer::workArea() const
{
    const QStringList values =
        run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_WORKAREA")})
            .section(QLatin1Char('='), 1)
            .split(QLatin1Char(','));
    if (values.size() < 4)
        return {};
    return QRect(values[0].trimmed().toInt(), values[1].trimmed().toInt(),
                 values[2].trimmed().toInt(), values[3].trimmed().toInt());
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
