// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/PulsePlaybackStream.h"

#include <QCoreApplication>
#include <algorithm>
#include <pulse/pulseaudio.h>

namespace {
// Short enough that a seek is heard at once, long enough not to underrun.
constexpr pa_usec_t kTargetLatency = 150 * 1000;
} // namespace

PulsePlaybackStream::~PulsePlaybackStream()
{
    close();
}

void PulsePlaybackStream::streamNotify(pa_stream*, void* connection)
{
    PulseConnection::wakeCallback(connection);
}

void PulsePlaybackStream::streamRequest(pa_stream*, size_t, void* connection)
{
    PulseConnection::wakeCallback(connection);
}

void PulsePlaybackStream::drained(pa_stream*, int, void* self)
{
    auto* stream = static_cast<PulsePlaybackStream*>(self);
    stream->m_drained = true;
    stream->m_connection->wake();
}

QString PulsePlaybackStream::connect()
{
    if (m_connection && m_connection->isReady())
        return {};
    m_connection = std::make_unique<PulseConnection>();
    if (!m_connection->start()) {
        m_connection.reset();
        return QStringLiteral("Unable to start the audio output");
    }
    if (!m_connection->connect()) {
        m_connection.reset();
        return QStringLiteral("Unable to connect to the sound server");
    }
    return {};
}

QString PulsePlaybackStream::open(int rate, int channels)
{
    close();
    if (const QString error = connect(); !error.isEmpty())
        return error;
    m_rate = rate;
    m_channels = channels;
    m_interrupted = false;
    m_drained = false;
    m_writtenFrames = 0;
    m_heardFrames = 0;

    const pa_sample_spec spec{
        .format = PA_SAMPLE_FLOAT32NE,
        .rate = static_cast<uint32_t>(rate),
        .channels = static_cast<uint8_t>(channels),
    };
    pa_channel_map map;
    pa_channel_map_init_extend(&map, spec.channels, PA_CHANNEL_MAP_DEFAULT);
    const pa_buffer_attr attr{
        .maxlength = static_cast<uint32_t>(-1),
        .tlength = static_cast<uint32_t>(pa_usec_to_bytes(kTargetLatency, &spec)),
        .prebuf = static_cast<uint32_t>(-1),
        .minreq = static_cast<uint32_t>(-1),
        .fragsize = static_cast<uint32_t>(-1),
    };

    // The sound settings of the desktop list the stream by this name.
    const QByteArray name = QCoreApplication::translate("PulsePlaybackStream", "Playback").toUtf8();
    bool ok = false;
    {
        PulseConnection::Lock lock(*m_connection);
        m_stream = pa_stream_new(m_connection->context(), name.constData(), &spec, &map);
        if (m_stream) {
            PulseConnection* connection = m_connection.get();
            pa_stream_set_state_callback(m_stream, &PulsePlaybackStream::streamNotify, connection);
            pa_stream_set_write_callback(m_stream, &PulsePlaybackStream::streamRequest, connection);
            pa_stream_set_latency_update_callback(m_stream, &PulsePlaybackStream::streamNotify,
                                                  connection);
            const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_AUTO_TIMING_UPDATE |
                                                              PA_STREAM_ADJUST_LATENCY);
            if (pa_stream_connect_playback(m_stream, nullptr, &attr, flags, nullptr, nullptr) >= 0)
                ok = m_connection->waitUntil(lock, [this] {
                    const pa_stream_state_t state = pa_stream_get_state(m_stream);
                    return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
                }) && pa_stream_get_state(m_stream) == PA_STREAM_READY;
        }
    }
    if (!ok) {
        close();
        return QStringLiteral("Unable to open the audio output");
    }
    return {};
}

void PulsePlaybackStream::close()
{
    if (!m_stream)
        return;
    interrupt();
    PulseConnection::Lock lock(*m_connection);
    pa_stream_set_state_callback(m_stream, nullptr, nullptr);
    pa_stream_set_write_callback(m_stream, nullptr, nullptr);
    pa_stream_set_latency_update_callback(m_stream, nullptr, nullptr);
    if (m_timingUpdate)
        pa_operation_cancel(m_timingUpdate.get());
    m_timingUpdate.reset();
    pa_stream_disconnect(m_stream);
    pa_stream_unref(m_stream);
    m_stream = nullptr;
}

void PulsePlaybackStream::interrupt()
{
    m_interrupted = true;
    if (m_connection) {
        PulseConnection::Lock lock(*m_connection);
        m_connection->wake();
    }
}

// Mainloop locked.
bool PulsePlaybackStream::streamGone() const
{
    return m_interrupted || pa_stream_get_state(m_stream) != PA_STREAM_READY;
}

bool PulsePlaybackStream::write(const float* samples, int64_t frames)
{
    const size_t frameBytes = sizeof(float) * static_cast<size_t>(m_channels);
    size_t left = static_cast<size_t>(frames) * frameBytes;
    const auto* data = reinterpret_cast<const uint8_t*>(samples);
    const auto room = [this, frameBytes] {
        const size_t writable = pa_stream_writable_size(m_stream);
        return writable == static_cast<size_t>(-1) ? 0 : writable - writable % frameBytes;
    };
    PulseConnection::Lock lock(*m_connection);
    while (left > 0) {
        // A server that stops asking for samples is as gone as one that closed the stream.
        if (!m_connection->waitUntil(lock, [&] { return streamGone() || room() > 0; }) ||
            streamGone())
            return false;
        const size_t bytes = std::min(room(), left);
        if (pa_stream_write(m_stream, data, bytes, nullptr, 0, PA_SEEK_RELATIVE) < 0)
            return false;
        data += bytes;
        left -= bytes;
        m_writtenFrames += static_cast<int64_t>(bytes / frameBytes);
    }
    return true;
}

bool PulsePlaybackStream::drain()
{
    PulseConnection::Lock lock(*m_connection);
    m_drained = false;
    PulseOperationPtr operation(pa_stream_drain(m_stream, &PulsePlaybackStream::drained, this));
    if (!operation)
        return false;
    const bool drained =
        m_connection->waitUntil(lock, [this] { return m_drained || streamGone(); }) && m_drained;
    if (!drained)
        pa_operation_cancel(operation.get());
    return drained;
}

int64_t PulsePlaybackStream::playedFrames() const
{
    if (!m_stream)
        return 0;
    int64_t usec = 0;
    {
        PulseConnection::Lock lock(*m_connection);
        // The stream's own interpolation runs on from the moment the stream is
        // connected, even while the sink has not started to play it, and then
        // holds back to stay monotonic. So the clock is taken from the timing
        // info directly: the read index less what the sink still holds, moved
        // on by the age of the info only while the stream really plays.
        if (const pa_timing_info* info = pa_stream_get_timing_info(m_stream)) {
            const pa_sample_spec* spec = pa_stream_get_sample_spec(m_stream);
            usec = info->read_index > 0 ? static_cast<int64_t>(pa_bytes_to_usec(
                                              static_cast<uint64_t>(info->read_index), spec))
                                        : 0;
            usec -= static_cast<int64_t>(info->sink_usec);
            if (info->playing)
                usec += static_cast<int64_t>(pa_timeval_age(&info->timestamp));
        }
        if (!m_timingUpdate || pa_operation_get_state(m_timingUpdate.get()) != PA_OPERATION_RUNNING)
            m_timingUpdate.reset(pa_stream_update_timing_info(m_stream, nullptr, nullptr));
    }
    const int64_t frames = std::max<int64_t>(0, usec) * m_rate / 1000000;
    // Never back, and never ahead of what was handed over.
    int64_t heard = std::max(m_heardFrames.load(), std::min(frames, m_writtenFrames.load()));
    m_heardFrames = heard;
    return heard;
}
