// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/PlaybackPool.h"

#include <QThreadPool>

QThreadPool* PlaybackPool::instance()
{
    static QThreadPool pool;
    return &pool;
}
