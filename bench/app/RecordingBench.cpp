// SPDX-License-Identifier: GPL-3.0-or-later
// The hot path of a recording, through the whole program and
// the private sound server: from the press to the first captured buffer
// written, and from the stop to a playable, measured file.
#include "app/PreferencesController.h"
#include "app/VoiceTrayApp.h"
#include "audio/RecorderEngine.h"
#include "library/Library.h"
#include "media/AudioFile.h"
#include "session/RecordingSession.h"
#include "shell/WindowController.h"
#include "support/PulseServer.h"
#include "widgets/Messages.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

WindowController* g_window = nullptr;
RecordingSession* g_session = nullptr;
Library* g_library = nullptr;
PreferencesController* g_prefs = nullptr;

void BM_StartToFirstBuffer(benchmark::State& state)
{
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        g_window->toggleRecording(false);
        while (g_session->engine().currSeconds() <= 0.0 && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        state.SetIterationTime(clock.nsecsElapsed() * 1e-9);
        g_window->toggleRecording(false);
    }
}
BENCHMARK(BM_StartToFirstBuffer)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(20)
    ->ReportAggregatesOnly(true);

void BM_StopToMeasuredFile(benchmark::State& state)
{
    for (auto _ : state) {
        g_window->toggleRecording(false);
        const QString file = g_session->engine().outputFilePath();
        QElapsedTimer wait;
        wait.start();
        while (wait.elapsed() < 300)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QElapsedTimer clock;
        clock.start();
        g_window->toggleRecording(false);
        const double seconds = AudioFile::fileDuration(file);
        state.SetIterationTime(clock.nsecsElapsed() * 1e-9);
        if (seconds <= 0)
            state.SkipWithError("the file did not play");
    }
}
BENCHMARK(BM_StopToMeasuredFile)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(20)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    PulseServer& server = PulseServer::instance();
    QApplication app(argc, argv);
    QApplication::setOrganizationName("VoiceTray");
    QApplication::setApplicationName("VoiceTray");
    setMessagePresenter([](const QString& text) { fprintf(stderr, "%s\n", qPrintable(text)); });
    VoiceTrayApp voiceTray;
    voiceTray.settings().setOutputFolder(home.path() + "/rec");
    voiceTray.settings().setInputDevice(server.sineSourceDescription());
    voiceTray.start();
    g_window = &voiceTray.window();
    g_session = &voiceTray.session();
    g_library = &voiceTray.library();
    g_prefs = &voiceTray.preferences();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    voiceTray.quit();
    return 0;
}
