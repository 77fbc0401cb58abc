// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/PulseServer.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kWriteTimeoutMs = 10000;

const char* const kSineName = "vt_sine";
const char* const kMonoName = "vt_mono_pipe";
const char* const kQuadName = "vt_quad_pipe";
const char* const kNullSink = "vt_null";
const char* const kSineDescr = "VoiceTray Test Sine";
const char* const kMonoDescr = "VoiceTray Test Mono Pipe";
const char* const kQuadDescr = "VoiceTray Test Quad Pipe";
const char* const kNullDescr = "VoiceTray Test Null Output";

QString runCommand(const QString& command)
{
    QString out;
    FILE* pipe = ::popen(command.toLocal8Bit().constData(), "r");
    if (!pipe)
        return out;
    char line[512];
    while (std::fgets(line, sizeof line, pipe))
        out += QString::fromLocal8Bit(line);
    ::pclose(pipe);
    return out;
}

// Descriptions contain spaces; the module argument parser takes quotes.
QString describe(const char* description)
{
    return QStringLiteral("\"device.description='%1'\"").arg(QString::fromLatin1(description));
}

} // namespace

PulseServer& PulseServer::instance()
{
    static PulseServer server;
    return server;
}

PulseServer::PulseServer()
{
    m_running = start();
    if (!m_running) {
        QFile log(m_dir + QStringLiteral("/daemon.log"));
        if (log.open(QIODevice::ReadOnly))
            std::fprintf(stderr, "PulseServer: daemon did not come up:\n%s\n",
                         log.readAll().constData());
        stop();
    }
}

PulseServer::~PulseServer()
{
    stop();
}

bool PulseServer::isRunning() const
{
    return m_running;
}

QString PulseServer::sineSourceDescription() const
{
    return QString::fromLatin1(kSineDescr);
}

QString PulseServer::monoPipeSourceDescription() const
{
    return QString::fromLatin1(kMonoDescr);
}

QString PulseServer::quadPipeSourceDescription() const
{
    return QString::fromLatin1(kQuadDescr);
}

QString PulseServer::nullSinkName() const
{
    return QString::fromLatin1(kNullSink);
}

QString PulseServer::nullSinkMonitorDescription() const
{
    return QStringLiteral("Monitor of ") + QString::fromLatin1(kNullDescr);
}

QString PulseServer::serverAddress() const
{
    return QStringLiteral("unix:") + m_socketPath;
}

bool PulseServer::start()
{
    QByteArray pattern = QDir::tempPath().toLocal8Bit() + "/vt-pulse-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        return false;
    m_dir = QString::fromLocal8Bit(pattern);
    const QString runtime = m_dir + QStringLiteral("/runtime");
    const QString home = m_dir + QStringLiteral("/home");
    const QString config = m_dir + QStringLiteral("/config");
    for (const QString& d : {runtime, home, config})
        QDir().mkpath(d);
    ::chmod(runtime.toLocal8Bit().constData(), 0700);
    m_socketPath = runtime + QStringLiteral("/native");

    // The pipe sources create their FIFOs themselves and keep a read end open,
    // so they never block the daemon and deliver nothing while idle.
    const QString script =
        QStringLiteral("load-module module-native-protocol-unix socket=%1 auth-anonymous=1\n"
                       "load-module module-null-sink sink_name=%2 sink_properties=%3\n"
                       "set-default-sink %2\n"
                       "load-module module-sine-source source_name=%4 rate=%5 frequency=%6\n"
                       "update-source-proplist %4 device.description=\"%7\"\n"
                       "load-module module-pipe-source source_name=%8 file=%9/mono.fifo "
                       "format=float32le rate=%5 channels=1 "
                       "source_properties=%10\n"
                       "load-module module-pipe-source source_name=%11 file=%9/quad.fifo "
                       "format=float32le rate=%5 channels=4 "
                       "source_properties=%12\n"
                       "set-default-source %4\n")
            .arg(m_socketPath, QString::fromLatin1(kNullSink), describe(kNullDescr),
                 QString::fromLatin1(kSineName))
            .arg(pipeRate)
            .arg(sineFrequency)
            .arg(QString::fromLatin1(kSineDescr), QString::fromLatin1(kMonoName), m_dir,
                 describe(kMonoDescr), QString::fromLatin1(kQuadName), describe(kQuadDescr));
    QFile scriptFile(m_dir + QStringLiteral("/daemon.pa"));
    if (!scriptFile.open(QIODevice::WriteOnly) || scriptFile.write(script.toUtf8()) < 0)
        return false;
    scriptFile.close();

    QFile clientConf(m_dir + QStringLiteral("/client.conf"));
    if (!clientConf.open(QIODevice::WriteOnly) || clientConf.write("autospawn = no\n") < 0)
        return false;
    clientConf.close();

    const QByteArray scriptPath = scriptFile.fileName().toLocal8Bit();
    const QByteArray logTarget = "file:" + (m_dir + QStringLiteral("/daemon.log")).toLocal8Bit();
    const QByteArray runtimeEnv = runtime.toLocal8Bit();
    const QByteArray homeEnv = home.toLocal8Bit();
    const QByteArray configEnv = config.toLocal8Bit();
    const pid_t parent = ::getpid();

    m_pid = ::fork();
    if (m_pid < 0)
        return false;
    if (m_pid == 0) {
        // Dies with the test process, even when that one is killed.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(1);
        ::setenv("HOME", homeEnv.constData(), 1);
        ::setenv("XDG_RUNTIME_DIR", runtimeEnv.constData(), 1);
        ::setenv("XDG_CONFIG_HOME", configEnv.constData(), 1);
        ::unsetenv("PULSE_SERVER");
        ::unsetenv("DISPLAY");
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
        const int devnull = ::open("/dev/null", O_RDWR);
        if (devnull >= 0) {
            ::dup2(devnull, STDIN_FILENO);
            ::dup2(devnull, STDOUT_FILENO);
            ::dup2(devnull, STDERR_FILENO);
        }
        ::execlp("pulseaudio", "pulseaudio", "-n", "--daemonize=no", "--system=no",
                 "--exit-idle-time=-1", "--disallow-exit", "--use-pid-file=no", "--realtime=no",
                 "--high-priority=no", "--log-level=warning",
                 ("--log-target=" + logTarget).constData(), "-F", scriptPath.constData(),
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }

    ::setenv("PULSE_SERVER", serverAddress().toLocal8Bit().constData(), 1);
    ::setenv("XDG_RUNTIME_DIR", runtimeEnv.constData(), 1);
    ::setenv("PULSE_CLIENTCONFIG", clientConf.fileName().toLocal8Bit().constData(), 1);
    if (!waitUntilReady())
        return false;

    m_monoFd = openFifo(m_dir + QStringLiteral("/mono.fifo"));
    m_quadFd = openFifo(m_dir + QStringLiteral("/quad.fifo"));
    return m_monoFd >= 0 && m_quadFd >= 0;
}

bool PulseServer::waitUntilReady()
{
    const QStringList expected = {
        QStringLiteral("module-native-protocol-unix"), QStringLiteral("module-null-sink"),
        QStringLiteral("module-sine-source"), QStringLiteral("module-pipe-source")};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            return false;
        }
        const QString modules = runCommand(QStringLiteral("pactl list short modules 2>/dev/null"));
        bool all = modules.count(QStringLiteral("module-pipe-source")) == 2;
        for (const QString& name : expected)
            all = all && modules.contains(name);
        if (all)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

int PulseServer::openFifo(const QString& path) const
{
    // Non-blocking open succeeds because the daemon holds the read end; the
    // writes themselves block.
    const int fd = ::open(path.toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool PulseServer::writeAll(int fd, const void* data, size_t bytes)
{
    const char* p = static_cast<const char*>(data);
    while (fd >= 0 && bytes > 0) {
        // A pipe source reads only while a stream records from it; give up
        // rather than hang a test that writes with nobody recording.
        pollfd pfd{fd, POLLOUT, 0};
        const int ready = ::poll(&pfd, 1, kWriteTimeoutMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        const ssize_t n = ::write(fd, p, bytes);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return false;
        }
        p += n;
        bytes -= static_cast<size_t>(n);
    }
    return fd >= 0;
}

bool PulseServer::writeMonoPipe(const float* samples, size_t frames)
{
    return writeAll(m_monoFd, samples, frames * sizeof(float));
}

bool PulseServer::writeQuadPipe(const float* interleaved, size_t frames)
{
    return writeAll(m_quadFd, interleaved, frames * 4 * sizeof(float));
}

void PulseServer::pause()
{
    int status = 0;
    if (m_pid > 0 && ::kill(m_pid, SIGSTOP) == 0)
        ::waitpid(m_pid, &status, WUNTRACED);
}

void PulseServer::resume()
{
    int status = 0;
    if (m_pid > 0 && ::kill(m_pid, SIGCONT) == 0)
        ::waitpid(m_pid, &status, WCONTINUED);
}

void PulseServer::stop()
{
    for (int* fd : {&m_monoFd, &m_quadFd}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        int status = 0;
        bool gone = false;
        for (int i = 0; i < 100 && !gone; ++i) {
            gone = ::waitpid(m_pid, &status, WNOHANG) == m_pid;
            if (!gone)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (!gone) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
        }
        m_pid = -1;
    }
    m_running = false;
    if (!m_dir.isEmpty())
        QDir(m_dir).removeRecursively();
}
