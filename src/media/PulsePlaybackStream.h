// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>

struct pa_context;
struct pa_operation;
struct pa_stream;
struct pa_threaded_mainloop;

// One PulseAudio playback stream of interleaved float samples to the default
// sink. The connection to the server is made once and kept; each open()
// makes a fresh stream whose clock starts at 0.
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

    // Writing thread: blocks until the server has room; false once interrupted.
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
    bool connect(QString* error);
    bool waitForStream();
    // Mainloop locked: waits for done() or the answer timeout.
    void waitUntil(const std::function<bool()>& done);
    static void contextState(pa_context* context, void* self);
    static void streamNotify(pa_stream* stream, void* self);
    static void streamRequest(pa_stream* stream, size_t bytes, void* self);
    static void drained(pa_stream* stream, int success, void* self);

    pa_threaded_mainloop* m_mainloop = nullptr;
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;
    int m_rate = 0;
    int m_channels = 0;
    std::atomic<bool> m_interrupted{false};
    bool m_drained = false;
    std::atomic<int64_t> m_writtenFrames{0};
    mutable std::atomic<int64_t> m_heardFrames{0};
    mutable pa_operation* m_timingUpdate = nullptr; // guarded by the mainloop lock
};
