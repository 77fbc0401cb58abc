// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <cstddef>
#include <sys/types.h>

// A private PulseAudio daemon for the tests of one process. It is started on
// the first call of instance() and killed when the process exits. Once it
// runs, PULSE_SERVER and XDG_RUNTIME_DIR of this process point at it, so every
// libpulse client of the process and of its child processes connects to it.
//
// Sources, in the server's order: the monitor of the null sink, a 440 Hz mono
// sine source (the default source), a mono pipe source and a four-channel pipe
// source, both float32 at 44100 Hz. A pipe source delivers exactly the frames
// written to it and nothing while nobody writes, so a stream that starts
// before the first write receives the written signal from its first frame.
// The sine source has a fixed latency of two seconds and delivers its signal
// that far ahead of the clock, in large blocks: where the length of a capture
// must match the time it ran, feed a pipe source at the pace of the clock.
//
// Main thread only (the daemon is tied to the life of the thread that starts
// it), except the write functions (any one thread at a time).
class PulseServer
{
public:
    static constexpr int pipeRate = 44100;
    static constexpr int sineFrequency = 440;

    static PulseServer& instance();

    bool isRunning() const { return m_running; }

    QString sineSourceDescription() const { return QStringLiteral("VoiceTray Test Sine"); }
    QString monoPipeSourceDescription() const { return QStringLiteral("VoiceTray Test Mono Pipe"); }
    QString quadPipeSourceDescription() const { return QStringLiteral("VoiceTray Test Quad Pipe"); }
    QString nullSinkName() const { return QStringLiteral("vt_null"); }
    QString nullSinkMonitorDescription() const
    {
        return QStringLiteral("Monitor of VoiceTray Test Null Output");
    }
    // The value PULSE_SERVER was given, e.g. "unix:/tmp/.../pulse/native".
    QString serverAddress() const;
    // Runs pactl against the daemon; its output, trimmed (a module's number
    // for load-module).
    static QString pactl(const QStringList& args);

    // Blocking writes into the pipe sources' FIFOs. A pipe source reads only
    // while a record stream runs on it, so write after the recording started;
    // a write that cannot go on for 10 s gives up and answers false.
    bool writeMonoPipe(const float* samples, size_t frames);
    bool writeQuadPipe(const float* interleaved, size_t frames);

    // Stops the daemon (SIGSTOP): like a hung server it still takes
    // connections and answers nothing. resume() lets it go on.
    void pause();
    void resume();

    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

private:
    PulseServer();
    ~PulseServer();

    bool start();
    void stop();
    static bool writeAll(int fd, const void* data, size_t bytes);

    QTemporaryDir m_dir;
    pid_t m_pid = -1;
    int m_monoFd = -1;
    int m_quadFd = -1;
    bool m_running = false;
};
