// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

// How long a test waits for something the program does by itself. Generous,
// so that a failed wait means a fault and not a loaded machine.
inline constexpr int kWaitTimeoutMs = 15000;

// Processes the Qt events of this thread (when there is an application) until
// the condition holds or the time is up; answers the condition. Use it for
// everything the program does in its own time; a test never sleeps instead.
// To show that something does NOT happen, wait for a later event that would
// have come after it.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = kWaitTimeoutMs);

// Processes events until timers of the interval (any QTimer of this thread,
// also one a class keeps to itself) have fired `ticks` more times; answers
// whether they did. This is how a test shows that something does NOT
// happen: it waits for the tick of the program's timer that would have done it.
bool waitForTimer(int intervalMs, int ticks = 1, int timeoutMs = kWaitTimeoutMs);
