// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/MediaSource.h"

#include <QFileInfo>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

#include <mutex>

namespace {

// Bounds for recognising a file, so a huge file of junk is refused quickly.
constexpr int64_t kProbeBytes = 5 * 1024 * 1024;
constexpr int64_t kAnalyzeMicroseconds = 5 * 1000 * 1000;

void quietLibraries()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_FATAL); });
}

} // namespace

MediaSource::~MediaSource()
{
    close();
}

void MediaSource::close()
{
    m_format.reset();
    m_streamIndex = -1;
}

QString MediaSource::open(const QString& path)
{
    close();
    quietLibraries();
    m_path = path;
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return QStringLiteral("The file does not exist");
    if (!info.isFile())
        return QStringLiteral("The path is not a file");
    if (info.size() == 0)
        return QStringLiteral("The file is empty");

    FFmpegPtr<AVDictionary> options;
    // Only local files: a playlist disguised as audio must not make the
    // program reach out to the network or run other protocols.
    if (!setOption(options, "probesize", kProbeBytes) ||
        !setOption(options, "protocol_whitelist", "file"))
        return QStringLiteral("The file is not an audio file");
    // The file: prefix keeps a name such as "concat:x|y" a plain file name.
    const QByteArray local = "file:" + QFile::encodeName(QFileInfo(path).absoluteFilePath());
    // On failure FFmpeg frees the context and leaves the pointer null.
    AVFormatContext* format = nullptr;
    if (withOptions(options, [&](AVDictionary** dictionary) {
            return avformat_open_input(&format, local.constData(), nullptr, dictionary);
        }) < 0)
        return QStringLiteral("The file is not an audio file");
    m_format.reset(format);
    m_format->probesize = kProbeBytes;
    m_format->max_analyze_duration = kAnalyzeMicroseconds;
    if (avformat_find_stream_info(m_format.get(), nullptr) < 0) {
        close();
        return QStringLiteral("The file is damaged");
    }
    m_streamIndex = av_find_best_stream(m_format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (m_streamIndex < 0) {
        close();
        return QStringLiteral("The file has no audio");
    }
    const AVCodecParameters* par = codecParameters();
    if (par->sample_rate <= 0 || par->ch_layout.nb_channels <= 0) {
        close();
        return QStringLiteral("The file has no audio");
    }
    for (unsigned i = 0; i < m_format->nb_streams; ++i) {
        if (static_cast<int>(i) != m_streamIndex)
            m_format->streams[i]->discard = AVDISCARD_ALL;
    }
    return {};
}

AVStream* MediaSource::stream() const
{
    return m_format ? m_format->streams[m_streamIndex] : nullptr;
}

const AVCodecParameters* MediaSource::codecParameters() const
{
    return m_format ? stream()->codecpar : nullptr;
}

int MediaSource::sampleRate() const
{
    return m_format ? codecParameters()->sample_rate : 0;
}

int MediaSource::channels() const
{
    return m_format ? codecParameters()->ch_layout.nb_channels : 0;
}

int64_t MediaSource::toSamples(int64_t ts) const
{
    return av_rescale_q(ts, stream()->time_base, AVRational{1, sampleRate()});
}

int64_t MediaSource::toTimestamp(int64_t samples) const
{
    return av_rescale_q(samples, AVRational{1, sampleRate()}, stream()->time_base);
}

bool MediaSource::readPacket(AVPacket* packet)
{
    if (!m_format)
        return false;
    for (;;) {
        if (av_read_frame(m_format.get(), packet) < 0)
            return false;
        if (packet->stream_index == m_streamIndex)
            return true;
        av_packet_unref(packet);
    }
}

bool MediaSource::seekToSample(int64_t sample)
{
    if (!m_format)
        return false;
    if (sample > 0 && av_seek_frame(m_format.get(), m_streamIndex, toTimestamp(sample),
                                    AVSEEK_FLAG_BACKWARD) >= 0)
        return true;
    // From the very start, or where the demuxer cannot seek: read again from byte 0.
    const QString path = m_path;
    return open(path).isEmpty();
}
