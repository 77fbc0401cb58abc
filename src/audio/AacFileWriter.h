// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/SpscRingBuffer.h"
#include "av/FFmpegPtr.h"
#include "av/PeakDecoder.h"
#include "av/PeakEnvelope.h"

#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

struct AVStream;
struct pa_channel_map;
class CaptureBuffers;

// Writes planar float capture buffers as AAC into a fragmented MP4 file on a
// thread of its own. The capture thread hands over whole buffers through a
// lock-free ring; the writer converts rate and channels, encodes, and flushes
// every finished fragment (about one second) to the file at once, so a
// killed process leaves a file that plays up to the last fragment.
class AacFileWriter
{
public:
    enum class Result
    {
        Ok,
        CannotCreateFile,
        BadFormat,
        CannotStartWriting
    };

    // Why the file stopped growing while recording.
    enum class Failure
    {
        None,
        DiskFull,
        WriteError
    };

    struct Input
    {
        double sampleRate = 0;
        uint32_t channels = 0;
        uint64_t channelMask = 0; // FFmpeg channel mask; 0 for the default layout
        uint32_t bufferFrames = 0;
    };

    struct Output
    {
        QString muxer; // "ipod" for .m4a
        double sampleRate = 0;
        uint32_t channels = 0;
    };

    AacFileWriter();
    ~AacFileWriter();

    AacFileWriter(const AacFileWriter&) = delete;
    AacFileWriter& operator=(const AacFileWriter&) = delete;

    // FFmpeg channel mask for a sound server channel map; 0 when a position
    // has no counterpart or the order differs from FFmpeg's.
    static uint64_t channelMask(const pa_channel_map& map);

    // Main thread. Sets up the encoder and the resampler, and only then
    // creates the file (erasing one of that name), so that a refused format
    // leaves no file behind.
    Result open(const QString& path, const Output& output, const Input& input);
    // Main thread, before start(): sound that goes into the file ahead of the
    // first pushed buffer, one channel after the other (channels x frames).
    void setLeadIn(std::vector<float> samples, size_t frames);
    // Main thread. Writes the header and starts the writer thread; without
    // the thread the caller feeds encodeBuffer() itself (benchmarks).
    Result start(bool runThread = true);
    // Capture thread, wait-free. False when the ring is full: the buffer is
    // dropped and counted.
    bool push(const CaptureBuffers& buffers, uint32_t frames);
    // Main thread. Writes what the ring still holds, finishes and closes the
    // file; returns when the file is complete. Safe to call more than once.
    void close();

    uint64_t droppedBuffers() const { return m_dropped.load(std::memory_order_relaxed); }
    // Any thread. Set by the writer thread when encoding or writing failed;
    // nothing after that reaches the file.
    Failure failure() const { return m_failure.load(std::memory_order_relaxed); }
    // Main thread, after close(): the peaks of the sound in the file, frame
    // by frame as a player gives it out (without the encoder's delay and
    // padding), found by decoding each packet as it is written; empty when
    // the file ended early. Hands them over once.
    PeakEnvelope takeEnvelope() { return std::move(m_envelope); }
    // Main thread, after close(): samples of sound in the file at the output
    // rate, the delay and the padding of the last frame not counted.
    int64_t soundLength() const { return m_soundLength; }
    int outputRate() const { return m_outputRate; }

    // Writer thread (or a benchmark without the thread): converts and encodes
    // one planar buffer of bufferFrames frames.
    bool encodeBuffer(const float* const* planes, uint32_t frames);

private:
    void run();
    void writeLeadIn();
    Result setUp(const QString& path, const Output& output, const Input& input);
    Result openEncoder(const Output& output, const Input& input);
    bool convert(const uint8_t* const* planes, int frames);
    bool encodeFromFifo(bool flushAll);
    bool sendFrame(AVFrame* frame);
    void fail(int error = 0);
    void markEncoderDelay();
    void syncToDisk(bool force);
    void finish();
    void release();

    FileOutputPtr m_file;
    OutputFormatPtr m_format;
    AVStream* m_stream = nullptr;
    FFmpegPtr<AVCodecContext> m_codec;
    FFmpegPtr<SwrContext> m_resampler;
    FFmpegPtr<AVAudioFifo> m_fifo;
    FFmpegPtr<AVFrame> m_frame;
    FFmpegPtr<AVPacket> m_packet;
    FFmpegPtr<uint8_t*> m_converted;
    int m_convertedCapacity = 0;
    int64_t m_nextPts = 0;
    int64_t m_soundLength = 0;
    PeakDecoder m_peakDecoder;
    PeakEnvelope m_envelope;
    int m_encoderDelay = 0;
    int m_outputRate = 0;
    bool m_headerWritten = false;
    bool m_failed = false;
    // A second descriptor of the file, for fdatasync.
    int m_syncFd = -1;
    uint64_t m_framesSynced = 0;

    Input m_input;
    std::unique_ptr<SpscRingBuffer> m_ring;
    std::vector<float> m_readBuffer;
    std::vector<const float*> m_readPlanes;
    std::vector<float> m_leadIn;
    size_t m_leadInFrames = 0;
    std::thread m_thread;
    std::atomic<bool> m_stopRequested{false};
    // Only the main thread's stop wakes the writer: the capture never does.
    std::mutex m_wakeMutex;
    std::condition_variable m_wake;
    std::atomic<uint64_t> m_dropped{0};
    std::atomic<uint64_t> m_framesIn{0};
    std::atomic<Failure> m_failure{Failure::None};
};
