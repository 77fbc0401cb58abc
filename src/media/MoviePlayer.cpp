// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/MoviePlayer.h"

#include "media/SegmentReader.h"

#include <algorithm>

namespace {
constexpr int64_t kChunkFrames = 2048;
}

MoviePlayer::MoviePlayer(std::vector<MovieSegment> segments, int rate, int channels)
    : m_segments(std::move(segments)), m_rate(rate), m_channels(channels)
{
}

MoviePlayer::~MoviePlayer()
{
    stop();
}

QString MoviePlayer::start(int64_t from)
{
    stop();
    m_from = from;
    m_stoppedAt = from;
    m_finished = false;
    const QString error = m_stream.open(m_rate, m_channels);
    if (!error.isEmpty())
        return error;
    m_started = true;
    m_thread = std::thread([this] { run(); });
    return {};
}

void MoviePlayer::stop()
{
    if (!m_started)
        return;
    m_stoppedAt = position();
    m_stream.interrupt();
    if (m_thread.joinable())
        m_thread.join();
    m_stream.close();
    m_started = false;
    m_from = m_stoppedAt;
}

int64_t MoviePlayer::position() const
{
    if (!m_started)
        return m_stoppedAt;
    if (m_finished)
        return m_from + m_stream.writtenFrames();
    return m_from + m_stream.playedFrames();
}

// Decoding thread.
void MoviePlayer::run()
{
    SegmentReader reader(m_segments, m_rate, m_channels);
    std::vector<float> buffer(static_cast<size_t>(kChunkFrames * m_channels));
    bool ok = reader.seek(m_from);
    while (ok) {
        const int64_t got = reader.read(buffer.data(), kChunkFrames);
        if (got <= 0)
            break;
        ok = m_stream.write(buffer.data(), got);
    }
    if (ok)
        m_stream.drain();
    // Also when the server went away or the file broke off: nothing more will be heard.
    m_finished = true;
}
