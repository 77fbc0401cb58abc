// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/DecodedAudio.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cmath>

DecodedAudio DecodedAudio::decode(const QString& path)
{
    DecodedAudio result;
    AVFormatContext* format = nullptr;
    const QByteArray file = path.toUtf8();
    if (avformat_open_input(&format, file.constData(), nullptr, nullptr) < 0)
        return result;
    AVCodecContext* codec = nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    const int stream = avformat_find_stream_info(format, nullptr) >= 0
                           ? av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0)
                           : -1;
    if (stream >= 0) {
        const AVCodecParameters* par = format->streams[stream]->codecpar;
        const AVCodec* decoder = avcodec_find_decoder(par->codec_id);
        codec = decoder ? avcodec_alloc_context3(decoder) : nullptr;
        if (codec && avcodec_parameters_to_context(codec, par) >= 0 &&
            avcodec_open2(codec, decoder, nullptr) >= 0) {
            result.ok = true;
            result.codec = QString::fromLatin1(decoder->name);
            result.sampleRate = codec->sample_rate;
            result.channels.resize(static_cast<size_t>(codec->ch_layout.nb_channels));
        }
    }
    auto drain = [&] {
        while (avcodec_receive_frame(codec, frame) == 0) {
            for (size_t c = 0; c < result.channels.size(); ++c) {
                for (int i = 0; i < frame->nb_samples; ++i) {
                    float v = 0;
                    if (frame->format == AV_SAMPLE_FMT_FLTP)
                        v = reinterpret_cast<const float*>(frame->extended_data[c])[i];
                    else if (frame->format == AV_SAMPLE_FMT_FLT)
                        v = reinterpret_cast<const float*>(
                            frame->data[0])[static_cast<size_t>(i) * result.channels.size() + c];
                    else if (frame->format == AV_SAMPLE_FMT_S16P)
                        v = reinterpret_cast<const int16_t*>(frame->extended_data[c])[i] / 32768.0f;
                    else if (frame->format == AV_SAMPLE_FMT_S16)
                        v = reinterpret_cast<const int16_t*>(
                                frame->data[0])[static_cast<size_t>(i) * result.channels.size() +
                                                c] /
                            32768.0f;
                    result.channels[c].push_back(v);
                }
            }
        }
    };
    while (result.ok && av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == stream && avcodec_send_packet(codec, packet) >= 0)
            drain();
        av_packet_unref(packet);
    }
    if (result.ok && avcodec_send_packet(codec, nullptr) >= 0)
        drain();
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    return result;
}

double DecodedAudio::frequency(size_t channel, size_t from, size_t to) const
{
    const std::vector<float>& s = channels.at(channel);
    to = std::min(to, s.size());
    size_t first = 0;
    size_t last = 0;
    int crossings = 0;
    for (size_t i = from + 1; i < to; ++i) {
        if (s[i - 1] < 0.0f && s[i] >= 0.0f) {
            if (crossings == 0)
                first = i;
            last = i;
            ++crossings;
        }
    }
    if (crossings < 2)
        return 0.0;
    return (crossings - 1) * static_cast<double>(sampleRate) / static_cast<double>(last - first);
}

float DecodedAudio::peak(size_t channel, size_t from, size_t to) const
{
    const std::vector<float>& s = channels.at(channel);
    float p = 0.0f;
    for (size_t i = from; i < std::min(to, s.size()); ++i)
        p = std::max(p, std::fabs(s[i]));
    return p;
}
