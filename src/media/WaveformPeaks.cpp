// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/WaveformPeaks.h"

#include "audio/FFmpegPtr.h"
#include "media/MediaSource.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cmath>

namespace {

// The largest absolute sample of one decoded frame, over its channels.
float framePeak(const AVFrame* frame)
{
    const int channels = frame->ch_layout.nb_channels;
    const auto format = AVSampleFormat(frame->format);
    const bool planar = av_sample_fmt_is_planar(format);
    const int planes = planar ? channels : 1;
    const int count = planar ? frame->nb_samples : frame->nb_samples * channels;
    float peak = 0;
    for (int p = 0; p < planes; ++p) {
        const uint8_t* data = frame->extended_data[p];
        switch (av_get_packed_sample_fmt(format)) {
        case AV_SAMPLE_FMT_FLT: {
            const auto* s = reinterpret_cast<const float*>(data);
            float lo = 0, hi = 0;
            for (int i = 0; i < count; ++i) {
                lo = std::min(lo, s[i]);
                hi = std::max(hi, s[i]);
            }
            peak = std::max({peak, hi, -lo});
            break;
        }
        case AV_SAMPLE_FMT_S16: {
            const auto* s = reinterpret_cast<const int16_t*>(data);
            int lo = 0, hi = 0;
            for (int i = 0; i < count; ++i) {
                lo = std::min<int>(lo, s[i]);
                hi = std::max<int>(hi, s[i]);
            }
            peak = std::max(peak, float(std::max(hi, -lo)) / 32768.0f);
            break;
        }
        case AV_SAMPLE_FMT_S32: {
            const auto* s = reinterpret_cast<const int32_t*>(data);
            int64_t lo = 0, hi = 0;
            for (int i = 0; i < count; ++i) {
                lo = std::min<int64_t>(lo, s[i]);
                hi = std::max<int64_t>(hi, s[i]);
            }
            peak = std::max(peak, float(std::max(hi, -lo)) / 2147483648.0f);
            break;
        }
        case AV_SAMPLE_FMT_DBL: {
            const auto* s = reinterpret_cast<const double*>(data);
            for (int i = 0; i < count; ++i)
                peak = std::max(peak, float(std::abs(s[i])));
            break;
        }
        default: { // unsigned 8 bit
            for (int i = 0; i < count; ++i)
                peak = std::max(peak, std::abs(float(data[i]) - 128.0f) / 128.0f);
            break;
        }
        }
    }
    return std::isfinite(peak) ? std::min(peak, 1.0f) : 1.0f;
}

} // namespace

std::vector<float> WaveformPeaks::compute(const QString& path, const std::atomic<bool>* cancel)
{
    MediaSource source;
    if (!source.open(path).isEmpty())
        return {};
    const AVCodec* codec = avcodec_find_decoder(source.codecParameters()->codec_id);
    const FFmpegPtr<AVCodecContext> decoder(codec ? avcodec_alloc_context3(codec) : nullptr);
    const FFmpegPtr<AVPacket> packet(av_packet_alloc());
    const FFmpegPtr<AVFrame> frame(av_frame_alloc());
    if (!decoder || !packet || !frame ||
        avcodec_parameters_to_context(decoder.get(), source.codecParameters()) < 0 ||
        avcodec_open2(decoder.get(), codec, nullptr) < 0)
        return {};

    // One peak and one length per decoded frame, brought to buckets at the end,
    // since a stream's announced length cannot be trusted.
    std::vector<float> framePeaks;
    std::vector<int> frameLengths;
    int64_t total = 0;
    auto drain = [&] {
        while (avcodec_receive_frame(decoder.get(), frame.get()) == 0) {
            framePeaks.push_back(framePeak(frame.get()));
            frameLengths.push_back(frame->nb_samples);
            total += frame->nb_samples;
            av_frame_unref(frame.get());
        }
    };
    while (source.readPacket(packet.get())) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return {};
        // A damaged packet is skipped; the envelope goes on past it.
        if (avcodec_send_packet(decoder.get(), packet.get()) == 0)
            drain();
        av_packet_unref(packet.get());
    }
    avcodec_send_packet(decoder.get(), nullptr);
    drain();
    if (total == 0)
        return {};

    std::vector<float> peaks(kBuckets, 0.0f);
    int64_t start = 0;
    for (size_t i = 0; i < framePeaks.size(); ++i) {
        const int64_t end = start + frameLengths[i];
        const int first = int(start * kBuckets / total);
        const int last = int(std::min<int64_t>((end - 1) * kBuckets / total, kBuckets - 1));
        for (int b = first; b <= last; ++b)
            peaks[size_t(b)] = std::max(peaks[size_t(b)], framePeaks[i]);
        start = end;
    }
    return peaks;
}

std::vector<float> WaveformPeaks::columns(const std::vector<float>& peaks, int count)
{
    std::vector<float> out(size_t(std::max(0, count)), 0.0f);
    if (peaks.empty() || count <= 0)
        return out;
    const size_t n = peaks.size();
    for (int c = 0; c < count; ++c) {
        const size_t first = size_t(c) * n / size_t(count);
        const size_t last = std::max(first + 1, (size_t(c) + 1) * n / size_t(count));
        out[size_t(c)] = *std::max_element(peaks.begin() + qsizetype(first),
                                           peaks.begin() + qsizetype(std::min(last, n)));
    }
    return out;
}
