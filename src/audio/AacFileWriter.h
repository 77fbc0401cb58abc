// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/SpscRingBuffer.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

struct AVAudioFifo;
struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct SwrContext;
class KvAudioBufferList;

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

    // Main thread. Creates the file (erasing one of that name), the resampler
    // and the encoder.
    Result open(const QString& path, const Output& output, const Input& input);
    // Main thread. Writes the header and starts the writer thread; without
    // the thread the caller feeds encodeBuffer() itself (benchmarks).
    Result start(bool runThread = true);
    // Capture thread, wait-free. False when the ring is full: the buffer is
    // dropped and counted.
    bool push(const KvAudioBufferList& buffers, uint32_t frames);
    // Main thread. Writes what the ring still holds, finishes and closes the
    // file; returns when the file is complete. Safe to call more than once.
    void close();

    uint64_t droppedBuffers() const { return m_dropped.load(std::memory_order_relaxed); }
    uint64_t framesWritten() const { return m_framesIn.load(std::memory_order_relaxed); }

    // Writer thread (or a benchmark without the thread): converts and encodes
    // one planar buffer of bufferFrames frames.
    bool encodeBuffer(const float* const* planes, uint32_t frames);

private:
    void run();
    bool convert(const uint8_t* const* planes, int frames);
    bool encodeFromFifo(bool flushAll);
    bool sendFrame(AVFrame* frame);
    void finish();
    void release();

    AVFormatContext* m_format = nullptr;
    AVStream* m_stream = nullptr;
    AVCodecContext* m_codec = nullptr;
    SwrContext* m_resampler = nullptr;
    AVAudioFifo* m_fifo = nullptr;
    AVFrame* m_frame = nullptr;
    AVPacket* m_packet = nullptr;
    uint8_t** m_converted = nullptr;
    int m_convertedCapacity = 0;
    int64_t m_nextPts = 0;
    bool m_headerWritten = false;
    bool m_failed = false;

    Input m_input;
    std::unique_ptr<SpscRingBuffer> m_ring;
    std::vector<float> m_readBuffer;
    std::vector<const float*> m_readPlanes;
    std::thread m_thread;
    std::atomic<bool> m_stopRequested{false};
    std::atomic<uint64_t> m_dropped{0};
    std::atomic<uint64_t> m_framesIn{0};
};
