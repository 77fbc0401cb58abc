// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/MediaTime.h"

extern "C" {
#include <libavutil/mathematics.h>
}

MediaTime makeMediaTime(int64_t timeValue, int32_t timeScale)
{
    return MediaTime{timeValue, timeScale, 0};
}

MediaTimeRange makeMediaTimeRange(MediaTime time, MediaTime duration)
{
    return MediaTimeRange{time, duration};
}

MediaTime makeMediaTimeScaled(MediaTime time, int32_t timeScale)
{
    if (time.timeScale <= 0 || timeScale <= 0)
        return makeMediaTime(0, timeScale);
    if (time.timeScale == timeScale)
        return time;
    return makeMediaTime(av_rescale(time.timeValue, timeScale, time.timeScale), timeScale);
}

int compareMediaTimes(MediaTime a, MediaTime b)
{
    if (a.timeScale <= 0 || b.timeScale <= 0)
        return a.timeValue < b.timeValue ? -1 : (a.timeValue > b.timeValue ? 1 : 0);
    // av_compare_ts multiplies in 128 bits, so large values do not overflow.
    return av_compare_ts(a.timeValue, AVRational{1, a.timeScale}, b.timeValue,
                         AVRational{1, b.timeScale});
}

double secondsOf(MediaTime time)
{
    if (time.timeScale == 0)
        return 0.0;
    return static_cast<double>(time.timeValue) / time.timeScale;
}

bool operator==(MediaTime a, MediaTime b)
{
    return compareMediaTimes(a, b) == 0;
}

bool operator<(MediaTime a, MediaTime b)
{
    return compareMediaTimes(a, b) < 0;
}
