// SPDX-License-Identifier: GPL-3.0-or-later
#include "av/FFmpegPtr.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/dict.h>
#include <libavutil/frame.h>
#include <libavutil/mem.h>
#include <libswresample/swresample.h>
}

void FFmpegFree::operator()(AVAudioFifo* fifo) const
{
    av_audio_fifo_free(fifo);
}

void FFmpegFree::operator()(AVCodecContext* codec) const
{
    avcodec_free_context(&codec);
}

void FFmpegFree::operator()(AVDictionary* dictionary) const
{
    av_dict_free(&dictionary);
}

void FFmpegFree::operator()(AVFrame* frame) const
{
    av_frame_free(&frame);
}

void FFmpegFree::operator()(AVPacket* packet) const
{
    av_packet_free(&packet);
}

void FFmpegFree::operator()(AVFilterGraph* graph) const
{
    avfilter_graph_free(&graph);
}

void FFmpegFree::operator()(SwrContext* resampler) const
{
    swr_free(&resampler);
}

void FFmpegFree::operator()(uint8_t* buffer) const
{
    av_free(buffer);
}

void FFmpegFree::operator()(uint8_t** planes) const
{
    av_freep(&planes[0]);
    av_freep(&planes);
}

void InputFormatFree::operator()(AVFormatContext* format) const
{
    avformat_close_input(&format);
}

void OutputFormatFree::operator()(AVFormatContext* format) const
{
    avformat_free_context(format);
}

void FileOutputClose::operator()(AVIOContext* io) const
{
    avio_closep(&io);
}

void CustomOutputFree::operator()(AVIOContext* io) const
{
    av_freep(&io->buffer);
    avio_context_free(&io);
}

bool setOption(FFmpegPtr<AVDictionary>& options, const char* key, const char* value)
{
    return withOptions(options, [&](AVDictionary** dictionary) {
               return av_dict_set(dictionary, key, value, 0);
           }) >= 0;
}

bool setOption(FFmpegPtr<AVDictionary>& options, const char* key, int64_t value)
{
    return withOptions(options, [&](AVDictionary** dictionary) {
               return av_dict_set_int(dictionary, key, value, 0);
           }) >= 0;
}
