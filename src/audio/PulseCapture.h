// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <atomic>
#include <cstdint>
#include <pulse/channelmap.h>
#include <pulse/sample.h>

struct pa_mainloop_api;
struct pa_stream;
struct pa_time_event;
class CaptureBuffers;
class PulseConnection;

// A record stream on one source. The stream's read callback, on the
// mainloop thread, de-interleaves the delivered samples into the given
// buffer list and calls the buffer procedure each time one buffer of
// bufferFrames() frames is complete. Every wait for the server ends at the
// connection's answer timeout. Main thread only, except where noted.
class PulseCapture
{
public:
    // Capture thread: one full buffer is in the list; the time is
    // CLOCK_MONOTONIC in nanoseconds when it was completed.
    using BufferProc = int (*)(void* context, uint64_t timeStampNanos, uint32_t frameCount);

    explicit PulseCapture(PulseConnection& connection);
    ~PulseCapture();

    PulseCapture(const PulseCapture&) = delete;
    PulseCapture& operator=(const PulseCapture&) = delete;

    // Float samples in the given sample format; the channel map is the source's where
    // the channel counts agree (no remixing), else the server's default.
    bool createStream(const pa_sample_spec& spec, const pa_channel_map& sourceMap);
    void setBufferProc(BufferProc proc, void* context);
    // Connects corked; the stream delivers nothing before start(). The
    // server may not move the stream to another source: when its source
    // goes away the stream ends and isLost() tells. With lowLatency the
    // source delivers at the requested fragment size instead of its own
    // (a monitor of an idle output otherwise delivers every two seconds).
    bool connect(const QString& sourceName, uint32_t requestedFrames, bool lowLatency = false);
    bool waitUntilReady();
    // The fragment size the server granted, in frames; 0 when unknown.
    uint32_t fragmentFrames() const;
    void setBufferList(CaptureBuffers* buffers, uint32_t bufferFrames);

    bool start();
    // Corks the stream: once it returns no callback runs until start().
    bool pause()
    {
        stopStallCheck();
        return cork(true);
    }
    // After stop() returns the callback no longer runs.
    bool stop();

    const pa_channel_map& channelMap() const { return m_channelMap; }
    // Any thread, wait-free: the stream failed, was killed or lost its
    // source after it was connected.
    bool isLost() const { return m_lost.load(std::memory_order_relaxed); }
    // Any thread, wait-free: frames the server never delivered since the
    // stream was made: the holes it reported, and what came while the
    // capture thread stalled longer than the server keeps sound for it.
    uint64_t lostFrames() const { return m_lostFrames.load(std::memory_order_relaxed); }
    // Any thread, wait-free: how often the server said its buffer overran.
    uint32_t overflows() const { return m_overflows.load(std::memory_order_relaxed); }

    static uint64_t monotonicNanos();

private:
    static void readCallback(pa_stream* stream, size_t bytes, void* userdata);
    static void stateCallback(pa_stream* stream, void* userdata);
    static void overflowCallback(pa_stream* stream, void* userdata);
    static void stallCheck(pa_mainloop_api* api, pa_time_event* event, const struct timeval*,
                           void* userdata);
    void stopStallCheck();
    void checkForStall(uint64_t now);
    void countStall(uint64_t now);
    void consume(const float* interleaved, size_t frames);
    bool cork(bool paused);

    PulseConnection& m_connection;
    pa_stream* m_stream = nullptr;
    pa_channel_map m_channelMap{};
    uint32_t m_channels = 0;
    uint32_t m_rate = 0;
    BufferProc m_proc = nullptr;
    void* m_procContext = nullptr;
    CaptureBuffers* m_buffers = nullptr;
    uint32_t m_bufferFrames = 0;
    uint32_t m_filled = 0;
    std::atomic<bool> m_lost{false};
    // The capture thread looks at the clock every half second while the
    // stream runs, to see whether it was stalled.
    pa_time_event* m_stallTimer = nullptr;
    uint64_t m_lastCheckNanos = 0;
    // Capture thread (or with the lock held): frames delivered, holes
    // included, and those at the last look and at the start of a stall.
    uint64_t m_framesRead = 0;
    uint64_t m_framesAtCheck = 0;
    uint64_t m_framesAtStall = 0;
    uint64_t m_stallFrom = 0;
    uint64_t m_stallEnd = 0;
    std::atomic<uint64_t> m_lostFrames{0};
    std::atomic<uint32_t> m_overflows{0};
};
