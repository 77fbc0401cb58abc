// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/AudioFilterChain.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/samplefmt.h>
}

#include <algorithm>
#include <cstring>

AudioFilterChain::AudioFilterChain(int rate, int channels, const QString& filters, int format,
                                   int frameSize)
    : m_rate(rate), m_channels(channels), m_filters(filters), m_format(format),
      m_frameSize(frameSize)
{
}

bool AudioFilterChain::open(Sink sink)
{
    m_sink = std::move(sink);
    m_graph.reset(avfilter_graph_alloc());
    m_frame.reset(av_frame_alloc());
    if (!m_graph || !m_frame)
        return false;
    // The filters may use more threads than the caller's; the workers that
    // run chains side by side already keep the cores busy.
    m_graph->nb_threads = 1;
    AVChannelLayout layout;
    av_channel_layout_default(&layout, m_channels);
    char layoutName[64] = {};
    av_channel_layout_describe(&layout, layoutName, sizeof layoutName);
    const QByteArray source = QStringLiteral("time_base=1/%1:sample_rate=%1:sample_fmt=flt:"
                                             "channel_layout=%2")
                                  .arg(m_rate)
                                  .arg(QString::fromLatin1(layoutName))
                                  .toLatin1();
    if (avfilter_graph_create_filter(&m_source, avfilter_get_by_name("abuffer"), "in",
                                     source.constData(), nullptr, m_graph.get()) < 0 ||
        avfilter_graph_create_filter(&m_output, avfilter_get_by_name("abuffersink"), "out", nullptr,
                                     nullptr, m_graph.get()) < 0)
        return false;
    const QByteArray chain =
        QStringLiteral("%1aformat=sample_fmts=%2:sample_rates=%3:channel_layouts=%4")
            .arg(m_filters.isEmpty() ? QString() : m_filters + QLatin1Char(','))
            .arg(QString::fromLatin1(av_get_sample_fmt_name(AVSampleFormat(m_format))))
            .arg(m_rate)
            .arg(QString::fromLatin1(layoutName))
            .toLatin1();
    AVFilterInOut* outputs = avfilter_inout_alloc();
    AVFilterInOut* inputs = avfilter_inout_alloc();
    bool ok = outputs && inputs;
    if (ok) {
        outputs->name = av_strdup("in");
        outputs->filter_ctx = m_source;
        inputs->name = av_strdup("out");
        inputs->filter_ctx = m_output;
        ok = avfilter_graph_parse_ptr(m_graph.get(), chain.constData(), &inputs, &outputs,
                                      nullptr) >= 0 &&
             avfilter_graph_config(m_graph.get(), nullptr) >= 0;
    }
    avfilter_inout_free(&inputs);
    avfilter_inout_free(&outputs);
    if (ok && m_frameSize > 0)
        av_buffersink_set_frame_size(m_output, unsigned(m_frameSize));
    return ok;
}

bool AudioFilterChain::feed(const float* samples, int64_t frames)
{
    constexpr int64_t kChunk = 4096;
    for (int64_t done = 0; done < frames;) {
        const int count = int(std::min(kChunk, frames - done));
        AVFrame* frame = av_frame_alloc();
        if (!frame)
            return false;
        frame->format = AV_SAMPLE_FMT_FLT;
        frame->sample_rate = m_rate;
        av_channel_layout_default(&frame->ch_layout, m_channels);
        frame->nb_samples = count;
        frame->pts = m_fed;
        if (av_frame_get_buffer(frame, 0) < 0) {
            av_frame_free(&frame);
            return false;
        }
        std::memcpy(frame->data[0], samples + done * m_channels,
                    size_t(count) * size_t(m_channels) * sizeof(float));
        const int sent = av_buffersrc_add_frame_flags(m_source, frame, 0);
        av_frame_free(&frame);
        if (sent < 0)
            return false;
        m_fed += count;
        done += count;
        if (!drain())
            return false;
    }
    return true;
}

bool AudioFilterChain::finish()
{
    return av_buffersrc_add_frame_flags(m_source, nullptr, 0) >= 0 && drain();
}

bool AudioFilterChain::drain()
{
    for (;;) {
        const int got = av_buffersink_get_frame(m_output, m_frame.get());
        if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
            return true;
        if (got < 0)
            return false;
        const bool more = m_sink(m_frame.get());
        av_frame_unref(m_frame.get());
        if (!more)
            return false;
    }
}
