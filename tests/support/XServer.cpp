// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/XServer.h"

#include "support/ChildProcess.h"
#include "support/Wait.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

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
    m_xvfb = spawnChild(
        {"Xvfb", "-displayfd", "3", "-screen", "0", "1280x800x24", "-nolisten", "tcp"}, fds[1]);
    ::close(fds[1]);
    const QByteArray number = m_xvfb > 0 ? readLine(fds[0], kWaitTimeoutMs) : QByteArray();
    ::close(fds[0]);
    if (!number.endsWith('\n')) {
        std::fprintf(stderr, "XServer: Xvfb did not start\n");
        stopChild(m_xvfb);
        return;
    }
    m_display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    qputenv("DISPLAY", m_display.toLocal8Bit());
    // Like trayer, openbox now and then does not come up on a loaded machine;
    // a second one does.
    for (int attempt = 0; attempt < 2; ++attempt) {
        m_windowManager = spawnChild({"openbox", "--sm-disable"});
        if (waitFor("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}, "window id"))
            break;
        std::fprintf(stderr, "XServer: openbox did not come up on %s\n", qPrintable(m_display));
        stopChild(m_windowManager);
    }
    run(QStringLiteral("setxkbmap"), {QStringLiteral("us")});
}

XServer::~XServer()
{
    stopChild(m_tray);
    stopChild(m_settingsDaemon);
    stopChild(m_windowManager);
    stopChild(m_xvfb);
}

bool XServer::startTray(TrayEdge edge)
{
    if (m_tray > 0)
        return true;
    // Along a horizontal edge the tray sits at the right end, along a vertical
    // one at the bottom (trayer's "right"), where desktops put theirs.
    const char* edges[] = {"top", "bottom", "left", "right"};
    // On a loaded machine trayer now and then never maps its panel; a second
    // one started after the first is killed does. trayer claims the tray
    // selection before it maps its panel, so a visible panel means a usable tray.
    for (int attempt = 0; isRunning() && attempt < 2; ++attempt) {
        m_tray =
            spawnChild({"trayer", "--edge", edges[int(edge)], "--align", "right", "--widthtype",
                        "pixel", "--width", "100", "--height", "30", "--SetDockType", "true",
                        "--SetPartialStrut", "true", "--transparent", "false"});
        if (waitFor("xdotool", {"search", "--onlyvisible", "--class", "trayer"}, QString()))
            return true;
        stopChild(m_tray);
    }
    return false;
}

bool XServer::startPanel()
{
    if (m_tray > 0)
        return true;
    // One panel of 30 pixels across the bottom with the tray alone: without
    // a configuration of its own the panel asks the user how to set it up.
    const QString config = m_panelHome.path() + "/config";
    const QString channels = config + "/xfce4/xfconf/xfce-perchannel-xml";
    QFile panel(channels + "/xfce4-panel.xml");
    if (!QDir().mkpath(channels) || !panel.open(QIODevice::WriteOnly) ||
        panel.write(R"(<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=10;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="30"/>
      <property name="plugin-ids" type="array"><value type="int" value="1"/></property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
)") < 0)
        return false;
    panel.close();
    const QStringList env{"env", "HOME=" + m_panelHome.path(), "XDG_CONFIG_HOME=" + config};
    // The settings daemon reads the configuration; started here, not by the
    // bus, so that it reads this one.
    for (const char* daemon :
         {"/usr/lib/x86_64-linux-gnu/xfce4/xfconf/xfconfd",
          "/usr/lib/aarch64-linux-gnu/xfce4/xfconf/xfconfd", "/usr/lib/xfce4/xfconf/xfconfd"})
        if (m_settingsDaemon < 0 && QFileInfo::exists(daemon))
            m_settingsDaemon = spawnChild(env + QStringList{daemon});
    m_tray = spawnChild(env + QStringList{"xfce4-panel", "--disable-wm-check"});
    return m_settingsDaemon > 0 &&
           waitUntil([this] { return workArea().bottom() < 799 && workArea().bottom() > 700; },
                     20000);
}

QRect XServer::workArea() const
{
    const QStringList values =
        run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_WORKAREA")})
            .section(QLatin1Char('='), 1)
            .split(QLatin1Char(','));
    if (values.size() < 4)
        return {};
    auto value = [&](int i) { return values[i].trimmed().toInt(); };
    return QRect(value(0), value(1), value(2), value(3));
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
