// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// A position or a length in a movie: timeValue units of 1/timeScale second.
// For an audio file the time scale is its sample rate.
struct MediaTime
{
    int64_t timeValue = 0;
    int32_t timeScale = 1;
    int32_t flags = 0;
};

struct MediaTimeRange
{
    MediaTime time;
    MediaTime duration;
};

MediaTime makeMediaTime(int64_t timeValue, int32_t timeScale);
MediaTimeRange makeMediaTimeRange(MediaTime time, MediaTime duration);

// The same instant expressed in another time scale, rounded to the nearest unit.
MediaTime makeMediaTimeScaled(MediaTime time, int32_t timeScale);

// -1, 0 or 1 as a lies before, at or after b; works across time scales.
int compareMediaTimes(MediaTime a, MediaTime b);

// Seconds as a double; 0 for a time scale of 0.
double secondsOf(MediaTime time);

bool operator==(MediaTime a, MediaTime b);
bool operator<(MediaTime a, MediaTime b);
