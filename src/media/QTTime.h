// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// A position or a length in a movie: timeValue units of 1/timeScale second.
// For an audio file the time scale is its sample rate.
struct QTTime
{
    int64_t timeValue = 0;
    int32_t timeScale = 1;
    int32_t flags = 0;
};

struct QTTimeRange
{
    QTTime time;
    QTTime duration;
};

QTTime QTMakeTime(int64_t timeValue, int32_t timeScale);
QTTimeRange QTMakeTimeRange(QTTime time, QTTime duration);

// The same instant expressed in another time scale, rounded to the nearest unit.
QTTime QTMakeTimeScaled(QTTime time, int32_t timeScale);

// -1, 0 or 1 as a lies before, at or after b; works across time scales.
int QTTimeCompare(QTTime a, QTTime b);

// Seconds as a double; 0 for a time scale of 0.
double QTTimeInSeconds(QTTime time);

bool operator==(QTTime a, QTTime b);
bool operator<(QTTime a, QTTime b);
