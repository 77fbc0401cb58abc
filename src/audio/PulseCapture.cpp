// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/PulseCapture.h"

#include "audio/KvAudioBufferList.h"

#include <pulse/operation.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <QCoreApplication>
#include <algorithm>
#include <ctime>

namespace {

struct CorkResult
{
    pa_threaded_mainloop* mainloop = nullptr;
    int success = 0;
};

void corkDone(pa_stream*, int success, void* userdata)
{
    auto* result = static_cast<CorkResult*>(userdata);
    result->success = success;
    pa_threaded_mainloop_signal(result->mainloop, 0);
}

uint64_t ffmpegChannel(pa_channel_position_t position)
{
    switch (position) {
    case PA_CHANNEL_POSITION_MONO:
    case PA_CHANNEL_POSITION_FRONT_CENTER:
        return AV_CH_FRONT_CENTER;
    case PA_CHANNEL_POSITION_FRONT_LEFT:
        return AV_CH_FRONT_LEFT;
    case PA_CHANNEL_POSITION_FRONT_RIGHT:
        return AV_CH_FRONT_RIGHT;
    case PA_CHANNEL_POSITION_REAR_CENTER:
        return AV_CH_BACK_CENTER;
    case PA_CHANNEL_POSITION_REAR_LEFT:
        return AV_CH_BACK_LEFT;
    case PA_CHANNEL_POSITION_REAR_RIGHT:
        return AV_CH_BACK_RIGHT;
    case PA_CHANNEL_POSITION_LFE:
        return AV_CH_LOW_FREQUENCY;
    case PA_CHANNEL_POSITION_FRONT_LEFT_OF_CENTER:
        return AV_CH_FRONT_LEFT_OF_CENTER;
    case PA_CHANNEL_POSITION_FRONT_RIGHT_OF_CENTER:
        return AV_CH_FRONT_RIGHT_OF_CENTER;
    case PA_CHANNEL_POSITION_SIDE_LEFT:
        return AV_CH_SIDE_LEFT;
    case PA_CHANNEL_POSITION_SIDE_RIGHT:
        return AV_CH_SIDE_RIGHT;
    case PA_CHANNEL_POSITION_TOP_CENTER:
        return AV_CH_TOP_CENTER;
    case PA_CHANNEL_POSITION_TOP_FRONT_LEFT:
        return AV_CH_TOP_FRONT_LEFT;
    case PA_CHANNEL_POSITION_TOP_FRONT_RIGHT:
        return AV_CH_TOP_FRONT_RIGHT;
    case PA_CHANNEL_POSITION_TOP_FRONT_CENTER:
        return AV_CH_TOP_FRONT_CENTER;
    case PA_CHANNEL_POSITION_TOP_REAR_LEFT:
        return AV_CH_TOP_BACK_LEFT;
    case PA_CHANNEL_POSITION_TOP_REAR_RIGHT:
        return AV_CH_TOP_BACK_RIGHT;
    case PA_CHANNEL_POSITION_TOP_REAR_CENTER:
        return AV_CH_TOP_BACK_CENTER;
    default:
        return 0;
    }
}

} // namespace

PulseCapture::PulseCapture(PulseContext& context) : m_context(context) {}

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
    // The sound settings of the desktop list the stream by this name.
    const QByteArray name =
        QCoreApplication::translate("PulseCapture", "VoiceTray recording").toUtf8();
    pa_threaded_mainloop_lock(m_context.mainloop());
    m_stream = pa_stream_new(m_context.context(), name.constData(), &spec, &m_channelMap);
    if (m_stream) {
        pa_stream_set_state_callback(m_stream, stateCallback, this);
        pa_stream_set_read_callback(m_stream, readCallback, this);
    }
    pa_threaded_mainloop_unlock(m_context.mainloop());
    return m_stream != nullptr;
}

void PulseCapture::setBufferProc(BufferProc proc, void* context)
{
    m_proc = proc;
    m_procContext = context;
}

bool PulseCapture::connect(const QString& sourceName, uint32_t requestedFrames)
{
    if (!m_stream)
        return false;
    const QByteArray name = sourceName.toUtf8();
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = static_cast<uint32_t>(-1);
    attr.prebuf = static_cast<uint32_t>(-1);
    attr.minreq = static_cast<uint32_t>(-1);
    attr.fragsize = requestedFrames * m_channels * sizeof(float);
    const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED);
    pa_threaded_mainloop_lock(m_context.mainloop());
    const int result = pa_stream_connect_record(m_stream, name.constData(), &attr, flags);
    pa_threaded_mainloop_unlock(m_context.mainloop());
    return result >= 0;
}

bool PulseCapture::waitUntilReady()
{
    if (!m_stream)
        return false;
    pa_threaded_mainloop_lock(m_context.mainloop());
    pa_stream_state_t state = pa_stream_get_state(m_stream);
    while (state == PA_STREAM_CREATING || state == PA_STREAM_UNCONNECTED) {
        pa_threaded_mainloop_wait(m_context.mainloop());
        state = pa_stream_get_state(m_stream);
    }
    pa_threaded_mainloop_unlock(m_context.mainloop());
    return state == PA_STREAM_READY;
}

uint32_t PulseCapture::fragmentFrames() const
{
    if (!m_stream || m_channels == 0)
        return 0;
    pa_threaded_mainloop_lock(m_context.mainloop());
    const pa_buffer_attr* attr = pa_stream_get_buffer_attr(m_stream);
    const uint32_t frames =
        attr ? attr->fragsize / (m_channels * static_cast<uint32_t>(sizeof(float))) : 0;
    pa_threaded_mainloop_unlock(m_context.mainloop());
    return frames;
}

void PulseCapture::setBufferList(KvAudioBufferList* buffers, uint32_t bufferFrames)
{
    pa_threaded_mainloop_lock(m_context.mainloop());
    m_buffers = buffers;
    m_bufferFrames = bufferFrames;
    m_filled = 0;
    pa_threaded_mainloop_unlock(m_context.mainloop());
}

bool PulseCapture::cork(bool paused)
{
    if (!m_stream)
        return false;
    CorkResult result{m_context.mainloop(), 0};
    pa_threaded_mainloop_lock(m_context.mainloop());
    pa_operation* operation = pa_stream_cork(m_stream, paused ? 1 : 0, corkDone, &result);
    if (operation) {
        while (pa_operation_get_state(operation) == PA_OPERATION_RUNNING)
            pa_threaded_mainloop_wait(m_context.mainloop());
        pa_operation_unref(operation);
    }
    pa_threaded_mainloop_unlock(m_context.mainloop());
    return result.success != 0;
}

bool PulseCapture::start()
{
    return cork(false);
}

bool PulseCapture::stop()
{
    if (!m_stream)
        return true;
    const bool corked = cork(true);
    pa_threaded_mainloop_lock(m_context.mainloop());
    pa_stream_set_read_callback(m_stream, nullptr, nullptr);
    pa_stream_set_state_callback(m_stream, nullptr, nullptr);
    pa_stream_disconnect(m_stream);
    pa_stream_unref(m_stream);
    m_stream = nullptr;
    m_filled = 0;
    pa_threaded_mainloop_unlock(m_context.mainloop());
    return corked;
}

uint64_t PulseCapture::ffmpegChannelMask() const
{
    uint64_t mask = 0;
    for (uint8_t i = 0; i < m_channelMap.channels; ++i) {
        const uint64_t bit = ffmpegChannel(m_channelMap.map[i]);
        // FFmpeg's native order runs by bit; a map in another order or with
        // an unknown position is left to FFmpeg's default layout.
        if (bit == 0 || bit <= mask)
            return 0;
        mask |= bit;
    }
    return mask;
}

void PulseCapture::stateCallback(pa_stream*, void* userdata)
{
    pa_threaded_mainloop_signal(static_cast<PulseCapture*>(userdata)->m_context.mainloop(), 0);
}

void PulseCapture::readCallback(pa_stream* stream, size_t, void* userdata)
{
    auto* self = static_cast<PulseCapture*>(userdata);
    const void* data = nullptr;
    size_t bytes = 0;
    while (pa_stream_readable_size(stream) > 0 && pa_stream_peek(stream, &data, &bytes) == 0) {
        if (bytes == 0)
            break;
        // A hole (no data) carries no samples to keep.
        if (data)
            self->consume(static_cast<const float*>(data),
                          bytes / (self->m_channels * sizeof(float)));
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
