// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/PulseCapture.h"

#include "audio/CaptureBuffers.h"
#include "av/PulseConnection.h"

#include <QCoreApplication>
#include <algorithm>
#include <ctime>
#include <pulse/mainloop-api.h>
#include <pulse/stream.h>
#include <pulse/timeval.h>

namespace {

// A pause of the capture thread longer than this is looked at: sound the
// server could not keep meanwhile is counted as lost.
constexpr uint64_t kStallNanos = PA_NSEC_PER_SEC;
// How often the capture thread looks whether it was stalled, and how long
// after a stall it counts what arrived.
constexpr uint64_t kStallCheckNanos = 500 * PA_NSEC_PER_MSEC;
constexpr uint64_t kStallSettleNanos = 1500 * PA_NSEC_PER_MSEC;

struct CorkResult
{
    const PulseConnection* connection = nullptr;
    int success = 0;
};

void corkDone(pa_stream*, int success, void* userdata)
{
    auto* result = static_cast<CorkResult*>(userdata);
    result->success = success;
    result->connection->wake();
}

} // namespace

PulseCapture::PulseCapture(PulseConnection& connection) : m_connection(connection) {}

PulseCapture::~PulseCapture()
{
    stop();
}

uint64_t PulseCapture::monotonicNanos()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000000ULL + static_cast<uint64_t>(now.tv_nsec);
}

bool PulseCapture::createStream(const pa_sample_spec& spec, const pa_channel_map& sourceMap)
{
    if (sourceMap.channels == spec.channels)
        m_channelMap = sourceMap;
    else if (!pa_channel_map_init_auto(&m_channelMap, spec.channels, PA_CHANNEL_MAP_DEFAULT))
        return false;
    m_channels = spec.channels;
    m_rate = spec.rate;
    // The sound settings of the desktop list the stream by this name.
    const QByteArray name =
        QCoreApplication::translate("PulseCapture", "VoiceTray recording").toUtf8();
    PulseConnection::Lock lock(m_connection);
    m_stream = pa_stream_new(m_connection.context(), name.constData(), &spec, &m_channelMap);
    if (!m_stream)
        return false;
    m_lost.store(false);
    m_lostFrames.store(0);
    m_overflows.store(0);
    pa_stream_set_state_callback(m_stream, stateCallback, this);
    pa_stream_set_overflow_callback(m_stream, overflowCallback, this);
    pa_stream_set_read_callback(m_stream, readCallback, this);
    return true;
}

void PulseCapture::setBufferProc(BufferProc proc, void* context)
{
    m_proc = proc;
    m_procContext = context;
}

bool PulseCapture::connect(const QString& sourceName, uint32_t requestedFrames, bool lowLatency)
{
    if (!m_stream)
        return false;
    const QByteArray name = sourceName.toUtf8();
    const pa_buffer_attr attr{
        .maxlength = static_cast<uint32_t>(-1),
        .tlength = static_cast<uint32_t>(-1),
        .prebuf = static_cast<uint32_t>(-1),
        .minreq = static_cast<uint32_t>(-1),
        .fragsize = static_cast<uint32_t>(requestedFrames * m_channels * sizeof(float)),
    };
    PulseConnection::Lock lock(m_connection);
    const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_DONT_MOVE |
                                                      (lowLatency ? PA_STREAM_ADJUST_LATENCY : 0));
    return pa_stream_connect_record(m_stream, name.constData(), &attr, flags) >= 0;
}

bool PulseCapture::waitUntilReady()
{
    if (!m_stream)
        return false;
    PulseConnection::Lock lock(m_connection);
    m_connection.waitUntil(lock, [this] {
        const pa_stream_state_t state = pa_stream_get_state(m_stream);
        return state != PA_STREAM_CREATING && state != PA_STREAM_UNCONNECTED;
    });
    return pa_stream_get_state(m_stream) == PA_STREAM_READY;
}

uint32_t PulseCapture::fragmentFrames() const
{
    if (!m_stream || m_channels == 0)
        return 0;
    PulseConnection::Lock lock(m_connection);
    const pa_buffer_attr* attr = pa_stream_get_buffer_attr(m_stream);
    return attr ? attr->fragsize / (m_channels * static_cast<uint32_t>(sizeof(float))) : 0;
}

void PulseCapture::setBufferList(CaptureBuffers* buffers, uint32_t bufferFrames)
{
    PulseConnection::Lock lock(m_connection);
    m_buffers = buffers;
    m_bufferFrames = bufferFrames;
    m_filled = 0;
}

bool PulseCapture::cork(bool paused)
{
    if (!m_stream)
        return false;
    CorkResult result{&m_connection, 0};
    PulseConnection::Lock lock(m_connection);
    m_connection.waitFor(
        lock, PulseOperationPtr(pa_stream_cork(m_stream, paused ? 1 : 0, corkDone, &result)));
    return result.success != 0;
}

bool PulseCapture::start()
{
    if (!m_stream)
        return false;
    {
        PulseConnection::Lock lock(m_connection);
        m_lastCheckNanos = monotonicNanos();
        m_framesAtCheck = m_framesRead;
        m_stallFrom = 0;
        if (!m_stallTimer) {
            pa_mainloop_api* api = m_connection.api();
            timeval first{};
            m_stallTimer =
                api->time_new(api, pa_timeval_add(pa_gettimeofday(&first), kStallCheckNanos / 1000),
                              stallCheck, this);
        }
    }
    return cork(false);
}

void PulseCapture::stopStallCheck()
{
    if (!m_stallTimer)
        return;
    PulseConnection::Lock lock(m_connection);
    m_connection.api()->time_free(m_stallTimer);
    m_stallTimer = nullptr;
    // Ended before all that came after a stall was read: counted up to now.
    if (m_stallFrom != 0)
        countStall(monotonicNanos());
}

bool PulseCapture::stop()
{
    stopStallCheck();
    if (!m_stream)
        return true;
    // A stream that has ended takes no more requests.
    const bool corked = isLost() || cork(true);
    PulseConnection::Lock lock(m_connection);
    pa_stream_set_read_callback(m_stream, nullptr, nullptr);
    pa_stream_set_state_callback(m_stream, nullptr, nullptr);
    pa_stream_set_overflow_callback(m_stream, nullptr, nullptr);
    pa_stream_disconnect(m_stream);
    pa_stream_unref(m_stream);
    m_stream = nullptr;
    m_filled = 0;
    return corked;
}

void PulseCapture::stateCallback(pa_stream* stream, void* userdata)
{
    auto* self = static_cast<PulseCapture*>(userdata);
    // stop() removes this callback before it disconnects, so an end seen
    // here is never the program's own.
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED)
        self->m_lost.store(true, std::memory_order_relaxed);
    self->m_connection.wake();
}

void PulseCapture::overflowCallback(pa_stream*, void* userdata)
{
    static_cast<PulseCapture*>(userdata)->m_overflows.fetch_add(1, std::memory_order_relaxed);
}

void PulseCapture::stallCheck(pa_mainloop_api* api, pa_time_event* event, const timeval*,
                              void* userdata)
{
    auto* self = static_cast<PulseCapture*>(userdata);
    self->checkForStall(monotonicNanos());
    timeval next{};
    api->time_restart(event, pa_timeval_add(pa_gettimeofday(&next), kStallCheckNanos / 1000));
}

void PulseCapture::checkForStall(uint64_t now)
{
    // This thread paused. What the server kept for the stream meanwhile (and
    // what the socket held) comes at once afterwards: once that is read, the
    // sound missing from the time since the pause began is lost.
    if (m_stallFrom == 0 && now - m_lastCheckNanos > kStallNanos) {
        m_stallFrom = m_lastCheckNanos;
        m_stallEnd = now;
        m_framesAtStall = m_framesAtCheck;
    }
    if (m_stallFrom != 0 && now - m_stallEnd >= kStallSettleNanos)
        countStall(now);
    m_lastCheckNanos = now;
    m_framesAtCheck = m_framesRead;
}

void PulseCapture::countStall(uint64_t now)
{
    const uint64_t expected = (now - m_stallFrom) * m_rate / PA_NSEC_PER_SEC;
    const uint64_t read = m_framesRead - m_framesAtStall;
    if (expected > read)
        m_lostFrames.fetch_add(expected - read, std::memory_order_relaxed);
    m_stallFrom = 0;
}

void PulseCapture::readCallback(pa_stream* stream, size_t, void* userdata)
{
    auto* self = static_cast<PulseCapture*>(userdata);
    const void* data = nullptr;
    size_t bytes = 0;
    while (pa_stream_readable_size(stream) > 0 && pa_stream_peek(stream, &data, &bytes) == 0) {
        if (bytes == 0)
            break;
        const size_t frames = bytes / (self->m_channels * sizeof(float));
        // A hole carries no samples: the server had none for that stretch.
        self->m_framesRead += frames;
        if (data)
            self->consume(static_cast<const float*>(data), frames);
        else
            self->m_lostFrames.fetch_add(frames, std::memory_order_relaxed);
        pa_stream_drop(stream);
    }
}

void PulseCapture::consume(const float* interleaved, size_t frames)
{
    if (!m_buffers || m_bufferFrames == 0 || !m_proc)
        return;
    const uint32_t channels = std::min(m_channels, m_buffers->numberBuffers());
    while (frames > 0) {
        const size_t take = std::min<size_t>(frames, m_bufferFrames - m_filled);
        for (uint32_t c = 0; c < channels; ++c) {
            float* out = m_buffers->data(c) + m_filled;
            const float* in = interleaved + c;
            for (size_t i = 0; i < take; ++i)
                out[i] = in[i * m_channels];
        }
        interleaved += take * m_channels;
        frames -= take;
        m_filled += static_cast<uint32_t>(take);
        if (m_filled == m_bufferFrames) {
            m_filled = 0;
            m_proc(m_procContext, monotonicNanos(), m_bufferFrames);
        }
    }
}
