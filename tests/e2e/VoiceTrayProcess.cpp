// SPDX-License-Identifier: GPL-3.0-or-later
#include "e2e/VoiceTrayProcess.h"

#include "support/PulseServer.h"
#include "support/Wait.h"
#include "support/XServer.h"

#include <QSettings>

namespace {

QString program()
{
    return qEnvironmentVariable("VT_BINARY_DIR") + "/src/voicetray";
}

// The first visible window of the program whose frame passes the test, as xdotool sees it.
QRect windowFrame(const std::function<bool(const QRect&)>& test)
{
    XServer& x = XServer::instance();
    const QStringList ids = x.xdotool({"search", "--onlyvisible", "--class", "voicetray"})
                                .split('\n', Qt::SkipEmptyParts);
    for (const QString& id : ids) {
        QHash<QString, int> values;
        for (const QString& line : x.xdotool({"getwindowgeometry", "--shell", id}).split('\n'))
            values[line.section('=', 0, 0)] = line.section('=', 1).toInt();
        const QRect frame(values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]);
        if (test(frame))
            return frame;
    }
    return QRect();
}

} // namespace

VoiceTrayProcess::VoiceTrayProcess()
{
    QSettings settings(m_home.path() + "/.config/VoiceTray/VoiceTray.conf", QSettings::IniFormat);
    settings.setValue("OutputFolder", outputFolder());
    settings.setValue("InputDevice", PulseServer::instance().sineSourceDescription());
    settings.setValue("HideDescrWnd", true);
}

VoiceTrayProcess::~VoiceTrayProcess()
{
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
    m_process.waitForFinished(5000);
}

QProcessEnvironment VoiceTrayProcess::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", m_home.path());
    env.insert("XDG_CONFIG_HOME", m_home.path() + "/.config");
    env.insert("QT_QPA_PLATFORM", "xcb");
    return env;
}

bool VoiceTrayProcess::start(const QStringList& arguments)
{
    m_process.setProcessEnvironment(environment());
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    m_process.start(program(), arguments);
    return m_process.waitForStarted(5000) && waitUntil([this] { return !popupFrame().isNull(); });
}

int VoiceTrayProcess::run(const QStringList& arguments, QByteArray* errors,
                          const QStringList& extraEnvironment)
{
    QProcess second;
    QProcessEnvironment env = environment();
    for (const QString& setting : extraEnvironment)
        env.insert(setting.section('=', 0, 0), setting.section('=', 1));
    second.setProcessEnvironment(env);
    second.start(program(), arguments);
    // The running program answers from its event loop, which this keeps going.
    if (!second.waitForStarted(5000) ||
        !waitUntil([&] { return second.state() == QProcess::NotRunning; })) {
        second.kill();
        second.waitForFinished(5000);
        return -1;
    }
    if (errors)
        *errors = second.readAllStandardError();
    return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
}

QRect VoiceTrayProcess::popupFrame() const
{
    return windowFrame([](const QRect& r) { return r.width() > 200 && r.height() > 200; });
}

QRect VoiceTrayProcess::trayIconFrame() const
{
    return windowFrame(
        [](const QRect& r) { return r.width() <= 64 && r.height() <= 64 && r.width() > 4; });
}
