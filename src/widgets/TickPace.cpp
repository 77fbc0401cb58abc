// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/TickPace.h"

#include <QTimer>

void TickPace::set(QTimer& timer, int shownIntervalMs, bool shown)
{
    // A very coarse timer fires on the whole second of the monotonic clock,
    // whenever it was started.
    const Qt::TimerType type = shown ? Qt::CoarseTimer : Qt::VeryCoarseTimer;
    const int interval = shown ? shownIntervalMs : kHiddenIntervalMs;
    if (timer.isActive() && timer.timerType() == type && timer.interval() == interval)
        return;
    timer.setTimerType(type);
    timer.start(interval);
}
