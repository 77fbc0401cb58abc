// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/PlaybackFixture.h"

#include "playback/RecNavigController.h"
#include "playback/RecNavigatorView.h"
#include "playback/SliderWithNotes.h"
#include "playback/TimeView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>

PlaybackArea::PlaybackArea()
    : strip(new RecNavigatorView(&window)), slider(new SliderWithNotes(strip)),
      timeView(new TimeView(&window)), controller(std::make_unique<RecNavigController>())
{
    window.setGeometry(300, 300, 260, 110);
    strip->setGeometry(5, 5, 235, 50);
    slider->setGeometry(kSliderX, kSliderY, kSliderWidth, 20);
    timeView->setGeometry(5, 60, 235, 32);
    delegate.mainWindow = &window;

    strip->setAppDelegate(&delegate);
    strip->setRecNavigController(controller.get());
    strip->setRecSlider(slider);
    timeView->setAppDelegate(&delegate);
    controller->setAppDelegate(&delegate);
    controller->setRecNavigatorView(strip);
    controller->setRecSlider(slider);
    controller->setTimeView(timeView);
}

PlaybackArea::~PlaybackArea()
{
    strip->hideNote();
    controller.reset();
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < timeoutMs)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    return condition();
}

void spin(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

QString ToneFiles::make(const QString& name, double seconds)
{
    const QString file = path(name);
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {"-v", "error", "-y", "-f", "lavfi", "-i",
                  QStringLiteral("sine=frequency=440:sample_rate=44100:duration=%1").arg(seconds),
                  "-ac", "2", "-c:a", "aac", "-b:a", "64k", file});
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0)
        return QString();
    return file;
}
