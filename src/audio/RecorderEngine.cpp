// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/RecorderEngine.h"

#include "audio/AacFileWriter.h"
#include "audio/AudioLog.h"
#include "audio/CaptureBuffers.h"
#include "audio/CaptureMixer.h"
#include "audio/IsSilence.h"
#include "audio/PreRollBuffer.h"
#include "audio/PulseCapture.h"
#include "audio/PulseSources.h"
#include "audio/SilenceSettings.h"
#include "av/PulseConnection.h"

#include <QMetaMethod>
#include <algorithm>
#include <climits>
#include <cmath>
#include <thread>

namespace {

constexpr int kNoErr = 0;
constexpr int kWriteFailed = -1;
// The capture buffer: 512 frames at 44.1 kHz, the same duration at other rates.
constexpr double kBufferSeconds = 512.0 / 44100.0;
// Asked of the server for one block of a single source: some 90 ms, so that
// a hand-over of the pre-roll still finds the next buffer well in time.
constexpr uint32_t kBuffersPerDelivery = 8;
// The writer's resampler takes up to eight input channels; the server mixes
// larger sources down to that.
constexpr uint32_t kMaxCaptureChannels = 8;
constexpr int kTimeNoticeIntervalMs = 33;
// The capture thread answers a hand-over at its next buffer, which comes
// with the next block of the server (see kBuffersPerDelivery).
constexpr auto kHandOverWait = std::chrono::milliseconds(200);
// A lost device or a failed write ends the recording within this time. The
// watch fires on the whole second, in the wake-up that the tray icon's pulse
// and the hidden window's ticks share: a rare event costs no wake-ups of its own.
constexpr int kWatchIntervalMs = 1000;

QVariantMap preset(double sampleRate)
{
    return {
        {kFormatSampleRate, sampleRate},
        {kFormatCodec, QStringLiteral("aac ")},
        {kFormatFramesPerPacket, 1024},
        {kFormatChannels, 2},
        {kFormatContainer, QStringLiteral("m4af")},
    };
}

} // namespace

int AudioInputProc(void* context, uint64_t timeStampNanos, uint32_t frameCount)
{
    auto* recorder = static_cast<RecorderEngine*>(context);
    if (recorder->m_listening.load(std::memory_order_acquire)) {
        if (!recorder->m_handOver.load(std::memory_order_acquire)) {
            recorder->m_preRoll->write(recorder->m_audioBuffer->channels(), frameCount);
            // The level meter goes on showing what is heard.
            IsSilence(frameCount, recorder->m_audioBuffer.get());
            return kNoErr;
        }
        // From this buffer on the pre-roll is the main thread's, and the sound goes to the file.
        recorder->m_listening.store(false, std::memory_order_release);
    }
    const bool pseudo = SilenceSettings::pseudoRecord.load(std::memory_order_relaxed);
    // Measured once, for silence skipping and for the live waveform.
    const float level = BufferLevel(frameCount, recorder->m_audioBuffer.get());
    if (SilenceSettings::skipSilence.load(std::memory_order_relaxed)) {
        const bool silent = IsSilentLevel(level);
        int32_t count = SilenceSettings::nSilenceBlocks.load(std::memory_order_relaxed);
        // Saturates instead of overflowing after years of silence.
        count = silent ? (count < INT32_MAX ? count + 1 : count) : 0;
        SilenceSettings::nSilenceBlocks.store(count, std::memory_order_relaxed);
        if (count > SilenceSettings::holdBuffers || pseudo)
            return kNoErr;
    } else if (pseudo) {
        return kNoErr;
    }
    if (!recorder->m_outputAudioFile ||
        !recorder->m_outputAudioFile->push(*recorder->m_audioBuffer, frameCount))
        return kWriteFailed;
    // Raised without a lock; the main thread takes it back to none (-1).
    for (float loudest = recorder->m_recordedLevel.load(std::memory_order_relaxed);
         level > loudest;)
        if (recorder->m_recordedLevel.compare_exchange_weak(loudest, level,
                                                            std::memory_order_relaxed))
            break;
    const uint64_t start = recorder->m_startHostTime;
    recorder->m_currSeconds.store(
        timeStampNanos > start ? static_cast<double>(timeStampNanos - start) * 1e-9 : 0.0,
        std::memory_order_relaxed);
    if (recorder->m_delegateWantsTimeChanges)
        recorder->m_timeChanged.store(true, std::memory_order_relaxed);
    return kNoErr;
}

RecorderEngine::RecorderEngine(QObject* parent)
    : QObject(parent), m_outputFormat(outputFormatForMiddleQuality())
{
    m_timeNoticeTimer.setInterval(kTimeNoticeIntervalMs);
    connect(&m_timeNoticeTimer, &QTimer::timeout, this,
            &RecorderEngine::notifyDelegateOfTimeChange);
    m_watchTimer.setTimerType(Qt::VeryCoarseTimer);
    m_watchTimer.setInterval(kWatchIntervalMs);
    connect(&m_watchTimer, &QTimer::timeout, this, &RecorderEngine::watchForInterruption);
}

RecorderEngine::RecorderEngine(const QString& outputFilePath, QObject* parent)
    : RecorderEngine(parent)
{
    setOutputFilePath(outputFilePath);
}

RecorderEngine::~RecorderEngine()
{
    // Observers may already be half gone; the file is still completed.
    blockSignals(true);
    cleanUp();
}

QVariantMap RecorderEngine::outputFormatForLowQuality()
{
    static const QVariantMap format = preset(11025.0);
    return format;
}

QVariantMap RecorderEngine::outputFormatForMiddleQuality()
{
    static const QVariantMap format = preset(22050.0);
    return format;
}

QVariantMap RecorderEngine::outputFormatForHighQuality()
{
    static const QVariantMap format = preset(44100.0);
    return format;
}

QStringList RecorderEngine::availableInputDevices()
{
    PulseConnection server;
    std::vector<PulseSourceInfo> sources;
    if (!server.connect() || !PulseSources(server).all(sources))
        return {};
    QStringList names;
    for (const PulseSourceInfo& source : sources)
        names << source.description;
    return names;
}

QString RecorderEngine::defaultInputDevice()
{
    PulseConnection server;
    PulseSources sources(server);
    PulseSourceInfo source;
    if (!server.connect() || !sources.sourceByName(sources.microphoneName(), source))
        return {};
    return source.description;
}

QString RecorderEngine::mixedInputDevice()
{
    return QStringLiteral("VoiceTray:MicrophoneAndComputerSound");
}

void RecorderEngine::setQuality(int quality)
{
    switch (quality) {
    case 1:
        setOutputFormat(outputFormatForLowQuality());
        break;
    case 2:
        setOutputFormat(outputFormatForMiddleQuality());
        break;
    case 3:
        setOutputFormat(outputFormatForHighQuality());
        break;
    default:
        break;
    }
}

void RecorderEngine::setOutputFormat(const QVariantMap& format)
{
    if (m_isRecording) {
        emit userMessage(tr("Can't change output format when recording has already started."));
        return;
    }
    if (format == m_outputFormat)
        return;
    m_outputFormat = format;
    cleanUp();
    startListening();
}

void RecorderEngine::setOutputFilePath(const QString& path)
{
    if (path == m_outputFilePath)
        return;
    m_outputFilePath = path;
    // Listening writes nothing, so the heard seconds stay for the new file.
    if (!m_listeningActive)
        cleanUp();
    emit outputFilePathChanged(m_outputFilePath);
}

void RecorderEngine::setInputDevice(const QString& name)
{
    if (name.isNull() || name == m_inputDeviceName)
        return;
    m_inputDeviceName = name;
    cleanUp();
    startListening();
}

bool RecorderEngine::isRecording() const
{
    return m_isRecording && !SilenceSettings::pseudoRecord.load(std::memory_order_relaxed);
}

void RecorderEngine::setSkipSilence(bool skip)
{
    if (skip == SilenceSettings::skipSilence.load())
        return;
    SilenceSettings::skipSilence.store(skip);
    cleanUp();
    startListening();
}

bool RecorderEngine::isSkipSilence() const
{
    return SilenceSettings::skipSilence.load(std::memory_order_relaxed) &&
           SilenceSettings::nSilenceBlocks.load(std::memory_order_relaxed) >
               SilenceSettings::holdBuffers;
}

void RecorderEngine::setThreshold(float threshold)
{
    SilenceSettings::soundThreshold.store(threshold);
}

float RecorderEngine::inputLevel() const
{
    return SilenceSettings::inputLevel();
}

void RecorderEngine::setPseudoRecord(bool pseudo)
{
    SilenceSettings::pseudoRecord.store(pseudo);
    if (!pseudo)
        startListening();
}

bool RecorderEngine::findSource(const QString& description, QString& sourceName)
{
    std::vector<PulseSourceInfo> sources;
    if (!PulseSources(*m_server).all(sources))
        return false;
    const auto found = std::find_if(sources.begin(), sources.end(), [&](const PulseSourceInfo& s) {
        return s.description == description;
    });
    if (found == sources.end())
        return false;
    sourceName = found->name;
    return true;
}

QString RecorderEngine::configureAU()
{
    releaseCapture();
    m_sourceDescription.clear();
    m_server = std::make_unique<PulseConnection>();
    if (!m_server->connect())
        return tr("VoiceTray cannot reach the sound server (PipeWire or PulseAudio).");

    PulseSources sources(*m_server);
    QString sourceName;
    QString monitorName;
    const bool mixed = m_inputDeviceName == mixedInputDevice();
    if (!m_inputDeviceName.isNull() && !mixed) {
        if (!findSource(m_inputDeviceName, sourceName))
            return tr("The input device \"%1\" is not connected.").arg(m_inputDeviceName);
    } else {
        // Asked at every start, so that the microphone now at hand records.
        sourceName = sources.microphoneName();
        if (sourceName.isEmpty())
            return tr("No microphone is connected.");
        if (mixed) {
            monitorName = sources.defaultMonitorName();
            if (monitorName.isEmpty())
                return tr("No sound output is there whose sound could be recorded.");
        }
    }
    PulseSourceInfo source;
    if (!sources.sourceByName(sourceName, source))
        return m_inputDeviceName.isNull() || mixed
                   ? tr("No microphone is connected.")
                   : tr("The input device \"%1\" is not connected.").arg(m_inputDeviceName);
    m_inputDeviceID = sourceName;
    m_sourceDescription = source.description;
    const QString cannotOpen =
        tr("The input device \"%1\" could not be opened.").arg(source.description);

    if (!pa_sample_spec_valid(&source.sampleSpec))
        return cannotOpen;
    m_deviceFormat = StreamFormat{
        .mSampleRate = static_cast<double>(source.sampleSpec.rate),
        .mFormatID = kCodecLinearPcm,
        .mChannelsPerFrame = source.sampleSpec.channels,
    };

    // The server mixes a source with more channels than the writer takes down to stereo.
    m_audioChannels = source.sampleSpec.channels > kMaxCaptureChannels || mixed
                          ? CaptureMixer::kChannels
                          : std::max<uint32_t>(source.sampleSpec.channels, 2);
    m_actualOutputFormat = StreamFormat{
        .mSampleRate = m_deviceFormat.mSampleRate,
        .mFormatID = kCodecLinearPcm,
        .mFormatFlags = kFlagFloat | kFlagPacked | kFlagNonInterleaved,
        .mBytesPerPacket = sizeof(float),
        .mFramesPerPacket = 1,
        .mBytesPerFrame = sizeof(float),
        .mChannelsPerFrame = m_audioChannels,
        .mBitsPerChannel = 8 * sizeof(float),
    };

    const pa_sample_spec spec{
        .format = PA_SAMPLE_FLOAT32NE,
        .rate = source.sampleSpec.rate,
        .channels = static_cast<uint8_t>(m_audioChannels),
    };
    if (!pa_sample_spec_valid(&spec))
        return tr("Could not change the stream format of the output device");

    m_audioUnit = std::make_unique<PulseCapture>(*m_server);
    if (!m_audioUnit->createStream(spec, source.channelMap))
        return cannotOpen;
    m_audioUnit->setBufferProc(AudioInputProc, this);

    const auto requestedFrames = static_cast<uint32_t>(
        std::lround(std::max(1.0, m_deviceFormat.mSampleRate * kBufferSeconds)));
    // Each block the server sends costs the capture thread a wake-up and
    // the server a message: a microphone alone comes several buffers at a
    // time. The mix keeps the two sources in step buffer by buffer.
    const uint32_t deliveryFrames = mixed ? requestedFrames : requestedFrames * kBuffersPerDelivery;
    if (!m_audioUnit->connect(sourceName, deliveryFrames, mixed) || !m_audioUnit->waitUntilReady())
        return cannotOpen;
    if (m_audioUnit->fragmentFrames() == 0)
        return tr("Could not determine audio sample size");
    // The sound goes on in capture buffers, whatever blocks the server delivers in.
    m_audioSamples = requestedFrames;
    m_audioBuffer = CaptureBuffers::allocate(m_audioChannels,
                                             m_actualOutputFormat.mBytesPerFrame * m_audioSamples);
    if (!m_audioBuffer)
        return tr("Could not allocate buffers for recording");
    if (mixed) {
        if (QString message = configureMix(monitorName, spec, requestedFrames); !message.isEmpty())
            return message;
    } else {
        m_audioUnit->setBufferList(m_audioBuffer.get(), m_audioSamples);
    }
    m_channelMask = AacFileWriter::channelMask(m_audioUnit->channelMap());
    return {};
}

QString RecorderEngine::configureMix(const QString& monitorName, const pa_sample_spec& spec,
                                     uint32_t requestedFrames)
{
    PulseSourceInfo monitor;
    if (!PulseSources(*m_server).sourceByName(monitorName, monitor))
        return tr("No sound output is there whose sound could be recorded.");
    const QString cannotOpen =
        tr("The input device \"%1\" could not be opened.").arg(monitor.description);
    m_mixer = std::make_unique<CaptureMixer>(m_actualOutputFormat.mSampleRate, m_audioSamples,
                                             *m_audioBuffer, AudioInputProc, this);
    if (!m_mixer->microphoneBuffers() || !m_mixer->monitorBuffers())
        return tr("Could not allocate buffers for recording");
    m_audioUnit->setBufferProc(CaptureMixer::microphoneProc, m_mixer.get());
    m_audioUnit->setBufferList(m_mixer->microphoneBuffers(), m_audioSamples);
    m_monitorUnit = std::make_unique<PulseCapture>(*m_server);
    if (!m_monitorUnit->createStream(spec, monitor.channelMap))
        return cannotOpen;
    m_monitorUnit->setBufferProc(CaptureMixer::monitorProc, m_mixer.get());
    if (!m_monitorUnit->connect(monitor.name, requestedFrames, true) ||
        !m_monitorUnit->waitUntilReady())
        return cannotOpen;
    m_monitorUnit->setBufferList(m_mixer->monitorBuffers(), m_audioSamples);
    return {};
}

bool RecorderEngine::startCapture()
{
    return m_audioUnit && m_audioUnit->start() && (!m_monitorUnit || m_monitorUnit->start());
}

uint64_t RecorderEngine::captureLostFrames() const
{
    return (m_audioUnit ? m_audioUnit->lostFrames() : 0) +
           (m_monitorUnit ? m_monitorUnit->lostFrames() : 0);
}

void RecorderEngine::releaseCapture()
{
    if (m_isRecording || m_lostCounting) {
        m_lostFrames = captureLostFrames() - std::min(captureLostFrames(), m_lostAtStart);
        m_lostCounting = false;
        const uint32_t overruns = (m_audioUnit ? m_audioUnit->overflows() : 0) +
                                  (m_monitorUnit ? m_monitorUnit->overflows() : 0);
        if (overruns > 0)
            qCWarning(lcAudio, "Recording: the sound server's buffer overran %u times", overruns);
    }
    m_monitorUnit.reset();
    m_audioUnit.reset();
    if (m_mixer && m_mixer->silencedMonitorFrames() > 0)
        qCWarning(lcAudio, "The computer's sound came late; %.1f s of it are silence",
                  double(m_mixer->silencedMonitorFrames()) / m_actualOutputFormat.mSampleRate);
    m_mixer.reset();
    m_server.reset();
}

QString RecorderEngine::setupAudioFile(bool startWriting)
{
    const uint32_t fileType = containerFrom(m_outputFormat);
    QString muxer;
    if (fileType == kContainerM4a)
        muxer = QStringLiteral("ipod");
    else if (fileType == kContainerMp4)
        muxer = QStringLiteral("mp4");
    else
        return tr("Could not create the audio file");
    const StreamFormat description = streamFormatFrom(m_outputFormat);
    // Refused before the writer creates the file, so that nothing is left behind.
    if (description.mFormatID != kCodecAac)
        return tr("Could not set up data format for output file");

    auto writer = std::make_unique<AacFileWriter>();
    const AacFileWriter::Output output{
        .muxer = muxer,
        .sampleRate = description.mSampleRate,
        .channels = description.mChannelsPerFrame,
    };
    const AacFileWriter::Input input{
        .sampleRate = m_actualOutputFormat.mSampleRate,
        .channels = m_audioChannels,
        .channelMask = m_channelMask,
        .bufferFrames = m_audioSamples,
    };
    AacFileWriter::Result result = writer->open(m_outputFilePath, output, input);
    if (result == AacFileWriter::Result::Ok && startWriting)
        result = writer->start();
    switch (result) {
    case AacFileWriter::Result::Ok:
        break;
    case AacFileWriter::Result::CannotCreateFile:
        return tr("Could not create the audio file");
    case AacFileWriter::Result::BadFormat:
        return tr("Could not set up data format for output file");
    case AacFileWriter::Result::CannotStartWriting:
        return tr("Could not initialize asynchronous writing");
    }
    m_outputAudioFile = std::move(writer);
    return {};
}

bool RecorderEngine::prepare()
{
    QString message = configureAU();
    if (message.isEmpty() && !SilenceSettings::pseudoRecord.load())
        message = setupAudioFile();
    if (message.isEmpty())
        return true;
    cleanUp();
    qCWarning(lcAudio, "Recording could not start: %s", qPrintable(message));
    emit userMessage(message);
    return false;
}

void RecorderEngine::start(QObject*)
{
    if (m_isRecording)
        return;
    // The level meter of the preferences opens a capture of its own.
    if (SilenceSettings::pseudoRecord.load())
        stopListening();
    const bool takePreRoll = std::exchange(m_takePreRoll, true);
    m_preRollTaken = 0;
    m_writtenPeaks.clear();
    m_startHostTime = PulseCapture::monotonicNanos();
    if (m_listeningActive) {
        m_takePreRoll = takePreRoll;
        const QString message = takeOverListening();
        m_takePreRoll = true;
        if (!message.isEmpty()) {
            cleanUp();
            qCWarning(lcAudio, "Recording could not start: %s", qPrintable(message));
            emit userMessage(message);
            return;
        }
    } else if (!m_audioUnit && !prepare()) {
        // Its one message is shown; nothing else is tried.
        return;
    }
    m_currSeconds.store(0.0);
    m_recordedLevel.store(-1.0f);
    m_timeChanged.store(false);
    m_delegateWantsTimeChanges = isSignalConnected(
        QMetaMethod::fromSignal(&RecorderEngine::soundFileRecorderReachedDuration));
    if (!startCapture()) {
        // The next attempt opens the capture anew, on the device then at hand.
        cleanUp();
        qCWarning(lcAudio, "Recording could not start: the sound server did not start the stream");
        emit userMessage(tr("Could not start recording"));
        return;
    }
    m_lostFrames = 0;
    m_lostAtStart = captureLostFrames();
    m_lostCounting = true;
    if (m_delegateWantsTimeChanges)
        m_timeNoticeTimer.start();
    m_watchTimer.start();
    setRecording(true);
}

void RecorderEngine::stop(QObject*)
{
    if (!m_isRecording)
        return;
    // Once both streams have stopped, no callback runs; the mixer then
    // writes what the microphone sent ahead of the computer's sound.
    const bool monitorStopped = !m_monitorUnit || m_monitorUnit->stop();
    if ((m_audioUnit && !m_audioUnit->stop()) || !monitorStopped)
        emit userMessage(tr("Could not stop recording"));
    if (m_mixer)
        m_mixer->drain();
    m_timeNoticeTimer.stop();
    m_watchTimer.stop();
    setRecording(false);
    emit soundFileRecorderWasStopped(this);
    cleanUp();
    startListening();
}

void RecorderEngine::cleanUp()
{
    stopListening();
    stop();
    releaseCapture();
    if (m_lostFrames > 0 && m_outputAudioFile)
        qCWarning(lcAudio,
                  "Recording: %.1f s of sound could not be captured (holes in the stream, "
                  "or the capture thread stalled longer than the server keeps sound)",
                  lostSeconds());
    if (m_outputAudioFile) {
        m_droppedBuffers = m_outputAudioFile->droppedBuffers();
        m_outputAudioFile->close();
        m_writtenPeaks = m_outputAudioFile->takeEnvelope();
        m_writtenLength = m_outputAudioFile->soundLength();
        m_writtenRate = m_outputAudioFile->outputRate();
        m_outputAudioFile.reset();
    }
}

void RecorderEngine::setRecording(bool recording)
{
    m_isRecording = recording;
    emit isRecordingChanged(isRecording());
}

double RecorderEngine::lostSeconds() const
{
    const double rate = m_actualOutputFormat.mSampleRate;
    return rate > 0 ? double(m_lostFrames) / rate : 0.0;
}

double RecorderEngine::droppedSeconds() const
{
    const double rate = m_actualOutputFormat.mSampleRate;
    return rate > 0 ? double(m_droppedBuffers) * m_audioSamples / rate : 0.0;
}

void RecorderEngine::watchForInterruption()
{
    Interruption why = Interruption::DeviceLost;
    if ((m_audioUnit && m_audioUnit->isLost()) || (m_monitorUnit && m_monitorUnit->isLost()))
        why = Interruption::DeviceLost;
    else if (m_outputAudioFile && m_outputAudioFile->failure() == AacFileWriter::Failure::DiskFull)
        why = Interruption::DiskFull;
    else if (m_outputAudioFile && m_outputAudioFile->failure() != AacFileWriter::Failure::None)
        why = Interruption::WriteFailed;
    else
        return;
    m_watchTimer.stop();
    if (why == Interruption::DeviceLost)
        qCWarning(lcAudio, "The input device \"%s\" went away%s", qPrintable(m_sourceDescription),
                  isRecording() ? "; the recording stops" : "");
    else
        qCWarning(lcAudio, "Writing \"%s\" failed%s; the recording stops",
                  qPrintable(m_outputFilePath),
                  why == Interruption::DiskFull ? ": the disk is full" : "");
    if (!isRecording()) {
        // Only listening for the pre-roll: listen again where the device
        // still is, else stay closed so that a recording says what is wrong.
        cleanUp();
        startListening();
        return;
    }
    emit soundFileRecorderWasInterrupted(this, why);
    stop();
}

void RecorderEngine::notifyDelegateOfTimeChange()
{
    if (m_timeChanged.exchange(false) && m_isRecording)
        emit soundFileRecorderReachedDuration(this, currSeconds());
}

void RecorderEngine::setPreRoll(int seconds)
{
    seconds = std::max(0, seconds);
    if (seconds == m_preRollSeconds)
        return;
    m_preRollSeconds = seconds;
    if (m_isRecording)
        return;
    stopListening();
    cleanUp();
    startListening();
}

double RecorderEngine::heardSeconds() const
{
    return m_preRoll && m_actualOutputFormat.mSampleRate > 0
               ? double(m_preRoll->heldFrames()) / m_actualOutputFormat.mSampleRate
               : 0.0;
}

void RecorderEngine::startListening()
{
    if (m_preRollSeconds <= 0 || m_isRecording || m_listeningActive ||
        SilenceSettings::pseudoRecord.load())
        return;
    if (!m_audioUnit) {
        if (const QString message = configureAU(); !message.isEmpty()) {
            qCWarning(lcAudio, "Cannot listen for the pre-roll: %s", qPrintable(message));
            cleanUp();
            return;
        }
    }
    m_preRoll = std::make_unique<PreRollBuffer>(
        m_audioChannels, size_t(std::lround(m_actualOutputFormat.mSampleRate * m_preRollSeconds)));
    m_handOver.store(false);
    m_listening.store(true);
    if (!startCapture()) {
        qCWarning(lcAudio, "Cannot listen for the pre-roll: the capture does not start");
        m_listening.store(false);
        cleanUp();
        return;
    }
    m_listeningActive = true;
    m_watchTimer.start();
    emit isListeningChanged(true);
}

void RecorderEngine::followDevices()
{
    if (m_isRecording || m_preRollSeconds <= 0 || SilenceSettings::pseudoRecord.load())
        return;
    // Without a chosen device the default may have moved to another microphone.
    if (m_listeningActive && m_server &&
        (!m_inputDeviceName.isNull() ||
         PulseSources(*m_server).microphoneName() == m_inputDeviceID))
        return;
    stopListening();
    cleanUp();
    startListening();
}

void RecorderEngine::stopListening()
{
    if (!m_listeningActive)
        return;
    m_listeningActive = false;
    m_watchTimer.stop();
    // The capture goes first, so that no callback reaches the pre-roll.
    releaseCapture();
    m_listening.store(false);
    m_preRoll.reset();
    emit isListeningChanged(false);
}

QString RecorderEngine::takeOverListening()
{
    m_listeningActive = false;
    emit isListeningChanged(false);
    if (const QString message = setupAudioFile(false); !message.isEmpty())
        return message;
    m_handOver.store(true, std::memory_order_release);
    const auto deadline = std::chrono::steady_clock::now() + kHandOverWait;
    while (m_listening.load(std::memory_order_acquire) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    // A source that delivers nothing now: the capture is paused for the hand-over.
    if (m_listening.load(std::memory_order_acquire)) {
        if (m_monitorUnit)
            m_monitorUnit->pause();
        m_audioUnit->pause();
        m_listening.store(false, std::memory_order_release);
    }
    size_t frames = 0;
    std::vector<float> heard = m_preRoll->take(frames);
    m_preRoll.reset();
    if (m_takePreRoll) {
        m_preRollTaken = double(frames) / m_actualOutputFormat.mSampleRate;
        m_outputAudioFile->setLeadIn(std::move(heard), frames);
    }
    if (m_outputAudioFile->start() != AacFileWriter::Result::Ok)
        return tr("Could not initialize asynchronous writing");
    return {};
}
