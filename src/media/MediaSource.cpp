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
    if (m_format)
        avformat_close_input(&m_format);
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

    AVDictionary* options = nullptr;
    av_dict_set_int(&options, "probesize", kProbeBytes, 0);
    // Only local files: a playlist disguised as audio must not make the
    // program reach out to the network or run other protocols.
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    // The file: prefix keeps a name such as "concat:x|y" a plain file name.
    const QByteArray local = "file:" + QFile::encodeName(QFileInfo(path).absoluteFilePath());
    const int rc = avformat_open_input(&m_format, local.constData(), nullptr, &options);
    av_dict_free(&options);
    if (rc < 0) {
        m_format = nullptr;
        return QStringLiteral("The file is not an audio file");
    }
    m_format->probesize = kProbeBytes;
    m_format->max_analyze_duration = kAnalyzeMicroseconds;
    if (avformat_find_stream_info(m_format, nullptr) < 0) {
        close();
        return QStringLiteral("The file is damaged");
    }
    m_streamIndex = av_find_best_stream(m_format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
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
        if (av_read_frame(m_format, packet) < 0)
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
    if (sample > 0 &&
        av_seek_frame(m_format, m_streamIndex, toTimestamp(sample), AVSEEK_FLAG_BACKWARD) >= 0)
        return true;
    // From the very start, or where the demuxer cannot seek: read again from byte 0.
    const QString path = m_path;
    return open(path).isEmpty();
}
