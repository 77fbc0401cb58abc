// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cmath>
#include <vector>

// Lets the recorder's queued notices run while a test waits.
inline void spinFor(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(5);
    }
}

// A sine of the given frequency and amplitude, starting at phase 0.
inline std::vector<float> tone(size_t frames, double frequency, float amplitude, int rate)
{
    std::vector<float> samples(frames);
    for (size_t i = 0; i < frames; ++i)
        samples[i] =
            amplitude *
            static_cast<float>(std::sin(2.0 * M_PI * frequency * static_cast<double>(i) / rate));
    return samples;
}
