// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QThreadPool;

// The threads that measure a chosen recording and decode its waveform. They
// are kept apart from Qt's global pool because Qt's own painting hands work
// to that pool and waits for it: a second-long decode there would hold the
// window's next repaint until a thread came free.
class PlaybackPool
{
public:
    static QThreadPool* instance();
};
