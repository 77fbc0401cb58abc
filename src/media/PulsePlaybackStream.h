// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "av/PulseConnection.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>

struct pa_stream;

// One PulseAudio playback stream of interleaved float samples to the default
// sink. The connection to the server is made once and kept; each open()
// makes a fresh stream whose clock starts at 0. Every wait for the server
// ends at the connection's answer timeout.
class PulsePlaybackStream
{
public:
    PulsePlaybackStream() = default;
    ~PulsePlaybackStream();
    PulsePlaybackStream(const PulsePlaybackStream&) = delete;
    PulsePlaybackStream& operator=(const PulsePlaybackStream&) = delete;

    // Main thread. Answers an error text, empty on success.
    QString open(int rate, int channels);
    // Main thread, after the writing thread has finished.
    void close();

    // Writing thread: blocks until the server has room; false once
    // interrupted or when the server stops taking samples.
    bool write(const float* samples, int64_t frames);
    // Writing thread: returns once everything written has been played.
    bool drain();
    // Any thread: makes a blocked write() or drain() return false.
    void interrupt();

    // Main thread: frames the listener has heard since open().
    int64_t playedFrames() const;
    // Any thread: frames handed to the server since open().
    int64_t writtenFrames() const { return m_writtenFrames; }

private:
    QString connect();
    bool streamGone() const;
    static void streamNotify(pa_stream* stream, void* connection);
    static void streamRequest(pa_stream* stream, size_t bytes, void* connection);
    static void drained(pa_stream* stream, int success, void* self);

    std::unique_ptr<PulseConnection> m_connection;
    pa_stream* m_stream = nullptr;
    int m_rate = 0;
    int m_channels = 0;
    std::atomic<bool> m_interrupted{false};
    bool m_drained = false;
    std::atomic<int64_t> m_writtenFrames{0};
    mutable std::atomic<int64_t> m_heardFrames{0};
    mutable PulseOperationPtr m_timingUpdate; // guarded by the mainloop lock
};
