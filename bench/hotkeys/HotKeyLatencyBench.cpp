// SPDX-License-Identifier: GPL-3.0-or-later
// Latency from an X key press (xdotool on the fixture's Xvfb) to the
// application's startStopRecording action, through the real grab, the
// native event filter and the application's hot keys.
#include "hotkeys/AppHotKeys.h"
#include "support/XServer.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <functional>

namespace {

// Times the presses the hot keys hand on.
class TimingController
{
public:
    void press()
    {
        lastActionNs = clock.nsecsElapsed();
        ++actions;
        if (onAction)
            onAction();
    }

    QElapsedTimer clock;
    qint64 lastActionNs = 0;
    int actions = 0;
    std::function<void()> onAction;
};

TimingController* g_controller = nullptr;

// Notes when Qt hands the first key press of an iteration to the native filters.
class ArrivalProbe : public QAbstractNativeEventFilter
{
public:
    bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override
    {
        const quint8 type = *static_cast<const quint8*>(message) & 0x7F;
        if (type == 2 && arrivalNs == 0)
            arrivalNs = g_controller->clock.nsecsElapsed();
        return false;
    }
    qint64 arrivalNs = 0;
};
ArrivalProbe* g_probe = nullptr;
AppHotKeys* g_hotKeys = nullptr;

// Includes starting the xdotool process (see BM_XdotoolKeyCommandAlone); --delay 0 makes it press
// at once.
void BM_XdotoolPressToStartStopRecording(benchmark::State& state)
{
    TimingController& c = *g_controller;
    for (auto _ : state) {
        const int before = c.actions;
        g_probe->arrivalNs = 0;
        QProcess xdotool;
        const qint64 start = c.clock.nsecsElapsed();
        xdotool.start(QStringLiteral("xdotool"),
                      {QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("0"),
                       QStringLiteral("super+shift+r")});
        // The main loop sleeps until the press wakes it, as in the application.
        QEventLoop loop;
        c.onAction = [&loop] { loop.quit(); };
        QTimer::singleShot(2000, &loop, &QEventLoop::quit);
        loop.exec();
        c.onAction = nullptr;
        if (c.actions == before) {
            state.SkipWithError("the press did not arrive");
            break;
        }
        state.SetIterationTime(double(c.lastActionNs - start) / 1e9);
        // The part inside VoiceTray: from Qt handing over the X event to the action.
        state.counters["in_process_us"] = double(c.lastActionNs - g_probe->arrivalNs) / 1e3;
        xdotool.waitForFinished();
        // Let the release settle before the next press.
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 60)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}
BENCHMARK(BM_XdotoolPressToStartStopRecording)
    ->Iterations(1)
    ->Repetitions(50)
    ->ReportAggregatesOnly(true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The cost of xdotool alone: starting it and running the same key command
// while nothing is grabbed, until it exits.
void BM_XdotoolKeyCommandAlone(benchmark::State& state)
{
    g_hotKeys->setUseHotKeys(false);
    for (auto _ : state) {
        QProcess xdotool;
        QElapsedTimer clock;
        clock.start();
        xdotool.start(QStringLiteral("xdotool"),
                      {QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("0"),
                       QStringLiteral("super+shift+r")});
        xdotool.waitForFinished();
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
    g_hotKeys->setUseHotKeys(true);
}
BENCHMARK(BM_XdotoolKeyCommandAlone)
    ->Iterations(1)
    ->Repetitions(50)
    ->ReportAggregatesOnly(true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    XServer& x = XServer::instance();
    if (!x.isRunning())
        return 1;
    x.run(QStringLiteral("setxkbmap"), {QStringLiteral("us")});
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    TimingController controller;
    controller.clock.start();
    g_controller = &controller;
    AppHotKeys hotKeys;
    g_hotKeys = &hotKeys;
    QObject::connect(&hotKeys, &AppHotKeys::pressed, [&controller] { controller.press(); });
    hotKeys.setupHotKeys(true);
    if (hotKeys.recordKeysText().isEmpty())
        return 1;
    ArrivalProbe probe;
    g_probe = &probe;
    app.installNativeEventFilter(&probe);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    hotKeys.release();
    return 0;
}
