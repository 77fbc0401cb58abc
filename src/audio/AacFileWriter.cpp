// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/AacFileWriter.h"

#include "audio/AudioLog.h"
#include "audio/CaptureBuffers.h"
#include "audio/Mp4Header.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <pthread.h>
#include <pulse/channelmap.h>
#include <system_error>
#include <unistd.h>

namespace {

// The ring holds seconds, so the writer wakes rarely (each wake-up costs a
// recording's CPU share): twice a second, within each of the second-long
// fragments the muxer completes; a stop wakes it at once.
constexpr auto kIdleWait = std::chrono::milliseconds(500);
// Room for the writer to fall behind, e.g. while a slow disk syncs.
constexpr double kRingSeconds = 20.0;
constexpr int64_t kFragmentMicroseconds = 1000000;
// A power cut loses at most this much of what was recorded.
constexpr double kSyncSeconds = 5.0;

AVChannelLayout layoutFor(uint32_t channels, uint64_t mask)
{
    AVChannelLayout layout{};
    if (mask == 0 || av_channel_layout_from_mask(&layout, mask) < 0 ||
        layout.nb_channels != static_cast<int>(channels))
        av_channel_layout_default(&layout, static_cast<int>(channels));
    return layout;
}

// About 1.5 bits per sample, which keeps speech clear at every preset; the
// encoder's own limit is 6144 bits per channel and frame.
int64_t bitRateFor(double sampleRate, uint32_t channels)
{
    const int64_t wanted =
        std::clamp<int64_t>(static_cast<int64_t>(sampleRate * channels * 1.5), 32000, 128000);
    const int64_t limit = static_cast<int64_t>(6144.0 * sampleRate / 1024.0) * channels;
    return std::min(wanted, limit);
}

uint64_t ffmpegChannel(pa_channel_position_t position)
{
    switch (position) {
    case PA_CHANNEL_POSITION_MONO:
    case PA_CHANNEL_POSITION_FRONT_CENTER:
        return AV_CH_FRONT_CENTER;
    case PA_CHANNEL_POSITION_FRONT_LEFT:
        return AV_CH_FRONT_LEFT;
    case PA_CHANNEL_POSITION_FRONT_RIGHT:
        return AV_CH_FRONT_RIGHT;
    case PA_CHANNEL_POSITION_REAR_CENTER:
        return AV_CH_BACK_CENTER;
    case PA_CHANNEL_POSITION_REAR_LEFT:
        return AV_CH_BACK_LEFT;
    case PA_CHANNEL_POSITION_REAR_RIGHT:
        return AV_CH_BACK_RIGHT;
    case PA_CHANNEL_POSITION_LFE:
        return AV_CH_LOW_FREQUENCY;
    case PA_CHANNEL_POSITION_FRONT_LEFT_OF_CENTER:
        return AV_CH_FRONT_LEFT_OF_CENTER;
    case PA_CHANNEL_POSITION_FRONT_RIGHT_OF_CENTER:
        return AV_CH_FRONT_RIGHT_OF_CENTER;
    case PA_CHANNEL_POSITION_SIDE_LEFT:
        return AV_CH_SIDE_LEFT;
    case PA_CHANNEL_POSITION_SIDE_RIGHT:
        return AV_CH_SIDE_RIGHT;
    case PA_CHANNEL_POSITION_TOP_CENTER:
        return AV_CH_TOP_CENTER;
    case PA_CHANNEL_POSITION_TOP_FRONT_LEFT:
        return AV_CH_TOP_FRONT_LEFT;
    case PA_CHANNEL_POSITION_TOP_FRONT_RIGHT:
        return AV_CH_TOP_FRONT_RIGHT;
    case PA_CHANNEL_POSITION_TOP_FRONT_CENTER:
        return AV_CH_TOP_FRONT_CENTER;
    case PA_CHANNEL_POSITION_TOP_REAR_LEFT:
        return AV_CH_TOP_BACK_LEFT;
    case PA_CHANNEL_POSITION_TOP_REAR_RIGHT:
        return AV_CH_TOP_BACK_RIGHT;
    case PA_CHANNEL_POSITION_TOP_REAR_CENTER:
        return AV_CH_TOP_BACK_CENTER;
    default:
        return 0;
    }
}

} // namespace

uint64_t AacFileWriter::channelMask(const pa_channel_map& map)
{
    uint64_t mask = 0;
    for (uint8_t i = 0; i < map.channels; ++i) {
        const uint64_t bit = ffmpegChannel(map.map[i]);
        // FFmpeg's native order runs by bit; a map in another order or with
        // an unknown position is left to FFmpeg's default layout.
        if (bit == 0 || bit <= mask)
            return 0;
        mask |= bit;
    }
    return mask;
}

AacFileWriter::AacFileWriter()
{
    av_log_set_level(AV_LOG_ERROR);
}

AacFileWriter::~AacFileWriter()
{
    close();
}

AacFileWriter::Result AacFileWriter::open(const QString& path, const Output& output,
                                          const Input& input)
{
    release();
    m_envelope.clear();
    m_soundLength = 0;
    const Result result = setUp(path, output, input);
    if (result != Result::Ok)
        release();
    return result;
}

AacFileWriter::Result AacFileWriter::setUp(const QString& path, const Output& output,
                                           const Input& input)
{
    m_input = input;
    if (path.isEmpty())
        return Result::CannotCreateFile;
    const auto outRate = static_cast<int>(output.sampleRate);
    if (outRate <= 0 || output.channels < 1 || output.channels > 2 || input.sampleRate <= 0 ||
        input.channels < 1 || input.channels > 8 || input.bufferFrames == 0)
        return Result::BadFormat;
    const QByteArray muxer = output.muxer.toUtf8();
    const QByteArray file = path.toUtf8();
    AVFormatContext* format = nullptr;
    if (avformat_alloc_output_context2(&format, nullptr, muxer.constData(), file.constData()) < 0)
        return Result::CannotCreateFile;
    m_format.reset(format);
    if (const Result result = openEncoder(output, input); result != Result::Ok)
        return result;

    const size_t bufferSamples = static_cast<size_t>(input.bufferFrames) * input.channels;
    const auto ringSamples = static_cast<size_t>(input.sampleRate * kRingSeconds) * input.channels;
    m_ring = std::make_unique<SpscRingBuffer>(std::max(ringSamples, 8 * bufferSamples));
    m_readBuffer.assign(bufferSamples, 0.0f);
    m_readPlanes.resize(input.channels);
    for (uint32_t c = 0; c < input.channels; ++c)
        m_readPlanes[c] = m_readBuffer.data() + static_cast<size_t>(c) * input.bufferFrames;

    AVIOContext* io = nullptr;
    if (avio_open(&io, file.constData(), AVIO_FLAG_WRITE) < 0)
        return Result::CannotCreateFile;
    m_file.reset(io);
    m_format->pb = io;
    // Any descriptor of the file syncs its data; this one also marks the delay in the header.
    m_syncFd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
    return Result::Ok;
}

AacFileWriter::Result AacFileWriter::openEncoder(const Output& output, const Input& input)
{
    const auto outRate = static_cast<int>(output.sampleRate);
    const AVCodec* encoder = avcodec_find_encoder(AV_CODEC_ID_AAC);
    m_stream = encoder ? avformat_new_stream(m_format.get(), nullptr) : nullptr;
    m_codec.reset(m_stream ? avcodec_alloc_context3(encoder) : nullptr);
    if (!m_codec)
        return Result::BadFormat;
    m_codec->sample_fmt = AV_SAMPLE_FMT_FLTP;
    m_codec->sample_rate = outRate;
    av_channel_layout_default(&m_codec->ch_layout, static_cast<int>(output.channels));
    m_codec->bit_rate = bitRateFor(output.sampleRate, output.channels);
    m_codec->time_base = AVRational{1, outRate};
    if (m_format->oformat->flags & AVFMT_GLOBALHEADER)
        m_codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(m_codec.get(), encoder, nullptr) < 0 ||
        avcodec_parameters_from_context(m_stream->codecpar, m_codec.get()) < 0)
        return Result::BadFormat;
    m_stream->time_base = m_codec->time_base;
    m_encoderDelay = m_codec->initial_padding;
    m_outputRate = outRate;
    m_peakDecoder.open(outRate, int(output.channels), m_codec->extradata, m_codec->extradata_size);

    AVChannelLayout inLayout = layoutFor(input.channels, input.channelMask);
    SwrContext* resampler = nullptr;
    const int swrResult =
        swr_alloc_set_opts2(&resampler, &m_codec->ch_layout, AV_SAMPLE_FMT_FLTP, outRate, &inLayout,
                            AV_SAMPLE_FMT_FLTP, static_cast<int>(input.sampleRate), 0, nullptr);
    av_channel_layout_uninit(&inLayout);
    m_resampler.reset(resampler);
    if (swrResult < 0 || swr_init(m_resampler.get()) < 0)
        return Result::BadFormat;

    const int frameSize = m_codec->frame_size > 0 ? m_codec->frame_size : 1024;
    m_convertedCapacity =
        swr_get_out_samples(m_resampler.get(), static_cast<int>(input.bufferFrames)) + frameSize;
    m_fifo.reset(
        av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, static_cast<int>(output.channels), 4 * frameSize));
    m_frame.reset(av_frame_alloc());
    m_packet.reset(av_packet_alloc());
    uint8_t** converted = nullptr;
    const int planes =
        av_samples_alloc_array_and_samples(&converted, nullptr, static_cast<int>(output.channels),
                                           m_convertedCapacity, AV_SAMPLE_FMT_FLTP, 0);
    m_converted.reset(converted);
    if (!m_fifo || !m_frame || !m_packet || planes < 0)
        return Result::BadFormat;
    m_frame->nb_samples = frameSize;
    m_frame->format = AV_SAMPLE_FMT_FLTP;
    m_frame->sample_rate = outRate;
    if (av_channel_layout_copy(&m_frame->ch_layout, &m_codec->ch_layout) < 0 ||
        av_frame_get_buffer(m_frame.get(), 0) < 0)
        return Result::BadFormat;
    return Result::Ok;
}

AacFileWriter::Result AacFileWriter::start(bool runThread)
{
    if (!m_file || m_headerWritten)
        return Result::CannotStartWriting;
    // Fragments of about a second, each pushed to the file as soon as it is
    // complete: the muxer otherwise keeps some 256 KB buffered.
    FFmpegPtr<AVDictionary> options;
    if (!setOption(options, "movflags", "empty_moov+default_base_moof") ||
        !setOption(options, "frag_duration", kFragmentMicroseconds) ||
        !setOption(options, "flush_packets", "1") ||
        withOptions(options, [this](AVDictionary** dictionary) {
            return avformat_write_header(m_format.get(), dictionary);
        }) < 0)
        return Result::CannotStartWriting;
    m_headerWritten = true;
    avio_flush(m_file.get());
    markEncoderDelay();
    if (!runThread)
        return Result::Ok;
    m_stopRequested.store(false);
    try {
        m_thread = std::thread(&AacFileWriter::run, this);
    } catch (const std::system_error&) {
        return Result::CannotStartWriting;
    }
    return Result::Ok;
}

bool AacFileWriter::push(const CaptureBuffers& buffers, uint32_t frames)
{
    if (!m_ring || frames != m_input.bufferFrames || buffers.numberBuffers() < m_input.channels)
        return false;
    if (!m_ring->write(buffers.channels(), m_input.channels, frames)) {
        m_dropped.fetch_add(1, std::memory_order_relaxed);
        return false;
    }
    return true;
}

void AacFileWriter::setLeadIn(std::vector<float> samples, size_t frames)
{
    m_leadIn = std::move(samples);
    m_leadInFrames = m_leadIn.size() >= frames * m_input.channels ? frames : 0;
}

void AacFileWriter::writeLeadIn()
{
    std::vector<const float*> planes(m_input.channels);
    for (size_t at = 0; at < m_leadInFrames; at += m_input.bufferFrames) {
        const auto frames = uint32_t(std::min<size_t>(m_input.bufferFrames, m_leadInFrames - at));
        for (uint32_t c = 0; c < m_input.channels; ++c)
            planes[c] = m_leadIn.data() + c * m_leadInFrames + at;
        encodeBuffer(planes.data(), frames);
    }
    m_leadIn = {};
    m_leadInFrames = 0;
}

void AacFileWriter::markEncoderDelay()
{
    // The muxer writes no edit list into the header of a fragmented file: it
    // is put in here, in place of the muxer's tag box, so that the header
    // keeps its size. The edit plays from the end of the delay to the end
    // of the media; the file's end is marked when it is complete.
    constexpr size_t kHeaderBytes = 4096;
    QByteArray header(kHeaderBytes, '\0');
    const ssize_t read = m_syncFd >= 0 ? ::pread(m_syncFd, header.data(), kHeaderBytes, 0) : -1;
    if (read <= 0)
        return;
    header.truncate(read);
    const QByteArray marked = Mp4Header::withEdit(header, m_encoderDelay);
    if (marked.isEmpty() ||
        ::pwrite(m_syncFd, marked.constData(), marked.size(), 0) != marked.size())
        qCWarning(lcAudio, "Recording: the encoder's delay could not be marked in the file");
}

void AacFileWriter::run()
{
    // Named, so that top -H and the footprint benchmark tell the encoding apart.
    pthread_setname_np(pthread_self(), "aac-writer");
    writeLeadIn();
    const size_t bufferSamples = m_readBuffer.size();
    for (;;) {
        // Read the flag first: whatever was pushed before it was set is drained below.
        const bool stopping = m_stopRequested.load(std::memory_order_acquire);
        while (m_ring->read(m_readBuffer.data(), bufferSamples)) {
            encodeBuffer(m_readPlanes.data(), m_input.bufferFrames);
            syncToDisk(false);
        }
        if (stopping)
            break;
        std::unique_lock lock(m_wakeMutex);
        m_wake.wait_for(lock, kIdleWait,
                        [this] { return m_stopRequested.load(std::memory_order_acquire); });
    }
}

bool AacFileWriter::encodeBuffer(const float* const* planes, uint32_t frames)
{
    m_framesIn.fetch_add(frames, std::memory_order_relaxed);
    return convert(reinterpret_cast<const uint8_t* const*>(planes), static_cast<int>(frames)) &&
           encodeFromFifo(false);
}

bool AacFileWriter::convert(const uint8_t* const* planes, int frames)
{
    if (m_failed)
        return false;
    const int converted = swr_convert(m_resampler.get(), m_converted.get(), m_convertedCapacity,
                                      const_cast<const uint8_t**>(planes), frames);
    if (converted < 0 ||
        av_audio_fifo_write(m_fifo.get(), reinterpret_cast<void**>(m_converted.get()), converted) <
            converted) {
        fail();
        return false;
    }
    return true;
}

bool AacFileWriter::encodeFromFifo(bool flushAll)
{
    const int frameSize = m_codec->frame_size > 0 ? m_codec->frame_size : 1024;
    while (!m_failed && (av_audio_fifo_size(m_fifo.get()) >= frameSize ||
                         (flushAll && av_audio_fifo_size(m_fifo.get()) > 0))) {
        if (av_frame_make_writable(m_frame.get()) < 0) {
            fail();
            break;
        }
        const int n = std::min(frameSize, av_audio_fifo_size(m_fifo.get()));
        m_frame->nb_samples = n;
        if (av_audio_fifo_read(m_fifo.get(), reinterpret_cast<void**>(m_frame->data), n) < n) {
            fail();
            break;
        }
        m_frame->pts = m_nextPts;
        m_nextPts += n;
        sendFrame(m_frame.get());
    }
    return !m_failed;
}

bool AacFileWriter::sendFrame(AVFrame* frame)
{
    if (avcodec_send_frame(m_codec.get(), frame) < 0) {
        fail();
        return false;
    }
    while (avcodec_receive_packet(m_codec.get(), m_packet.get()) == 0) {
        m_peakDecoder.decode(m_packet->data, m_packet->size);
        m_packet->stream_index = m_stream->index;
        av_packet_rescale_ts(m_packet.get(), m_codec->time_base, m_stream->time_base);
        const int written = av_interleaved_write_frame(m_format.get(), m_packet.get());
        if (written < 0) {
            av_packet_unref(m_packet.get());
            fail(m_file->error < 0 ? m_file->error : written);
            return false;
        }
    }
    return true;
}

void AacFileWriter::fail(int error)
{
    m_failed = true;
    const bool full =
        error == AVERROR(ENOSPC) || error == AVERROR(EDQUOT) || error == AVERROR(EFBIG);
    Failure expected = Failure::None;
    m_failure.compare_exchange_strong(expected, full ? Failure::DiskFull : Failure::WriteError);
}

void AacFileWriter::syncToDisk(bool force)
{
    const uint64_t frames = m_framesIn.load(std::memory_order_relaxed);
    if (m_syncFd < 0 || m_failed ||
        (!force && double(frames - m_framesSynced) < kSyncSeconds * m_input.sampleRate))
        return;
    m_framesSynced = frames;
    if (::fdatasync(m_syncFd) != 0)
        fail(AVERROR(errno));
}

void AacFileWriter::finish()
{
    if (!m_headerWritten)
        return;
    if (!m_failed) {
        const int converted =
            swr_convert(m_resampler.get(), m_converted.get(), m_convertedCapacity, nullptr, 0);
        if (converted > 0)
            av_audio_fifo_write(m_fifo.get(), reinterpret_cast<void**>(m_converted.get()),
                                converted);
        encodeFromFifo(true);
        sendFrame(nullptr);
        m_peakDecoder.decode(nullptr, 0);
    }
    // The sound as a player gives it out: without the encoder's delay and padding.
    m_soundLength = m_nextPts;
    m_envelope.clear();
    if (!m_failed) {
        m_envelope.append(m_peakDecoder.take(), m_encoderDelay);
        m_envelope.setLength(m_soundLength);
    }
    if (av_write_trailer(m_format.get()) < 0)
        qCWarning(lcAudio, "Recording: the end of the file could not be written");
    syncToDisk(true);
    m_headerWritten = false;
}

void AacFileWriter::close()
{
    if (m_thread.joinable()) {
        {
            const std::lock_guard lock(m_wakeMutex);
            m_stopRequested.store(true, std::memory_order_release);
        }
        m_wake.notify_one();
        m_thread.join();
    }
    finish();
    if (m_dropped.load() > 0)
        qCWarning(lcAudio, "Recording: %llu buffers were dropped because the writer fell behind",
                  static_cast<unsigned long long>(m_dropped.load()));
    release();
}

void AacFileWriter::release()
{
    // The muxer goes before the file it wrote to.
    m_format.reset();
    m_stream = nullptr;
    m_file.reset();
    if (m_syncFd >= 0)
        ::close(m_syncFd);
    m_syncFd = -1;
    m_framesSynced = 0;
    m_codec.reset();
    m_resampler.reset();
    m_fifo.reset();
    m_frame.reset();
    m_packet.reset();
    m_converted.reset();
    m_convertedCapacity = 0;
    m_nextPts = 0;
    m_headerWritten = false;
    m_failed = false;
    m_ring.reset();
    m_dropped.store(0);
    m_framesIn.store(0);
    m_failure.store(Failure::None);
}
