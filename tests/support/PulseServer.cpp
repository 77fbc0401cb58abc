// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/PulseServer.h"

#include "support/Wait.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Descriptions contain spaces; the module argument parser takes quotes.
QString describe(const QString& description)
{
    return QStringLiteral("\"device.description='%1'\"").arg(description);
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
        QFile log(m_dir.path() + QStringLiteral("/daemon.log"));
        if (log.open(QIODevice::ReadOnly))
            std::fprintf(stderr, "PulseServer: the daemon did not come up:\n%s\n",
                         log.readAll().constData());
        stop();
    }
}

PulseServer::~PulseServer()
{
    stop();
}

QString PulseServer::serverAddress() const
{
    return QStringLiteral("unix:") + m_dir.path() + QStringLiteral("/runtime/native");
}

QString PulseServer::pactl(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral("pactl"), args);
    process.waitForFinished();
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

bool PulseServer::start()
{
    const QString dir = m_dir.path();
    const QString runtime = dir + QStringLiteral("/runtime");
    for (const char* sub : {"/runtime", "/home", "/config"})
        QDir().mkpath(dir + QLatin1String(sub));
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // The pipe sources create their FIFOs themselves and keep a read end open,
    // so they never block the daemon and deliver nothing while idle.
    const QString pipe =
        QStringLiteral("load-module module-pipe-source source_name=%1 file=%2/%3 "
                       "format=float32le rate=%4 channels=%5 source_properties=%6\n");
    const QString script =
        QStringLiteral("load-module module-native-protocol-unix socket=%1/native auth-anonymous=1\n"
                       "load-module module-null-sink sink_name=%2 sink_properties=%3\n"
                       "set-default-sink %2\n"
                       "load-module module-sine-source source_name=vt_sine rate=%4 frequency=%5\n"
                       "update-source-proplist vt_sine device.description=\"%6\"\n"
                       "set-default-source vt_sine\n")
            .arg(runtime, nullSinkName(),
                 describe(nullSinkMonitorDescription().mid(QStringLiteral("Monitor of ").size())))
            .arg(pipeRate)
            .arg(sineFrequency)
            .arg(sineSourceDescription()) +
        pipe.arg("vt_mono_pipe", dir, "mono.fifo")
            .arg(pipeRate)
            .arg(1)
            .arg(describe(monoPipeSourceDescription())) +
        pipe.arg("vt_quad_pipe", dir, "quad.fifo")
            .arg(pipeRate)
            .arg(4)
            .arg(describe(quadPipeSourceDescription()));
    QFile scriptFile(dir + QStringLiteral("/daemon.pa"));
    QFile clientConf(dir + QStringLiteral("/client.conf"));
    if (!scriptFile.open(QIODevice::WriteOnly) || scriptFile.write(script.toUtf8()) < 0 ||
        !clientConf.open(QIODevice::WriteOnly) || clientConf.write("autospawn = no\n") < 0)
        return false;
    scriptFile.close();
    clientConf.close();

    // Everything the child needs is made before the fork.
    const QByteArray scriptPath = scriptFile.fileName().toLocal8Bit();
    const QByteArray logTarget = "--log-target=file:" + (dir + "/daemon.log").toLocal8Bit();
    const QByteArray runtimeEnv = runtime.toLocal8Bit();
    const QByteArray homeEnv = (dir + "/home").toLocal8Bit();
    const QByteArray configEnv = (dir + "/config").toLocal8Bit();
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
        for (const char* name : {"PULSE_SERVER", "DISPLAY", "DBUS_SESSION_BUS_ADDRESS"})
            ::unsetenv(name);
        const int devnull = ::open("/dev/null", O_RDWR);
        for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
            ::dup2(devnull, fd);
        ::execlp("pulseaudio", "pulseaudio", "-n", "--daemonize=no", "--system=no",
                 "--exit-idle-time=-1", "--disallow-exit", "--use-pid-file=no", "--realtime=no",
                 "--high-priority=no", "--log-level=warning", logTarget.constData(), "-F",
                 scriptPath.constData(), static_cast<char*>(nullptr));
        ::_exit(127);
    }

    qputenv("PULSE_SERVER", serverAddress().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", runtimeEnv);
    qputenv("PULSE_CLIENTCONFIG", clientConf.fileName().toLocal8Bit());
    const bool ready = waitUntil([this] {
        if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
            m_pid = -1; // the daemon gave up
            return true;
        }
        const QString modules = pactl({"list", "short", "modules"});
        return modules.count("module-pipe-source") == 2 && modules.contains("module-sine-source") &&
               modules.contains("module-null-sink");
    });
    if (!ready || m_pid < 0)
        return false;
    // Non-blocking opens succeed because the daemon holds the read ends; the
    // writes themselves block.
    for (auto [fd, name] : {std::pair{&m_monoFd, "/mono.fifo"}, {&m_quadFd, "/quad.fifo"}}) {
        *fd = ::open((dir + name).toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (*fd < 0)
            return false;
        ::fcntl(*fd, F_SETFL, ::fcntl(*fd, F_GETFL) & ~O_NONBLOCK);
    }
    return true;
}

bool PulseServer::writeAll(int fd, const void* data, size_t bytes)
{
    const char* p = static_cast<const char*>(data);
    while (fd >= 0 && bytes > 0) {
        // A pipe source reads only while a stream records from it; give up
        // rather than hang a test that writes with nobody recording.
        pollfd pfd{fd, POLLOUT, 0};
        const int ready = ::poll(&pfd, 1, 10000);
        const ssize_t n = ready > 0 ? ::write(fd, p, bytes) : -1;
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n < 0)
            return false;
        p += n;
        bytes -= size_t(n);
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
        if (!waitUntil([this] { return ::waitpid(m_pid, nullptr, WNOHANG) == m_pid; }, 2000)) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        m_pid = -1;
    }
    m_running = false;
}
