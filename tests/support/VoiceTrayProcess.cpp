// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/VoiceTrayProcess.h"

#include "support/PulseServer.h"
#include "support/Wait.h"
#include "support/XServer.h"

#include <QHash>
#include <QSettings>
#include <cstdio>
#include <functional>

namespace {

QString program()
{
    return qEnvironmentVariable("VT_BINARY_DIR") + "/src/voicetray";
}

// The visible windows that the search finds (the program's by default) whose
// frames pass the test, as xdotool sees them.
QList<QRect> windowFrames(const std::function<bool(const QRect&)>& test,
                          const QStringList& search = {"--class", "voicetray"})
{
    XServer& x = XServer::instance();
    QList<QRect> frames;
    const QStringList ids =
        x.xdotool(QStringList{"search", "--onlyvisible"} + search).split('\n', Qt::SkipEmptyParts);
    for (const QString& id : ids) {
        QHash<QString, int> values;
        for (const QString& line : x.xdotool({"getwindowgeometry", "--shell", id}).split('\n'))
            values[line.section('=', 0, 0)] = line.section('=', 1).toInt();
        const QRect frame(values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]);
        if (test(frame))
            frames << frame;
    }
    return frames;
}

} // namespace

VoiceTrayProcess::VoiceTrayProcess() : m_environment(QProcessEnvironment::systemEnvironment())
{
    m_environment.insert("HOME", m_home.path());
    m_environment.insert("XDG_CONFIG_HOME", m_home.path() + "/.config");
    m_environment.insert("XDG_DATA_HOME", m_home.path() + "/.local/share");
    m_environment.insert("QT_QPA_PLATFORM", "xcb");
    setSetting("OutputFolder", outputFolder());
    setSetting("InputDevice", PulseServer::instance().sineSourceDescription());
    setSetting("HideDescrWnd", true);
    m_process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    QObject::connect(&m_process, &QProcess::readyReadStandardError, &m_process, [this] {
        const QByteArray text = m_process.readAllStandardError();
        m_errors += text;
        std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    });
}

void VoiceTrayProcess::kill()
{
    m_process.kill();
    // A large sanitized process takes its time to be torn down; a start
    // before it ended would be refused.
    m_process.waitForFinished(kWaitTimeoutMs);
}

QString VoiceTrayProcess::threadStacks() const
{
    QProcess gdb;
    gdb.start("gdb",
              {"-p", QString::number(processId()), "-batch", "-ex", "thread apply all bt 25"});
    if (!gdb.waitForFinished(60000))
        gdb.kill();
    return QString::fromLocal8Bit(gdb.readAllStandardOutput());
}

VoiceTrayProcess::~VoiceTrayProcess()
{
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
    m_process.waitForFinished(5000);
}

void VoiceTrayProcess::setSetting(const QString& key, const QVariant& value)
{
    QSettings(settingsFile(), QSettings::IniFormat).setValue(key, value);
}

void VoiceTrayProcess::setEnvironment(const QString& name, const QString& value)
{
    if (value.isEmpty())
        m_environment.remove(name);
    else
        m_environment.insert(name, value);
}

bool VoiceTrayProcess::start(const QStringList& arguments, bool waitForWindow)
{
    m_process.setProcessEnvironment(m_environment);
    m_process.start(program(), arguments);
    return m_process.waitForStarted(5000) &&
           (!waitForWindow || waitUntil([this] { return !popupFrame().isNull(); }));
}

int VoiceTrayProcess::run(const QStringList& arguments, QByteArray* errors,
                          const QStringList& extraEnvironment, QByteArray* output)
{
    QProcess second;
    QProcessEnvironment env = m_environment;
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
    if (output)
        *output = second.readAllStandardOutput();
    return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
}

QList<QRect> VoiceTrayProcess::mainWindowFrames() const
{
    return windowFrames([](const QRect& r) { return r.width() > 300 && r.height() > 400; });
}

QRect VoiceTrayProcess::editorFrame() const
{
    return windowFrames([](const QRect&) { return true; }, {"--name", "^Recordings Editor$"})
        .value(0);
}

QRect VoiceTrayProcess::trayIconFrame() const
{
    return windowFrames(
               [](const QRect& r) { return r.width() <= 64 && r.height() <= 64 && r.width() > 4; })
        .value(0);
}
