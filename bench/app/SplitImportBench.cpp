// SPDX-License-Identifier: GPL-3.0-or-later
// Splitting a one-hour recording at 20 marks, and importing a folder of 100
// one-minute MP3 files, through the whole program; each against
// the same work done by the ffmpeg command in a shell loop. And how long the
// main thread stops when a three-hour recording is chosen in the outline.
#include "app/PreferencesController.h"
#include "app/VoiceTrayApp.h"
#include "library/Library.h"
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "media/HeapTuning.h"
#include "outline/RecOutlineController.h"
#include "playback/RecNavigController.h"
#include "playback/RecNavigatorView.h"
#include "session/RecordingSession.h"
#include "shell/WindowController.h"
#include "widgets/Messages.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace {

QString g_work;
WindowController* g_window = nullptr;
RecordingSession* g_session = nullptr;
Library* g_library = nullptr;
PreferencesController* g_prefs = nullptr;
constexpr int kMarks = 20;
constexpr int kFiles = 100;

bool run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(-1) && p.exitCode() == 0;
}

bool sh(const QString& script)
{
    return run("sh", {"-c", script});
}

bool makeInputs()
{
    const QString tone = "sine=frequency=440:sample_rate=44100:duration=%1";
    if (!run("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", tone.arg(3600), "-ac", "2",
                        "-c:a", "aac", g_work + "/hour.m4a"}))
        return false;
    QDir().mkpath(g_work + "/mp3");
    if (!run("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", tone.arg(60), "-ac", "2", "-c:a",
                        "libmp3lame", g_work + "/minute.mp3"}))
        return false;
    for (int i = 0; i < kFiles; ++i)
        if (!QFile::copy(g_work + "/minute.mp3",
                         g_work + QString("/mp3/Track %1.mp3").arg(i, 3, 10, QChar('0'))))
            return false;
    return true;
}

// Every run starts with an empty library in a folder of its own.
QString freshLibrary(const QString& name)
{
    static int run = 0;
    const QString folder = g_work + "/" + name + QString::number(++run);
    QDir().mkpath(folder);
    g_prefs->outputFolderChanged(folder);
    return folder;
}

double markAt(int i)
{
    return 3600.0 * (i + 1) / (kMarks + 1) + 0.37;
}

void SplitHourAt20Marks_VoiceTray(benchmark::State& state)
{
    for (auto _ : state) {
        const QString library = freshLibrary("split");
        QFile::copy(g_work + "/hour.m4a", library + "/Hour.m4a");
        RecOutlineController* outline = g_window->outlineController();
        auto owned = g_library->newRecording();
        RecItem* item = owned.get();
        item->setTitle("Hour");
        g_library->add(std::move(owned), g_library->root());
        for (int i = 0; i < kMarks; ++i)
            item->addMarkAtTime(static_cast<float>(markAt(i)), QString("Mark %1").arg(i), i);
        outline->selectItem(item);
        QElapsedTimer clock;
        clock.start();
        g_window->split();
        state.SetIterationTime(clock.nsecsElapsed() * 1e-9);
        if (outline->mainGroup()->subItems().size() != kMarks + 2)
            state.SkipWithError("the split did not make every piece");
    }
}
BENCHMARK(SplitHourAt20Marks_VoiceTray)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);

void SplitHourAt20Marks_FfmpegLoop(benchmark::State& state)
{
    QString script =
        "cd '" + g_work + "' && rm -rf loop && mkdir loop && prev=0 && i=1 && for t in";
    for (int i = 0; i < kMarks; ++i)
        script += " " + QString::number(markAt(i), 'f', 2);
    script += "; do ffmpeg -v error -y -ss $prev -to $t -i hour.m4a -c copy \"loop/Hour $i.m4a\" "
              "|| exit 1;"
              " prev=$t; i=$((i+1)); done;"
              " ffmpeg -v error -y -ss $prev -i hour.m4a -c copy \"loop/Hour $i.m4a\"";
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        const bool ok = sh(script);
        state.SetIterationTime(clock.nsecsElapsed() * 1e-9);
        if (!ok)
            state.SkipWithError("ffmpeg failed");
    }
}
BENCHMARK(SplitHourAt20Marks_FfmpegLoop)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);

void Import100Mp3_VoiceTray(benchmark::State& state)
{
    for (auto _ : state) {
        freshLibrary("import");
        QElapsedTimer clock;
        clock.start();
        g_window->importFiles({g_work + "/mp3"}, nullptr, true);
        // Sleeps until the worker reports, as the application's own loop does.
        while (!g_library->pendingImports().isEmpty())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        state.SetIterationTime(clock.nsecsElapsed() * 1e-9);
        if (QDir(g_library->folder() + "/mp3").entryList({"*.m4a"}).size() != kFiles)
            state.SkipWithError("not every file was converted");
    }
}
BENCHMARK(Import100Mp3_VoiceTray)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(2);

void Import100Mp3_FfmpegLoop(benchmark::State& state)
{
    const QString script = "cd '" + g_work +
                           "' && rm -rf loopimport && mkdir loopimport && for f in mp3/*.mp3;"
                           " do b=$(basename \"$f\" .mp3); ffmpeg -v error -y -i \"$f\" -c:a aac"
                           " \"loopimport/$b.m4a\" || exit 1; done";
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        const bool ok = sh(script);
        state.SetIterationTime(clock.nsecsElapsed() * 1e-9);
        if (!ok)
            state.SkipWithError("ffmpeg failed");
    }
}
BENCHMARK(Import100Mp3_FfmpegLoop)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(2);

double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec * 1e-9;
}

// A three-hour recording as the recorder writes it (a fragment a second),
// kept in $VT_BENCH_DATA between runs as the media benchmark keeps it.
QString threeHourRecording()
{
    const char* data = std::getenv("VT_BENCH_DATA");
    const QString folder = data ? QString::fromLocal8Bit(data) : "/tmp/voicetray-bench-media";
    const QString path = folder + "/engine-10800s.m4a";
    if (QFile::exists(path))
        return path;
    QDir().mkpath(folder);
    const QString partial = path + ".part.m4a";
    if (!run("ffmpeg",
             {"-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=10800", "-ac",
              "1", "-c:a", "aac", "-movflags", "+frag_keyframe+empty_moov+default_base_moof",
              "-frag_duration", "1000000", partial}) ||
        !QFile::rename(partial, path))
        return {};
    return path;
}

// The longest time the main thread does not come back to its event loop,
// from choosing the recording until its movie is open and its waveform
// shown, seen by a timer that asks to run every millisecond.
void ChooseThreeHourRecording_VoiceTray(benchmark::State& state)
{
    const QString source = threeHourRecording();
    if (source.isEmpty()) {
        state.SkipWithError("no input");
        return;
    }
    for (auto _ : state) {
        const QString library = freshLibrary("choose");
        QFile::copy(source, library + "/Long.m4a");
        RecOutlineController* outline = g_window->outlineController();
        auto owned = g_library->newRecording();
        RecItem* item = owned.get();
        item->setTitle("Long");
        item->setDuration(10800);
        g_library->add(std::move(owned), g_library->root());
        outline->deselectAll();
        QCoreApplication::processEvents();
        // The copy above and the imports before leave the disk a backlog,
        // which a save of the library (the stored length is corrected when
        // the file is measured) would otherwise wait behind.
        sync();

        QElapsedTimer clock;
        clock.start();
        qint64 last = 0;
        qint64 longest = 0;
        // The same in the main thread's own CPU time, which the load of the
        // machine does not stretch.
        double lastCpu = threadCpuSeconds();
        double longestCpu = 0;
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            longest = std::max(longest, now - last);
            last = now;
            const double cpu = threadCpuSeconds();
            longestCpu = std::max(longestCpu, cpu - lastCpu);
            lastCpu = cpu;
        });
        probe.start(1);
        QTimer::singleShot(5, [&] { outline->selectItem(item); });
        RecNavigController* player = g_window->recNavigController();
        const auto done = [&] {
            return player->currentFile() == item && !player->isOpening() &&
                   !g_window->recNavigatorView()->waveformColumns(4).empty();
        };
        while (!done() && clock.elapsed() < 120000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.SetIterationTime(longest * 1e-9);
        state.counters["open_ms"] = clock.elapsed();
        state.counters["longest_cpu_ms"] = longestCpu * 1000;
        if (!done())
            state.SkipWithError("the recording did not open");
    }
}
BENCHMARK(ChooseThreeHourRecording_VoiceTray)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);

} // namespace

int main(int argc, char** argv)
{
    HeapTuning::keepLargeBlocks();
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setOrganizationName("VoiceTray");
    QApplication::setApplicationName("VoiceTray");
    setMessagePresenter(
        [](const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); });
    g_work = home.path() + "/work";
    QDir().mkpath(g_work);
    if (!makeInputs()) {
        std::fprintf(stderr, "could not make the input files with ffmpeg\n");
        return 1;
    }
    VoiceTrayApp voiceTray;
    voiceTray.settings().setOutputFolder(g_work + "/start");
    voiceTray.start();
    g_window = &voiceTray.window();
    g_session = &voiceTray.session();
    g_library = &voiceTray.library();
    g_prefs = &voiceTray.preferences();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
