// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QTimer;

// The pace of a timer that feeds a view: its own interval while the view
// shows, and once a second on the whole second while it does not. Every
// hidden view's timer, the tray icon's pulse and the recorder's watch then
// fire in the same wake-up of the program. Main thread only.
namespace TickPace {

constexpr int kHiddenIntervalMs = 1000;

// Starts the timer at the pace for the view; a timer already at that pace
// runs on undisturbed.
void set(QTimer& timer, int shownIntervalMs, bool shown);

} // namespace TickPace
