// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/PulseServer.h"

#include "support/ChildProcess.h"
#include "support/Wait.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
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

PulseServer::PulseServer() : m_pipeWire(qgetenv("VT_SOUND_SERVER") == "pipewire")
{
    m_running = m_pipeWire ? startPipeWire() : start();
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
    return QStringLiteral("unix:") + m_dir.path() +
           (m_pipeWire ? QStringLiteral("/runtime/pulse/native")
                       : QStringLiteral("/runtime/native"));
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
    return waitForModules() && openPipes();
}

bool PulseServer::waitForModules()
{
    const bool ready = waitUntil([this] {
        if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
            m_pid = -1; // the daemon gave up
            return true;
        }
        const QString modules = pactl({"list", "short", "modules"});
        return modules.count("module-pipe-source") == (m_pipeWire ? 3 : 2) &&
               (m_pipeWire || modules.contains("module-sine-source")) &&
               modules.contains("module-null-sink");
    });
    return ready && m_pid > 0;
}

bool PulseServer::openPipes()
{
    // Non-blocking opens succeed because the daemon holds the read ends; the
    // writes themselves block.
    for (auto [fd, name] : {std::pair{&m_monoFd, "/mono.fifo"}, {&m_quadFd, "/quad.fifo"}}) {
        *fd = ::open((m_dir.path() + name).toLocal8Bit().constData(),
                     O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (*fd < 0)
            return false;
        ::fcntl(*fd, F_SETFL, ::fcntl(*fd, F_GETFL) & ~O_NONBLOCK);
    }
    return true;
}

bool PulseServer::startPipeWire()
{
    const QString dir = m_dir.path();
    const QString runtime = dir + QStringLiteral("/runtime");
    for (const char* sub : {"/runtime", "/home", "/config"})
        QDir().mkpath(dir + QLatin1String(sub));
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return false;
    const pid_t bus =
        spawnChild({"dbus-daemon", "--session", "--nofork", "--print-address=3"}, fds[1]);
    ::close(fds[1]);
    const QByteArray address = bus > 0 ? readLine(fds[0], kWaitTimeoutMs).trimmed() : QByteArray();
    ::close(fds[0]);
    m_helpers.push_back(bus);
    if (address.isEmpty())
        return false;
    const QStringList env{"env",
                          "-u",
                          "PULSE_SERVER",
                          "-u",
                          "DISPLAY",
                          "HOME=" + dir + "/home",
                          "XDG_CONFIG_HOME=" + dir + "/config",
                          "XDG_RUNTIME_DIR=" + runtime,
                          "DBUS_SESSION_BUS_ADDRESS=" + QString::fromLocal8Bit(address)};
    m_pid = spawnChild(env + QStringList{"pipewire"});
    if (m_pid < 0 ||
        !waitUntil([&] { return QFile::exists(runtime + QStringLiteral("/pipewire-0")); }))
        return false;
    m_helpers.push_back(spawnChild(env + QStringList{"wireplumber"}));
    m_helpers.push_back(spawnChild(env + QStringList{"pipewire-pulse"}));
    qputenv("PULSE_SERVER", serverAddress().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    QFile clientConf(dir + QStringLiteral("/client.conf"));
    if (!clientConf.open(QIODevice::WriteOnly) || clientConf.write("autospawn = no\n") < 0)
        return false;
    clientConf.close();
    qputenv("PULSE_CLIENTCONFIG", clientConf.fileName().toLocal8Bit());
    if (!waitUntil([] { return pactl({"info"}).contains("PipeWire"); }) || !loadPipeWireSources() ||
        !waitForModules() || !openPipes())
        return false;
    const pid_t sine = feedTone(dir + "/sine.fifo", sineFrequency);
    m_helpers.push_back(sine);
    m_helpers.push_back(keepReading("vt_sine"));
    return sine > 0;
}

bool PulseServer::loadPipeWireSources()
{
    const QString dir = m_dir.path();
    const auto pipe = [&](const QString& name, const QString& fifo, int channels,
                          const QString& description) {
        return !pactl({"load-module", "module-pipe-source", "source_name=" + name,
                       "file=" + dir + "/" + fifo, "format=float32le",
                       "rate=" + QString::number(pipeRate), "channels=" + QString::number(channels),
                       "source_properties=" + describe(description)})
                    .isEmpty();
    };
    const bool loaded = !pactl({"load-module", "module-null-sink", "sink_name=" + nullSinkName(),
                                "sink_properties=" + describe(nullSinkMonitorDescription().mid(
                                                         QStringLiteral("Monitor of ").size()))})
                             .isEmpty() &&
                        pipe("vt_sine", "sine.fifo", 1, sineSourceDescription()) &&
                        pipe("vt_mono_pipe", "mono.fifo", 1, monoPipeSourceDescription()) &&
                        pipe("vt_quad_pipe", "quad.fifo", 4, quadPipeSourceDescription());
    pactl({"set-default-sink", nullSinkName()});
    pactl({"set-default-source", "vt_sine"});
    return loaded;
}

pid_t PulseServer::feedTone(const QString& fifo, int frequency)
{
    // At the pace of the clock, as a microphone delivers.
    return spawnChild(
        {"ffmpeg", "-nostdin", "-loglevel", "error", "-re", "-f", "lavfi", "-i",
         QStringLiteral("sine=frequency=%1:sample_rate=%2").arg(frequency).arg(pipeRate), "-f",
         "f32le", "-ac", "1", "-y", fifo});
}

QString PulseServer::loadToneSource(const QString& name, const QString& description, int frequency)
{
    // A fifo of its own each time: the one of a source unloaded before may
    // still be there, and a tone fed into it would reach nobody.
    const QString fifo =
        m_dir.path() + QStringLiteral("/%1-%2.fifo").arg(name).arg(++m_toneSources);
    const QString module =
        pactl({"load-module", "module-pipe-source", "source_name=" + name, "file=" + fifo,
               "format=float32le", "rate=" + QString::number(pipeRate), "channels=1",
               "source_properties=" + describe(description)});
    // Returned once the server lists it, with the tone flowing: PipeWire's
    // pipe source plays silence until its writer has started.
    if (!module.isEmpty() && waitUntil([&] { return QFileInfo(fifo).exists(); })) {
        const pid_t feeder = feedTone(fifo, frequency);
        m_tones[module] = {feeder, keepReading(name)};
        if (!waitUntil(
                [&] { return bytesWritten(feeder) >= qint64(pipeRate * sizeof(float) / 10); }))
            return {};
    }
    // PipeWire lists the source a moment before it carries its description.
    if (!waitUntil([&] {
            const QString listed = pactl({"list", "sources"});
            return listed.contains("Name: " + name + "\n") &&
                   listed.contains("Description: " + description + "\n");
        }))
        return {};
    return module;
}

bool PulseServer::setDefault(const QString& kind, const QString& name)
{
    // PipeWire takes the choice over a moment after pactl returns.
    pactl({"set-default-" + kind, name});
    const QString line =
        QStringLiteral("Default %1%2: %3\n").arg(kind.at(0).toUpper()).arg(kind.mid(1)).arg(name);
    return waitUntil([&] { return (pactl({"info"}) + "\n").contains(line); });
}

bool PulseServer::soundsToOthers(const QString& source)
{
    QProcess reader;
    reader.start(QStringLiteral("parec"), {"--raw", "--format=float32le", "--channels=1",
                                           "--rate=" + QString::number(pipeRate),
                                           "--latency-msec=20", "--device=" + source});
    if (!reader.waitForStarted())
        return true;
    const qsizetype enough = pipeRate * qsizetype(sizeof(float)) / 5;
    QByteArray samples;
    while (samples.size() < enough && reader.waitForReadyRead(2000))
        samples += reader.readAllStandardOutput();
    reader.kill();
    reader.waitForFinished();
    // Too little to tell counts as sound.
    const auto* values = reinterpret_cast<const float*>(samples.constData());
    if (samples.size() < enough ||
        std::any_of(values, values + samples.size() / qsizetype(sizeof(float)),
                    [](float value) { return value != 0.0f; }))
        return true;
    qWarning("The test source %s went silent for every reader: its tone is not checked",
             qPrintable(source));
    return false;
}

qint64 PulseServer::bytesWritten(pid_t child)
{
    QFile io(QStringLiteral("/proc/%1/io").arg(child));
    if (!io.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("wchar:"))
            return line.mid(6).trimmed().toLongLong();
    return 0;
}

pid_t PulseServer::keepReading(const QString& source)
{
    // Read all along, as a sound card is, the source never holds the tone
    // back; streams that join get it from then on.
    return spawnChild({"parecord", "--raw", "--device=" + source, "/dev/null"});
}

void PulseServer::unloadSource(const QString& handle)
{
    pactl({"unload-module", handle});
    if (auto tone = m_tones.find(handle); tone != m_tones.end()) {
        for (pid_t& child : tone->second)
            stopChild(child);
        m_tones.erase(tone);
    }
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
    // The source throws away what it reads before the server has it running
    // for the recording: a burst written at once would lose its beginning.
    const bool running = waitUntil([] {
        const QStringList rows = pactl({"list", "short", "sources"}).split(QLatin1Char('\n'));
        return std::any_of(rows.begin(), rows.end(), [](const QString& row) {
            return row.contains(QStringLiteral("vt_quad_pipe")) &&
                   row.contains(QStringLiteral("RUNNING"));
        });
    });
    return running && writeAll(m_quadFd, interleaved, frames * 4 * sizeof(float));
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
    for (auto& [handle, children] : m_tones)
        for (pid_t& child : children)
            stopChild(child);
    m_tones.clear();
    // The helpers go in the reverse order of their start.
    for (auto helper = m_helpers.rbegin(); helper != m_helpers.rend(); ++helper)
        stopChild(*helper);
    m_helpers.clear();
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

MonoPipeFeeder::MonoPipeFeeder() : m_thread([this] { run(); }) {}

MonoPipeFeeder::~MonoPipeFeeder()
{
    m_stop = true;
    m_thread.join();
}

void MonoPipeFeeder::run()
{
    constexpr int rate = PulseServer::pipeRate;
    constexpr size_t chunk = rate / 100;
    std::vector<float> period(rate); // one second, whole periods
    for (size_t i = 0; i < period.size(); ++i)
        period[i] = 0.5f * float(std::sin(2 * M_PI * 440.0 * double(i) / rate));
    const auto begin = std::chrono::steady_clock::now();
    while (!m_stop) {
        const auto due = size_t(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count() * rate);
        for (; m_written <= due && !m_stop; m_written += chunk)
            if (!PulseServer::instance().writeMonoPipe(&period[m_written % rate], chunk))
                return;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}
