// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>

struct AVAudioFifo;
struct AVCodecContext;
struct AVDictionary;
struct AVFilterGraph;
struct AVFormatContext;
struct AVFrame;
struct AVIOContext;
struct AVPacket;
struct SwrContext;

// Owners of FFmpeg handles, each freed by its own function, so that no error
// path frees anything by hand. Null handles are left alone.
struct FFmpegFree
{
    void operator()(AVAudioFifo* fifo) const;
    void operator()(AVCodecContext* codec) const;
    void operator()(AVDictionary* dictionary) const;
    void operator()(AVFilterGraph* graph) const;
    void operator()(AVFrame* frame) const;
    void operator()(AVPacket* packet) const;
    void operator()(SwrContext* resampler) const;
    // A buffer from av_malloc.
    void operator()(uint8_t* buffer) const;
    // Sample planes from av_samples_alloc_array_and_samples.
    void operator()(uint8_t** planes) const;
};

template <typename T> using FFmpegPtr = std::unique_ptr<T, FFmpegFree>;

// A demuxer opened by avformat_open_input.
struct InputFormatFree
{
    void operator()(AVFormatContext* format) const;
};
using InputFormatPtr = std::unique_ptr<AVFormatContext, InputFormatFree>;

// A muxer from avformat_alloc_output_context2. Its output (pb) is owned apart.
struct OutputFormatFree
{
    void operator()(AVFormatContext* format) const;
};
using OutputFormatPtr = std::unique_ptr<AVFormatContext, OutputFormatFree>;

// A file output opened by avio_open.
struct FileOutputClose
{
    void operator()(AVIOContext* io) const;
};
using FileOutputPtr = std::unique_ptr<AVIOContext, FileOutputClose>;

// An output made by avio_alloc_context, with the buffer it was given.
struct CustomOutputFree
{
    void operator()(AVIOContext* io) const;
};
using CustomOutputPtr = std::unique_ptr<AVIOContext, CustomOutputFree>;

// Calls an FFmpeg function that takes the address of an options dictionary
// and may replace it (as avformat_write_header does), keeping the ownership.
template <typename Call> auto withOptions(FFmpegPtr<AVDictionary>& options, Call&& call)
{
    AVDictionary* dictionary = options.release();
    auto result = call(&dictionary);
    options.reset(dictionary);
    return result;
}

// Sets one option; false when it cannot be stored.
bool setOption(FFmpegPtr<AVDictionary>& options, const char* key, const char* value);
bool setOption(FFmpegPtr<AVDictionary>& options, const char* key, int64_t value);
