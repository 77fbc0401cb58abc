// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <array>
#include <atomic>
#include <cstddef>
#include <map>
#include <sys/types.h>
#include <thread>
#include <vector>

// A private sound server for the tests of one process: a PulseAudio daemon,
// or with VT_SOUND_SERVER=pipewire a PipeWire (pipewire, wireplumber and
// pipewire-pulse on a session bus of their own). It is started on the first
// call of instance() and killed when the process exits. Once it runs,
// PULSE_SERVER and XDG_RUNTIME_DIR of this process point at it, so every
// libpulse client of the process and of its child processes connects to it.
//
// Sources, in the server's order: the monitor of the null sink, a 440 Hz mono
// sine source (the default source), a mono pipe source and a four-channel pipe
// source, both float32 at 44100 Hz. A pipe source delivers exactly the frames
// written to it and nothing while nobody writes, so a stream that starts
// before the first write receives the written signal from its first frame.
// PulseAudio's sine source has a fixed latency of two seconds and delivers its
// signal that far ahead of the clock, in large blocks (PipeWire's is a pipe
// source that ffmpeg feeds at the pace of the clock): where the length of a
// capture must match the time it ran, feed a pipe source yourself.
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
    bool isPipeWire() const { return m_pipeWire; }

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
    // Makes a source or sink ("source", "sink") the default; true once the
    // server says so.
    static bool setDefault(const QString& kind, const QString& name);
    // False when a reader of its own gets nothing but zeros from the source:
    // PipeWire's pipe sources now and then go silent for every reader once
    // another stream joins them, and then no recording can hold their tone.
    static bool soundsToOthers(const QString& source);

    // A microphone plugged in: a source of that name and description that
    // sounds a tone. Answers what unloadSource() takes; empty on failure.
    QString loadToneSource(const QString& name, const QString& description, int frequency);
    // The microphone pulled out.
    void unloadSource(const QString& handle);

    // Blocking writes into the pipe sources' FIFOs. A pipe source reads only
    // while a record stream runs on it, so write after the recording started
    // (the quad pipe waits until the server has its source running); a write
    // that cannot go on for 10 s gives up and answers false.
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
    bool startPipeWire();
    // Loads the same sources as the PulseAudio daemon's script.
    bool loadPipeWireSources();
    bool waitForModules();
    bool openPipes();
    pid_t feedTone(const QString& fifo, int frequency);
    static pid_t keepReading(const QString& source);
    // Bytes a child process has written so far.
    static qint64 bytesWritten(pid_t child);
    void stop();
    static bool writeAll(int fd, const void* data, size_t bytes);

    QTemporaryDir m_dir;
    int m_toneSources = 0;
    pid_t m_pid = -1;
    bool m_pipeWire = false;
    // PipeWire's bus, session manager, PulseAudio server and tone beside
    // m_pid; the feeder and the reader of each tone source, by handle.
    std::vector<pid_t> m_helpers;
    std::map<QString, std::array<pid_t, 2>> m_tones;
    int m_monoFd = -1;
    int m_quadFd = -1;
    bool m_running = false;
};

// Feeds a 440 Hz tone into the mono pipe source at the pace of the clock,
// like a microphone, until destroyed. (The sine source runs up to two seconds
// ahead of the clock, so it cannot tell capture time from file length.)
class MonoPipeFeeder
{
public:
    MonoPipeFeeder();
    ~MonoPipeFeeder();
    double seconds() const { return double(m_written) / PulseServer::pipeRate; }

private:
    void run();

    std::atomic<bool> m_stop{false};
    std::atomic<size_t> m_written{0};
    std::thread m_thread;
};
