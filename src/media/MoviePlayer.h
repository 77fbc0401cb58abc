// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "media/MediaInfo.h"
#include "media/PulsePlaybackStream.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

// Plays a list of segments through PulseAudio. A decoding thread feeds the
// stream; the position is taken from the stream's clock, so it is the sample
// the listener hears now, not the one last decoded.
// start(), stop() and the destructor: main thread only. The others: any thread.
class MoviePlayer
{
public:
    MoviePlayer(std::vector<MovieSegment> segments, int rate, int channels);
    ~MoviePlayer();
    MoviePlayer(const MoviePlayer&) = delete;
    MoviePlayer& operator=(const MoviePlayer&) = delete;

    // Starts playing at a position in samples; answers an error text.
    QString start(int64_t from);
    // Stops at once; position() keeps the place that was heard.
    void stop();

    // Started and not stopped, also after the end was reached.
    bool isStarted() const { return m_started; }
    // Sound is still to come: false once the last sample has been heard.
    bool isPlaying() const { return m_started && !m_finished; }
    int64_t position() const;

private:
    void run();

    std::vector<MovieSegment> m_segments;
    int m_rate;
    int m_channels;
    PulsePlaybackStream m_stream;
    std::thread m_thread;
    bool m_started = false;
    int64_t m_from = 0;
    int64_t m_stoppedAt = 0;
    std::atomic<bool> m_finished{false};
};
