// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/SpscRingBuffer.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class CaptureBuffers;

// Mixes a microphone and the monitor of the computer's output into one stereo
// capture. Each stream hands its buffers to its own lock-free ring; whenever
// either delivers, every output buffer that both rings can fill is mixed and
// handed on to the output procedure.
//
// The microphone's frame count is the timeline: output frame n is microphone
// frame n plus the monitor at the position its own frame count reaches there
// (both streams start together, so frame 0 meets frame 0). Two devices' clocks
// differ slightly: the ratio of the monitor's frame count to the microphone's,
// fitted over the whole recording, gives the monitor's rate, and the monitor is
// resampled to it, so that the two stay in step over hours. Delivery may come
// in bursts of seconds: the microphone waits for a late monitor up to
// kWaitSeconds, then the monitor's part is silence (counted) and its late
// frames are skipped when they come, so the microphone's sound is never held
// back nor lost.
//
// Threads: made and destroyed on the main thread while no capture runs.
// Everything else runs on the capture thread (the two streams of one server
// connection share it): wait-free, no allocation, no files.
class CaptureMixer
{
public:
    using OutputProc = int (*)(void* context, uint64_t timeStampNanos, uint32_t frameCount);
    static constexpr uint32_t kChannels = 2;
    static constexpr double kWaitSeconds = 5.0;

    // The output list has kChannels blocks; each output buffer fills it whole.
    // The input buffer lists take inputFrames frames each.
    CaptureMixer(double sampleRate, uint32_t inputFrames, CaptureBuffers& output, OutputProc proc,
                 void* context);
    ~CaptureMixer();

    CaptureMixer(const CaptureMixer&) = delete;
    CaptureMixer& operator=(const CaptureMixer&) = delete;

    // Where each capture stream puts its samples before calling its procedure.
    CaptureBuffers* microphoneBuffers() const { return m_microphoneIn.get(); }
    CaptureBuffers* monitorBuffers() const { return m_monitorIn.get(); }
    // Capture procedures for the two streams; the context is the mixer.
    static int microphoneProc(void* mixer, uint64_t timeStampNanos, uint32_t frameCount);
    static int monitorProc(void* mixer, uint64_t timeStampNanos, uint32_t frameCount);

    // Capture thread: planar samples of kChannels channels, and when they
    // came (monotonic nanoseconds).
    void pushMicrophone(const float* const* planes, uint32_t frames, uint64_t timeStampNanos);
    void pushMonitor(const float* const* planes, uint32_t frames, uint64_t timeStampNanos);

    // Main thread, once neither capture runs any more: mixes the whole
    // buffers the microphone's ring still holds, with silence where the
    // monitor's sound has not come.
    void drain() { mix(true); }

    // Any thread: monitor frames replaced by silence because they came too
    // late or found no room, and microphone frames that found no room.
    uint64_t silencedMonitorFrames() const { return m_silenced.load(std::memory_order_relaxed); }
    uint64_t lostMicrophoneFrames() const { return m_lost.load(std::memory_order_relaxed); }

private:
    void mix(bool draining = false);
    double monitorStep() const;
    void fitRates(size_t stream, uint64_t timeStampNanos);
    bool fillWindow(int64_t last);
    void dropWindowBefore(int64_t position);

    CaptureBuffers& m_output;
    uint32_t m_outputFrames;
    OutputProc m_proc;
    void* m_context;
    double m_rate;
    size_t m_waitFrames;
    std::unique_ptr<CaptureBuffers> m_microphoneIn;
    std::unique_ptr<CaptureBuffers> m_monitorIn;
    std::array<std::unique_ptr<SpscRingBuffer>, kChannels> m_microphone;
    std::array<std::unique_ptr<SpscRingBuffer>, kChannels> m_monitor;

    // Frames received and mixed, counted from the start.
    int64_t m_microphoneFrames = 0;
    int64_t m_monitorFrames = 0;
    int64_t m_mixedFrames = 0;
    // The monitor's read position (whole frames and fraction) and the frame
    // its ring hands out next.
    int64_t m_monitorPos = 0;
    double m_monitorFrac = 0;
    int64_t m_ringNext = 0;
    // Monitor frames from m_windowBase on, taken from the ring for interpolation.
    std::array<std::vector<float>, kChannels> m_window;
    int64_t m_windowBase = 0;
    size_t m_windowCount = 0;

    // A running least-squares line through (x, y) points.
    struct Fit
    {
        void add(double x, double y);
        double slope() const { return m_xy / m_xx; }
        // The standard error of the slope; infinite while there are too few points.
        double slopeError() const;
        double m_count = 0, m_meanX = 0, m_meanY = 0, m_xx = 0, m_xy = 0, m_yy = 0;
    };
    // (monitor - microphone) frames against microphone frames, sampled where
    // either stream begins a delivery (one burst comes as many buffers at
    // once): the fit at the burstier stream's deliveries sees its bursts
    // alike at every point and has the smaller error.
    std::array<Fit, 2> m_fits;
    std::array<uint64_t, 2> m_lastDelivery{};
    double m_rateRatio = 1.0;

    std::atomic<uint64_t> m_silenced{0};
    std::atomic<uint64_t> m_lost{0};
};
