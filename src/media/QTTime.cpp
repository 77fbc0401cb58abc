// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/QTTime.h"

extern "C" {
#include <libavutil/mathematics.h>
}

QTTime QTMakeTime(int64_t timeValue, int32_t timeScale)
{
    return QTTime{timeValue, timeScale, 0};
}

QTTimeRange QTMakeTimeRange(QTTime time, QTTime duration)
{
    return QTTimeRange{time, duration};
}

QTTime QTMakeTimeScaled(QTTime time, int32_t timeScale)
{
    if (time.timeScale <= 0 || timeScale <= 0)
        return QTMakeTime(0, timeScale);
    if (time.timeScale == timeScale)
        return time;
    return QTMakeTime(av_rescale(time.timeValue, timeScale, time.timeScale), timeScale);
}

int QTTimeCompare(QTTime a, QTTime b)
{
    if (a.timeScale <= 0 || b.timeScale <= 0)
        return a.timeValue < b.timeValue ? -1 : (a.timeValue > b.timeValue ? 1 : 0);
    // av_compare_ts multiplies in 128 bits, so large values do not overflow.
    return av_compare_ts(a.timeValue, AVRational{1, a.timeScale}, b.timeValue,
                         AVRational{1, b.timeScale});
}

double QTTimeInSeconds(QTTime time)
{
    if (time.timeScale == 0)
        return 0.0;
    return static_cast<double>(time.timeValue) / time.timeScale;
}

bool operator==(QTTime a, QTTime b)
{
    return QTTimeCompare(a, b) == 0;
}

bool operator<(QTTime a, QTTime b)
{
    return QTTimeCompare(a, b) < 0;
}
