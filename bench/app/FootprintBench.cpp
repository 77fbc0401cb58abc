// SPDX-License-Identifier: GPL-3.0-or-later
// The program as a user meets it: the real voicetray on the tests' X display,
// with its tray and private sound server. Times the start to the open window
// (from the exec to the window's MapNotify), weighs the program idle and while
// recording (Pss and Rss from /proc/PID/smaps_rollup, and the part of Rss in
// libraries opened after the start), and counts its CPU while it records
// from the sine source (utime + stime from /proc/PID/stat; apart from the
// whole, its encoding thread and its main thread), beside `parecord | ffmpeg`
// writing the same AAC file from the same source (apart: ffmpeg, the encoder).
// The start and the idle weight are measured on a new home's empty library
// and on one of 100,000 recordings in 2,000 categories.
// VT_BENCH_SECONDS shortens the recordings (default 60 s of CPU, 30 s
// before the recording is weighed); VT_BINARY_DIR names another build.
#include "library/FileFingerprint.h"
#include "support/PulseServer.h"
#include "support/VoiceTrayProcess.h"
#include "support/Wait.h"
#include "support/XServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cctype>
#include <functional>
#include <map>
#include <memory>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {

int seconds(int standard)
{
    bool ok = false;
    const int chosen = qEnvironmentVariableIntValue("VT_BENCH_SECONDS", &ok);
    return ok && chosen > 0 ? std::min(chosen, standard) : standard;
}

// Lets the event loop of this process run (QProcess needs it) for a while,
// asleep between events: a polling loop would hold one of the two cores that
// the program being measured and its sound server share.
void idle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// utime + stime of the process, or of one of its threads.
double cpuSeconds(qint64 pid, qint64 tid = 0)
{
    QFile file(tid ? QStringLiteral("/proc/%1/task/%2/stat").arg(pid).arg(tid)
                   : QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0.0;
    const QByteArray stat = file.readAll();
    // The fields after the command name, which may hold spaces: utime and stime are 14 and 15.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0.0;
    return double(fields[11].toLongLong() + fields[12].toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

struct Footprint
{
    double pssMb = 0.0;
    double rssMb = 0.0;
};

Footprint footprint(qint64 pid)
{
    Footprint result;
    QFile file(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return result;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() >= 2 && parts[0] == "Pss:")
            result.pssMb = parts[1].toDouble() / 1024.0;
        else if (parts.size() >= 2 && parts[0] == "Rss:")
            result.rssMb = parts[1].toDouble() / 1024.0;
    }
    return result;
}

// The shared libraries the process has mapped, by path.
QSet<QByteArray> libraries(qint64 pid)
{
    QSet<QByteArray> paths;
    QFile file(QStringLiteral("/proc/%1/maps").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return paths;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QByteArray path = line.mid(line.indexOf('/'));
        if (line.contains('/') && path.contains(".so"))
            paths.insert(path);
    }
    return paths;
}

// The resident size of the libraries mapped since `before`: what the first
// recording opened (FFmpeg, and the libraries its build links).
double openedLibrariesMb(qint64 pid, const QSet<QByteArray>& before)
{
    QFile file(QStringLiteral("/proc/%1/smaps").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0.0;
    double kb = 0.0;
    bool counted = false;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith("Rss:")) {
            if (counted)
                kb += line.simplified().split(' ').value(1).toDouble();
        } else if (!line.isEmpty() && !std::isupper(static_cast<unsigned char>(line[0]))) {
            const QByteArray path = line.mid(line.indexOf('/'));
            counted = line.contains('/') && path.contains(".so") && !before.contains(path);
        }
    }
    return kb / 1024.0;
}

// Tells when a window of the program's size is mapped on the test display:
// the top-level windows that appear are watched for their own MapNotify and
// for the window manager's frame around them.
class MapWatch
{
public:
    MapWatch() : m_connection(xcb_connect(qPrintable(XServer::instance().display()), nullptr))
    {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection);
    }
    ~MapWatch() { xcb_disconnect(m_connection); }
    MapWatch(const MapWatch&) = delete;
    MapWatch& operator=(const MapWatch&) = delete;

    bool waitForLargeWindow(int timeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        pollfd fd{xcb_get_file_descriptor(m_connection), POLLIN, 0};
        while (clock.elapsed() < timeoutMs) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                const bool mapped = handle(event);
                free(event);
                if (mapped)
                    return true;
            }
            poll(&fd, 1, 10);
        }
        return false;
    }

private:
    bool handle(xcb_generic_event_t* event)
    {
        switch (event->response_type & 0x7f) {
        case XCB_CREATE_NOTIFY: {
            const auto* created = reinterpret_cast<xcb_create_notify_event_t*>(event);
            m_sizes[created->window] = {created->width, created->height};
            const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
            xcb_change_window_attributes(m_connection, created->window, XCB_CW_EVENT_MASK, &mask);
            xcb_flush(m_connection);
            return false;
        }
        case XCB_CONFIGURE_NOTIFY: {
            const auto* configured = reinterpret_cast<xcb_configure_notify_event_t*>(event);
            m_sizes[configured->window] = {configured->width, configured->height};
            return false;
        }
        case XCB_MAP_NOTIFY: {
            const auto size =
                m_sizes.find(reinterpret_cast<xcb_map_notify_event_t*>(event)->window);
            return size != m_sizes.end() && size->second.first > 300 && size->second.second > 400;
        }
        default:
            return false;
        }
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_root = 0;
    std::map<xcb_window_t, std::pair<int, int>> m_sizes;
};

// A library of the given number of recordings, 50 to a category with 5 marks
// each, as the program saves it with their fingerprints, and an empty file
// for each: made once and
// shared by the starts. Empty for none, the new home's own output folder.
QString libraryOf(int recordings)
{
    static std::map<int, std::unique_ptr<QTemporaryDir>> made;
    if (recordings == 0)
        return {};
    std::unique_ptr<QTemporaryDir>& dir = made[recordings];
    if (dir)
        return dir->path();
    dir = std::make_unique<QTemporaryDir>();
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Recordings>";
    // Every file is empty, and so has the same fingerprint.
    const QString empty = dir->path() + "/empty";
    QFile(empty).open(QIODevice::WriteOnly);
    const QByteArray print = FileFingerprint::of(empty).toUtf8();
    QFile::remove(empty);
    int id = 0;
    for (int c = 0; c < recordings / 50; ++c) {
        const QByteArray category = "Category " + QByteArray::number(c);
        QDir().mkpath(dir->path() + "/" + category);
        xml += "\n  <Group ID=\"" + QByteArray::number(id++) + "\" Title=\"" + category +
               "\" Expanded=\"true\" Description=\"\">";
        for (int i = 0; i < 50; ++i) {
            const QByteArray title = "Untitled " + QByteArray::number(i);
            QFile(dir->path() + "/" + category + "/" + title + ".m4a").open(QIODevice::WriteOnly);
            xml += "\n    <Item ID=\"" + QByteArray::number(id++) + "\" Title=\"" + title +
                   "\" Description=\"A meeting about the quarterly figures\" "
                   "CreateDate=\"2026-12-08 10:15:00\" Duration=\"" +
                   QByteArray::number(61.5 + i) + "\" Fingerprint=\"" + print + "\">";
            for (int m = 0; m < 5; ++m)
                xml += "\n      <Mark Offset=\"" + QByteArray::number(m * 10.5) + "\" ID=\"" +
                       QByteArray::number(m) + "\" Description=\"note text at this mark\"/>";
            xml += "\n    </Item>";
        }
        xml += "\n  </Group>";
    }
    xml += "\n</Recordings>\n";
    QFile db(dir->path() + "/RecordingsDB.xml");
    if (!db.open(QIODevice::WriteOnly) || db.write(xml) != xml.size())
        return {};
    db.close();
    // Made before the clock starts, and on the disk as at any start.
    sync();
    return dir->path();
}

// The program on the library of state.range(0) recordings.
void useLibrary(VoiceTrayProcess& app, const benchmark::State& state)
{
    const QString folder = libraryOf(int(state.range(0)));
    if (!folder.isEmpty())
        app.setSetting("OutputFolder", folder);
}

// The program started with its pop-up put away by a click on the tray icon.
bool startHidden(VoiceTrayProcess& app)
{
    if (!app.start())
        return false;
    const QPoint icon = app.trayIconFrame().center();
    XServer::instance().xdotool(
        {"mousemove", QString::number(icon.x()), QString::number(icon.y()), "click", "1"});
    return waitUntil([&app] { return app.popupFrame().isNull(); });
}

void BM_Start_VoiceTray(benchmark::State& state)
{
    for (auto _ : state) {
        VoiceTrayProcess app;
        useLibrary(app, state);
        MapWatch watch;
        QElapsedTimer clock;
        clock.start();
        const bool mapped = app.start({"--show"}, false) && watch.waitForLargeWindow(10000);
        state.SetIterationTime(double(clock.nsecsElapsed()) * 1e-9);
        // The CPU the program spent to get there carries less of a busy machine's noise.
        state.counters["cpu_s"] = cpuSeconds(app.processId());
        if (!mapped)
            state.SkipWithError("no window was mapped");
    }
}
BENCHMARK(BM_Start_VoiceTray)
    ->ArgName("recordings")
    ->Arg(0)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

void weigh(benchmark::State& state, bool recording)
{
    for (auto _ : state) {
        VoiceTrayProcess app;
        if (!recording)
            useLibrary(app, state);
        if (!startHidden(app)) {
            state.SkipWithError("the program did not start");
            return;
        }
        const QSet<QByteArray> atRest = libraries(app.processId());
        if (recording && app.run({"--record"}) != 0) {
            state.SkipWithError("the recording did not start");
            return;
        }
        idle(recording ? seconds(30) * 1000 : 5000);
        const Footprint weight = footprint(app.processId());
        state.counters["pss_mb"] = weight.pssMb;
        state.counters["rss_mb"] = weight.rssMb;
        state.counters["opened_mb"] = openedLibrariesMb(app.processId(), atRest);
    }
}

void BM_MemoryIdle_VoiceTray(benchmark::State& state)
{
    weigh(state, false);
}
BENCHMARK(BM_MemoryIdle_VoiceTray)
    ->ArgName("recordings")
    ->Arg(0)
    ->Arg(100000)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

void BM_MemoryRecording_VoiceTray(benchmark::State& state)
{
    weigh(state, true);
}
BENCHMARK(BM_MemoryRecording_VoiceTray)->Iterations(1)->Unit(benchmark::kSecond);

// CPU seconds of the process's thread with the given name; 0 without one.
double threadCpuSeconds(qint64 pid, const QByteArray& name)
{
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString& tid : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks + "/" + tid + "/comm");
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == name)
            return cpuSeconds(pid, tid.toLongLong());
    }
    return 0.0;
}

// The share of one core that each part uses over the recording, after two
// seconds for the recording to settle: "core" is the whole of the processes,
// the other parts a process or a thread of them.
using CpuParts = std::map<std::string, std::function<double()>>;

void countCpu(benchmark::State& state, const CpuParts& parts)
{
    idle(2000);
    std::map<std::string, double> before;
    for (const auto& [name, seconds] : parts)
        before[name] = seconds();
    QElapsedTimer clock;
    clock.start();
    idle(seconds(60) * 1000);
    const double elapsed = double(clock.elapsed()) / 1000.0;
    for (const auto& [name, seconds] : parts) {
        const double used = seconds() - before[name];
        state.counters[name + "_pct"] = used / elapsed * 100.0;
        if (name == "core")
            state.counters["cpu_s"] = used;
    }
}

void recordingCpu(benchmark::State& state, bool windowOpen)
{
    for (auto _ : state) {
        VoiceTrayProcess app;
        if (!(windowOpen ? app.start() : startHidden(app)) || app.run({"--record"}) != 0) {
            state.SkipWithError("the program did not start");
            return;
        }
        const qint64 pid = app.processId();
        countCpu(state, {{"core", [pid] { return cpuSeconds(pid); }},
                         {"encoder", [pid] { return threadCpuSeconds(pid, "aac-writer"); }},
                         {"main", [pid] { return cpuSeconds(pid, pid); }}});
    }
}

void BM_RecordingCpu_VoiceTray(benchmark::State& state)
{
    recordingCpu(state, false);
}
BENCHMARK(BM_RecordingCpu_VoiceTray)->Iterations(1)->Unit(benchmark::kSecond);

void BM_RecordingCpu_VoiceTrayWindowOpen(benchmark::State& state)
{
    recordingCpu(state, true);
}
BENCHMARK(BM_RecordingCpu_VoiceTrayWindowOpen)->Iterations(1)->Unit(benchmark::kSecond);

// The default source into the AAC file that VoiceTray writes by default:
// 22050 Hz stereo at 66 kbit/s, in fragments of a second.
void BM_RecordingCpu_FfmpegParecord(benchmark::State& state)
{
    for (auto _ : state) {
        QTemporaryDir dir;
        QProcess capture;
        QProcess encoder;
        capture.setStandardOutputProcess(&encoder);
        encoder.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        capture.start("parecord", {"--raw", "--format=float32le", "--rate=44100", "--channels=1"});
        encoder.start("ffmpeg", {"-v",
                                 "error",
                                 "-f",
                                 "f32le",
                                 "-ar",
                                 "44100",
                                 "-ac",
                                 "1",
                                 "-i",
                                 "-",
                                 "-ar",
                                 "22050",
                                 "-ac",
                                 "2",
                                 "-c:a",
                                 "aac",
                                 "-b:a",
                                 "66k",
                                 "-movflags",
                                 "empty_moov+default_base_moof",
                                 "-frag_duration",
                                 "1000000",
                                 "-flush_packets",
                                 "1",
                                 dir.filePath("out.m4a")});
        if (!capture.waitForStarted() || !encoder.waitForStarted()) {
            state.SkipWithError("parecord or ffmpeg did not start");
            return;
        }
        const qint64 capturing = capture.processId();
        const qint64 encoding = encoder.processId();
        countCpu(state, {{"core", [=] { return cpuSeconds(capturing) + cpuSeconds(encoding); }},
                         {"encoder", [=] { return cpuSeconds(encoding); }}});
        capture.terminate();
        capture.waitForFinished();
        encoder.waitForFinished();
    }
}
BENCHMARK(BM_RecordingCpu_FfmpegParecord)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv)
{
    // Another build of the program may be weighed against this one.
    if (!qEnvironmentVariableIsSet("VT_BINARY_DIR"))
        qputenv("VT_BINARY_DIR", VT_BINARY_DIR);
    if (!XServer::instance().isRunning() || !XServer::instance().startTray() ||
        !PulseServer::instance().isRunning()) {
        fprintf(stderr, "the test display, its tray or the sound server did not start\n");
        return 1;
    }
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
