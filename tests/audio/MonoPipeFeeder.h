// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/PulseServer.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

// Feeds a 440 Hz tone into the mono pipe source at the pace of the wall
// clock, like a microphone, until destroyed. (The sine source runs up to two
// seconds ahead of real time, so it cannot tell capture time from file length.)
// Start it after the recording started; destroy it before stopping.
class MonoPipeFeeder
{
public:
    explicit MonoPipeFeeder(float amplitude = 0.5f)
        : m_thread([this, amplitude] { run(amplitude); })
    {
    }

    ~MonoPipeFeeder()
    {
        m_stop = true;
        m_thread.join();
    }

    MonoPipeFeeder(const MonoPipeFeeder&) = delete;
    MonoPipeFeeder& operator=(const MonoPipeFeeder&) = delete;

private:
    void run(float amplitude)
    {
        constexpr int rate = PulseServer::pipeRate;
        constexpr size_t chunk = rate / 100;
        std::vector<float> samples(chunk);
        const auto begin = std::chrono::steady_clock::now();
        size_t written = 0;
        while (!m_stop) {
            const auto due = static_cast<size_t>(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count() *
                rate);
            while (written + chunk <= due + chunk && !m_stop) {
                for (size_t i = 0; i < chunk; ++i)
                    samples[i] = amplitude *
                                 static_cast<float>(std::sin(
                                     2.0 * M_PI * 440.0 * static_cast<double>(written + i) / rate));
                if (!PulseServer::instance().writeMonoPipe(samples.data(), chunk))
                    return;
                written += chunk;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
