// SPDX-License-Identifier: GPL-3.0-or-later
#include "e2e/VoiceTrayProcess.h"

#include "support/PulseServer.h"
#include "support/Wait.h"
#include "support/XServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {

// Visible windows of the program (or those the search names) with their
// frames, as xdotool sees them.
QList<QRect> windowFrames(const QStringList& search = {"--class", "voicetray"})
{
    XServer& x = XServer::instance();
    QList<QRect> frames;
    const QStringList ids =
        x.xdotool(QStringList{"search", "--onlyvisible"} + search).split('\n', Qt::SkipEmptyParts);
    for (const QString& id : ids) {
        const QString shell = x.xdotool({"getwindowgeometry", "--shell", id});
        QRect r;
        for (const QString& line : shell.split('\n')) {
            const QString value = line.section('=', 1);
            if (line.startsWith("X="))
                r.moveLeft(value.toInt());
            else if (line.startsWith("Y="))
                r.moveTop(value.toInt());
            else if (line.startsWith("WIDTH="))
                r.setWidth(value.toInt());
            else if (line.startsWith("HEIGHT="))
                r.setHeight(value.toInt());
        }
        frames << r;
    }
    return frames;
}

} // namespace

void clickAt(QPoint point)
{
    XServer::instance().xdotool(
        {"mousemove", QString::number(point.x()), QString::number(point.y()), "click", "1"});
}

VoiceTrayProcess::VoiceTrayProcess(bool ignoreHotKeys)
    : m_environment(QProcessEnvironment::systemEnvironment())
{
    m_environment.insert("HOME", m_home.path());
    m_environment.insert("XDG_CONFIG_HOME", m_home.path() + "/.config");
    m_environment.insert("QT_QPA_PLATFORM", "xcb");
    m_environment.insert("DISPLAY", XServer::instance().display());
    QSettings settings(m_home.path() + "/.config/VoiceTray/VoiceTray.conf", QSettings::IniFormat);
    settings.setValue("OutputFolder", outputFolder());
    settings.setValue("InputDevice", PulseServer::instance().sineSourceDescription());
    settings.setValue("IgnoreGlobalHotKeys", ignoreHotKeys);
    settings.setValue("HideDescrWnd", true);
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
    QSettings(m_home.path() + "/.config/VoiceTray/VoiceTray.conf", QSettings::IniFormat)
        .setValue(key, value);
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
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    m_process.start(qEnvironmentVariable("VT_BINARY_DIR") + "/src/voicetray", arguments);
    return m_process.waitForStarted(5000) &&
           (!waitForWindow || waitUntil([this] { return !popupFrame().isNull(); }));
}

int VoiceTrayProcess::run(const QStringList& arguments, QByteArray* errors, QByteArray* output,
                          const QStringList& extraEnvironment)
{
    QProcess second;
    QProcessEnvironment env = m_environment;
    for (const QString& setting : extraEnvironment)
        env.insert(setting.section('=', 0, 0), setting.section('=', 1));
    second.setProcessEnvironment(env);
    second.start(qEnvironmentVariable("VT_BINARY_DIR") + "/src/voicetray", arguments);
    // The running program answers from its event loop, which this keeps going.
    const bool ended = second.waitForStarted(5000) &&
                       waitUntil([&] { return second.state() == QProcess::NotRunning; });
    if (!ended) {
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

int VoiceTrayProcess::processCount() const
{
    const QByteArray home = "HOME=" + m_home.path().toLocal8Bit();
    int count = 0;
    for (const QString& pid : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (QFileInfo(QFile::symLinkTarget("/proc/" + pid + "/exe")).fileName() != "voicetray")
            continue;
        QFile environ("/proc/" + pid + "/environ");
        if (environ.open(QIODevice::ReadOnly) && environ.readAll().split('\0').contains(home))
            ++count;
    }
    return count;
}

QByteArray VoiceTrayProcess::database() const
{
    QFile f(outputFolder() + "/RecordingsDB.xml");
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QList<QRect> VoiceTrayProcess::mainWindowFrames() const
{
    QList<QRect> frames;
    for (const QRect& r : windowFrames())
        if (r.width() > 300 && r.height() > 400)
            frames << r;
    return frames;
}

QRect VoiceTrayProcess::popupFrame() const
{
    return mainWindowFrames().value(0);
}

QRect VoiceTrayProcess::editorFrame() const
{
    return windowFrames({"--name", "^Recordings Editor$"}).value(0);
}

QRect VoiceTrayProcess::trayIconFrame() const
{
    for (const QRect& r : windowFrames())
        if (r.width() <= 64 && r.height() <= 64 && r.width() > 4)
            return r;
    return QRect();
}
