// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/CaptureMixer.h"

#include "audio/CaptureBuffers.h"
#include "audio/PulseCapture.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

// Room in each ring beyond the wait: one burst of the other stream.
constexpr double kRingSeconds = CaptureMixer::kWaitSeconds + 3.0;
// The first seconds of each stream are left out of the fit.
constexpr double kSettleSeconds = 3.0;
// How many standard errors of the fitted slope are taken as noise.
constexpr double kTrustedErrors = 2.0;
// Sound devices' clocks differ by far less than this.
constexpr double kMaxDrift = 0.001;
// A difference from the fitted position is made up over this time, at most
// kMaxCorrection faster or slower, so that no jump is heard.
constexpr double kCatchUpSeconds = 2.0;
constexpr double kMaxCorrection = 0.005;
// Buffers closer together than this belong to one delivery.
constexpr uint64_t kDeliveryGapNanos = 5'000'000;

} // namespace

CaptureMixer::CaptureMixer(double sampleRate, uint32_t inputFrames, CaptureBuffers& output,
                           OutputProc proc, void* context)
    : m_output(output), m_outputFrames(output.frameCapacity()), m_proc(proc), m_context(context),
      m_rate(sampleRate), m_waitFrames(size_t(std::lround(sampleRate * kWaitSeconds))),
      m_microphoneIn(CaptureBuffers::allocate(kChannels, inputFrames * sizeof(float))),
      m_monitorIn(CaptureBuffers::allocate(kChannels, inputFrames * sizeof(float)))
{
    const auto ringFrames = size_t(std::lround(sampleRate * kRingSeconds));
    for (uint32_t c = 0; c < kChannels; ++c) {
        m_microphone[c] = std::make_unique<SpscRingBuffer>(ringFrames);
        m_monitor[c] = std::make_unique<SpscRingBuffer>(ringFrames);
        // One output buffer at the fastest step, and the frame after it.
        m_window[c].resize(size_t(m_outputFrames * (1 + kMaxDrift + kMaxCorrection)) + 4);
    }
}

CaptureMixer::~CaptureMixer() = default;

int CaptureMixer::microphoneProc(void* mixer, uint64_t timeStampNanos, uint32_t frameCount)
{
    auto* self = static_cast<CaptureMixer*>(mixer);
    self->pushMicrophone(self->m_microphoneIn->channels(), frameCount, timeStampNanos);
    return 0;
}

int CaptureMixer::monitorProc(void* mixer, uint64_t timeStampNanos, uint32_t frameCount)
{
    auto* self = static_cast<CaptureMixer*>(mixer);
    self->pushMonitor(self->m_monitorIn->channels(), frameCount, timeStampNanos);
    return 0;
}

void CaptureMixer::pushMicrophone(const float* const* planes, uint32_t frames,
                                  uint64_t timeStampNanos)
{
    if (m_microphone[0]->writeAvailable() < frames) {
        m_lost.fetch_add(frames, std::memory_order_relaxed);
        return;
    }
    for (uint32_t c = 0; c < kChannels; ++c)
        m_microphone[c]->write(planes[c], frames);
    fitRates(0, timeStampNanos);
    m_microphoneFrames += frames;
    mix();
}

void CaptureMixer::pushMonitor(const float* const* planes, uint32_t frames, uint64_t timeStampNanos)
{
    // Only while the microphone stalls for seconds; it ends the recording soon.
    if (m_monitor[0]->writeAvailable() < frames) {
        m_silenced.fetch_add(frames, std::memory_order_relaxed);
        return;
    }
    for (uint32_t c = 0; c < kChannels; ++c)
        m_monitor[c]->write(planes[c], frames);
    fitRates(1, timeStampNanos);
    m_monitorFrames += frames;
    mix();
}

void CaptureMixer::Fit::add(double x, double y)
{
    m_count += 1;
    const double dx = x - m_meanX;
    const double dy = y - m_meanY;
    m_meanX += dx / m_count;
    m_meanY += dy / m_count;
    m_xx += dx * (x - m_meanX);
    m_xy += dx * (y - m_meanY);
    m_yy += dy * (y - m_meanY);
}

double CaptureMixer::Fit::slopeError() const
{
    if (m_count < 3 || m_xx <= 0)
        return std::numeric_limits<double>::infinity();
    const double residual = std::max(0.0, m_yy - m_xy * m_xy / m_xx) / (m_count - 2);
    return std::sqrt(residual / m_xx);
}

void CaptureMixer::fitRates(size_t stream, uint64_t timeStampNanos)
{
    // Counted before the delivery's frames, so that a burst of seconds that
    // comes as many buffers adds one point.
    const uint64_t last = std::exchange(m_lastDelivery[stream], timeStampNanos);
    // Devices fill their buffers as they start, which would read as a rate.
    if (timeStampNanos - last < kDeliveryGapNanos ||
        double(std::min(m_microphoneFrames, m_monitorFrames)) < kSettleSeconds * m_rate)
        return;
    const double x = double(m_microphoneFrames);
    m_fits[stream].add(x, double(m_monitorFrames - m_microphoneFrames));
    const Fit& best = m_fits[0].slopeError() <= m_fits[1].slopeError() ? m_fits[0] : m_fits[1];
    // Only the part of the slope that stands out of its error: two devices on
    // one clock stay at 1 however unevenly they deliver.
    const double error = kTrustedErrors * best.slopeError();
    if (std::isfinite(error)) {
        const double slope = best.slope();
        const double drift = std::copysign(std::max(0.0, std::abs(slope) - error), slope);
        m_rateRatio = 1.0 + std::clamp(drift, -kMaxDrift, kMaxDrift);
    }
}

double CaptureMixer::monitorStep() const
{
    const double target = m_rateRatio * double(m_mixedFrames);
    const double position = double(m_monitorPos) + m_monitorFrac;
    const double correction = (target - position) / (kCatchUpSeconds * m_rate);
    return m_rateRatio + std::clamp(correction, -kMaxCorrection, kMaxCorrection);
}

void CaptureMixer::dropWindowBefore(int64_t position)
{
    const int64_t drop = position - m_windowBase;
    if (drop >= int64_t(m_windowCount)) {
        m_windowCount = 0;
    } else if (drop > 0) {
        for (auto& channel : m_window)
            std::copy(channel.begin() + drop, channel.begin() + int64_t(m_windowCount),
                      channel.begin());
        m_windowCount -= size_t(drop);
    }
    m_windowBase = std::max(m_windowBase, position);
}

bool CaptureMixer::fillWindow(int64_t last)
{
    // Frames that came after their place was filled with silence.
    if (m_windowCount == 0 && m_ringNext < m_windowBase) {
        while (m_ringNext < m_windowBase && m_monitor[0]->readAvailable() > 0) {
            const size_t skip = std::min({size_t(m_windowBase - m_ringNext),
                                          m_monitor[0]->readAvailable(), m_window[0].size()});
            for (uint32_t c = 0; c < kChannels; ++c)
                m_monitor[c]->read(m_window[c].data(), skip);
            m_ringNext += int64_t(skip);
        }
        if (m_ringNext < m_windowBase)
            return false;
    }
    const int64_t missing = last + 1 - (m_windowBase + int64_t(m_windowCount));
    if (missing <= 0)
        return true;
    if (m_monitor[0]->readAvailable() < size_t(missing))
        return false;
    for (uint32_t c = 0; c < kChannels; ++c)
        m_monitor[c]->read(m_window[c].data() + m_windowCount, size_t(missing));
    m_windowCount += size_t(missing);
    m_ringNext += missing;
    return true;
}

void CaptureMixer::mix(bool draining)
{
    const uint32_t n = m_outputFrames;
    while (m_microphone[0]->readAvailable() >= n) {
        const double step = monitorStep();
        const int64_t last = m_monitorPos + int64_t(m_monitorFrac + double(n - 1) * step) + 1;
        const bool monitorReady = fillWindow(last);
        if (!monitorReady && !draining && m_microphone[0]->readAvailable() < m_waitFrames)
            return;
        for (uint32_t c = 0; c < kChannels; ++c) {
            float* out = m_output.data(c);
            m_microphone[c]->read(out, n);
            if (!monitorReady)
                continue;
            const float* window = m_window[c].data() + (m_monitorPos - m_windowBase);
            for (uint32_t i = 0; i < n; ++i) {
                const double at = m_monitorFrac + double(i) * step;
                const auto k = size_t(at);
                const auto f = float(at - double(k));
                const float monitor = window[k] + (window[k + 1] - window[k]) * f;
                out[i] = std::clamp(out[i] + monitor, -1.0f, 1.0f);
            }
        }
        if (!monitorReady && !draining)
            m_silenced.fetch_add(n, std::memory_order_relaxed);
        const double next = m_monitorFrac + double(n) * step;
        m_monitorPos += int64_t(next);
        m_monitorFrac = next - std::floor(next);
        m_mixedFrames += n;
        dropWindowBefore(m_monitorPos);
        m_proc(m_context, PulseCapture::monotonicNanos(), n);
    }
}
