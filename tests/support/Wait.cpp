// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Wait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <QTimer>

bool waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return condition();
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        // Conditions that ask another process (xdotool, ffprobe) should not run flat out.
        QThread::msleep(2);
    }
    return true;
}

namespace {

class TimerCounter : public QObject
{
public:
    explicit TimerCounter(int interval) : m_interval(interval)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    int ticks = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Timer) {
            const auto* timer = qobject_cast<QTimer*>(watched);
            if (timer && timer->interval() == m_interval)
                ++ticks;
        }
        return false;
    }

private:
    int m_interval;
};

} // namespace

bool waitForTimer(int intervalMs, int ticks, int timeoutMs)
{
    const TimerCounter counter(intervalMs);
    return waitUntil([&] { return counter.ticks >= ticks; }, timeoutMs);
}
