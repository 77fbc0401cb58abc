// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/PulsePlaybackStream.h"

#include <QCoreApplication>
#include <algorithm>
#include <pulse/pulseaudio.h>

namespace {
// A server that accepts the connection but never answers must not hang the caller.
constexpr int kAnswerTimeoutMs = 5000;
// Short enough that a seek is heard at once, long enough not to underrun.
constexpr pa_usec_t kTargetLatency = 150 * 1000;
} // namespace

PulsePlaybackStream::~PulsePlaybackStream()
{
    close();
    if (m_mainloop) {
        pa_threaded_mainloop_lock(m_mainloop);
        if (m_context) {
            pa_context_disconnect(m_context);
            pa_context_unref(m_context);
            m_context = nullptr;
        }
        pa_threaded_mainloop_unlock(m_mainloop);
        pa_threaded_mainloop_stop(m_mainloop);
        pa_threaded_mainloop_free(m_mainloop);
    }
}

void PulsePlaybackStream::contextState(pa_context*, void* self)
{
    pa_threaded_mainloop_signal(static_cast<PulsePlaybackStream*>(self)->m_mainloop, 0);
}

void PulsePlaybackStream::streamNotify(pa_stream*, void* self)
{
    pa_threaded_mainloop_signal(static_cast<PulsePlaybackStream*>(self)->m_mainloop, 0);
}

void PulsePlaybackStream::streamRequest(pa_stream*, size_t, void* self)
{
    pa_threaded_mainloop_signal(static_cast<PulsePlaybackStream*>(self)->m_mainloop, 0);
}

void PulsePlaybackStream::drained(pa_stream*, int, void* self)
{
    auto* stream = static_cast<PulsePlaybackStream*>(self);
    stream->m_drained = true;
    pa_threaded_mainloop_signal(stream->m_mainloop, 0);
}

bool PulsePlaybackStream::connect(QString* error)
{
    if (m_context && pa_context_get_state(m_context) == PA_CONTEXT_READY)
        return true;
    if (!m_mainloop) {
        m_mainloop = pa_threaded_mainloop_new();
        if (!m_mainloop || pa_threaded_mainloop_start(m_mainloop) < 0) {
            *error = QStringLiteral("Unable to start the audio output");
            return false;
        }
    }
    pa_threaded_mainloop_lock(m_mainloop);
    if (m_context) {
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
    }
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_mainloop), "VoiceTray");
    bool ready = false;
    if (m_context) {
        pa_context_set_state_callback(m_context, &PulsePlaybackStream::contextState, this);
        if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
            waitUntil([this] {
                return !PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context)) ||
                       pa_context_get_state(m_context) == PA_CONTEXT_READY;
            });
            ready = pa_context_get_state(m_context) == PA_CONTEXT_READY;
        }
    }
    pa_threaded_mainloop_unlock(m_mainloop);
    if (!ready)
        *error = QStringLiteral("Unable to connect to the sound server");
    return ready;
}

QString PulsePlaybackStream::open(int rate, int channels)
{
    close();
    QString error;
    if (!connect(&error))
        return error;
    m_rate = rate;
    m_channels = channels;
    m_interrupted = false;
    m_drained = false;
    m_writtenFrames = 0;
    m_heardFrames = 0;

    pa_sample_spec spec{};
    spec.format = PA_SAMPLE_FLOAT32NE;
    spec.rate = static_cast<uint32_t>(rate);
    spec.channels = static_cast<uint8_t>(channels);
    pa_channel_map map;
    pa_channel_map_init_extend(&map, spec.channels, PA_CHANNEL_MAP_DEFAULT);
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = static_cast<uint32_t>(pa_usec_to_bytes(kTargetLatency, &spec));
    attr.prebuf = static_cast<uint32_t>(-1);
    attr.minreq = static_cast<uint32_t>(-1);
    attr.fragsize = static_cast<uint32_t>(-1);

    // The sound settings of the desktop list the stream by this name.
    const QByteArray name = QCoreApplication::translate("PulsePlaybackStream", "Playback").toUtf8();
    pa_threaded_mainloop_lock(m_mainloop);
    m_stream = pa_stream_new(m_context, name.constData(), &spec, &map);
    bool ok = false;
    if (m_stream) {
        pa_stream_set_state_callback(m_stream, &PulsePlaybackStream::streamNotify, this);
        pa_stream_set_write_callback(m_stream, &PulsePlaybackStream::streamRequest, this);
        pa_stream_set_latency_update_callback(m_stream, &PulsePlaybackStream::streamNotify, this);
        const auto flags =
            static_cast<pa_stream_flags_t>(PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_ADJUST_LATENCY);
        if (pa_stream_connect_playback(m_stream, nullptr, &attr, flags, nullptr, nullptr) >= 0)
            ok = waitForStream();
    }
    pa_threaded_mainloop_unlock(m_mainloop);
    if (!ok) {
        close();
        return QStringLiteral("Unable to open the audio output");
    }
    return {};
}

bool PulsePlaybackStream::waitForStream()
{
    waitUntil([this] {
        const pa_stream_state_t state = pa_stream_get_state(m_stream);
        return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
    });
    return pa_stream_get_state(m_stream) == PA_STREAM_READY;
}

void PulsePlaybackStream::waitUntil(const std::function<bool()>& done)
{
    struct Wait
    {
        pa_threaded_mainloop* mainloop;
        bool expired;
    } wait{m_mainloop, false};
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_mainloop);
    timeval deadline{};
    pa_gettimeofday(&deadline);
    pa_timeval_add(&deadline, static_cast<pa_usec_t>(kAnswerTimeoutMs) * 1000);
    pa_time_event* timer = api->time_new(
        api, &deadline,
        [](pa_mainloop_api*, pa_time_event*, const timeval*, void* data) {
            auto* w = static_cast<Wait*>(data);
            w->expired = true;
            pa_threaded_mainloop_signal(w->mainloop, 0);
        },
        &wait);
    while (!done() && !wait.expired)
        pa_threaded_mainloop_wait(m_mainloop);
    api->time_free(timer);
}

void PulsePlaybackStream::close()
{
    if (!m_stream)
        return;
    interrupt();
    pa_threaded_mainloop_lock(m_mainloop);
    pa_stream_set_state_callback(m_stream, nullptr, nullptr);
    pa_stream_set_write_callback(m_stream, nullptr, nullptr);
    pa_stream_set_latency_update_callback(m_stream, nullptr, nullptr);
    if (m_timingUpdate) {
        pa_operation_cancel(m_timingUpdate);
        pa_operation_unref(m_timingUpdate);
        m_timingUpdate = nullptr;
    }
    pa_stream_disconnect(m_stream);
    pa_stream_unref(m_stream);
    m_stream = nullptr;
    pa_threaded_mainloop_unlock(m_mainloop);
}

void PulsePlaybackStream::interrupt()
{
    m_interrupted = true;
    if (m_mainloop) {
        pa_threaded_mainloop_lock(m_mainloop);
        pa_threaded_mainloop_signal(m_mainloop, 0);
        pa_threaded_mainloop_unlock(m_mainloop);
    }
}

bool PulsePlaybackStream::write(const float* samples, int64_t frames)
{
    const size_t frameBytes = sizeof(float) * static_cast<size_t>(m_channels);
    size_t left = static_cast<size_t>(frames) * frameBytes;
    const auto* data = reinterpret_cast<const uint8_t*>(samples);
    pa_threaded_mainloop_lock(m_mainloop);
    bool ok = true;
    while (left > 0) {
        if (m_interrupted || pa_stream_get_state(m_stream) != PA_STREAM_READY) {
            ok = false;
            break;
        }
        size_t room = pa_stream_writable_size(m_stream);
        room -= room % frameBytes;
        if (room == 0 || room == static_cast<size_t>(-1)) {
            pa_threaded_mainloop_wait(m_mainloop);
            continue;
        }
        const size_t bytes = std::min(room, left);
        if (pa_stream_write(m_stream, data, bytes, nullptr, 0, PA_SEEK_RELATIVE) < 0) {
            ok = false;
            break;
        }
        data += bytes;
        left -= bytes;
        m_writtenFrames += static_cast<int64_t>(bytes / frameBytes);
    }
    pa_threaded_mainloop_unlock(m_mainloop);
    return ok;
}

bool PulsePlaybackStream::drain()
{
    pa_threaded_mainloop_lock(m_mainloop);
    m_drained = false;
    pa_operation* operation = pa_stream_drain(m_stream, &PulsePlaybackStream::drained, this);
    bool ok = operation != nullptr;
    while (ok && !m_drained) {
        if (m_interrupted || pa_stream_get_state(m_stream) != PA_STREAM_READY) {
            ok = false;
            break;
        }
        pa_threaded_mainloop_wait(m_mainloop);
    }
    if (operation) {
        if (!m_drained)
            pa_operation_cancel(operation);
        pa_operation_unref(operation);
    }
    pa_threaded_mainloop_unlock(m_mainloop);
    return ok;
}

int64_t PulsePlaybackStream::playedFrames() const
{
    if (!m_stream)
        return 0;
    int64_t usec = 0;
    pa_threaded_mainloop_lock(m_mainloop);
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
    if (!m_timingUpdate || pa_operation_get_state(m_timingUpdate) != PA_OPERATION_RUNNING) {
        if (m_timingUpdate)
            pa_operation_unref(m_timingUpdate);
        m_timingUpdate = pa_stream_update_timing_info(m_stream, nullptr, nullptr);
    }
    pa_threaded_mainloop_unlock(m_mainloop);
    const int64_t frames = std::max<int64_t>(0, usec) * m_rate / 1000000;
    // Never back, and never ahead of what was handed over.
    int64_t heard = std::max(m_heardFrames.load(), std::min(frames, m_writtenFrames.load()));
    m_heardFrames = heard;
    return heard;
}
