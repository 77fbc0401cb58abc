// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/StreamFormat.h"
#include "av/PeakEnvelope.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>
#include <atomic>
#include <cstdint>
#include <memory>
#include <pulse/sample.h>

class AacFileWriter;
class CaptureMixer;
class CaptureBuffers;
class PreRollBuffer;
class PulseCapture;
class PulseConnection;

// Capture thread: handles one complete capture buffer of the recorder given
// as context (silence rule, pseudo-record mode, hand-over to the writer).
// Wait-free but for the level lock; never allocates or touches files.
int AudioInputProc(void* context, uint64_t timeStampNanos, uint32_t frameCount);

// The recording engine: captures one input device (a sound server source)
// and writes it as stereo AAC into an .m4a file. Main thread only, except
// AudioInputProc. Failures the user must see are emitted as userMessage().
class RecorderEngine : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isRecording READ isRecording NOTIFY isRecordingChanged)
    Q_PROPERTY(QString outputFilePath READ outputFilePath WRITE setOutputFilePath NOTIFY
                   outputFilePathChanged)

public:
    // Why a recording ended without a stop from the program.
    enum class Interruption
    {
        DeviceLost,
        DiskFull,
        WriteFailed
    };
    Q_ENUM(Interruption)

    explicit RecorderEngine(QObject* parent = nullptr);
    explicit RecorderEngine(const QString& outputFilePath, QObject* parent = nullptr);
    ~RecorderEngine() override;

    static QVariantMap outputFormatForLowQuality();
    static QVariantMap outputFormatForMiddleQuality();
    static QVariantMap outputFormatForHighQuality();

    // Descriptions of every source, monitors of outputs included, in the
    // server's order; empty when the server cannot be reached.
    static QStringList availableInputDevices();
    // Description of the microphone recorded when none is chosen: the default
    // source, never the monitor of an output; null when there is none.
    static QString defaultInputDevice();
    // The input device name that records the default source and the monitor
    // of the default output at once, mixed. No source is named so.
    static QString mixedInputDevice();

    // 1, 2, 3: low, middle, high preset; other values are ignored.
    void setQuality(int quality);
    void setOutputFormat(const QVariantMap& format);
    QVariantMap outputFormat() const { return m_outputFormat; }
    void setOutputFilePath(const QString& path);
    QString outputFilePath() const { return m_outputFilePath; }
    // A device description, matched exactly; a null name is ignored.
    void setInputDevice(const QString& name);
    QString inputDevice() const { return m_inputDeviceName; }

    bool prepare();
    bool isRecording() const;

    void setSkipSilence(bool skip);
    bool isSkipSilence() const;
    void setThreshold(float threshold);
    float inputLevel() const;
    // The loudest level written to the recording since the last call,
    // measured whether or not silence is skipped: what the live waveform
    // shows, with no peak lost between two calls. Negative when nothing was
    // written since (a source may deliver in blocks).
    float takeRecordedLevel() { return m_recordedLevel.exchange(-1.0f, std::memory_order_relaxed); }
    void setPseudoRecord(bool pseudo);

    // Pre-roll: while it is on (seconds > 0) and nothing records, the engine
    // listens into memory only, and a recording begins with the last seconds
    // heard. Off with 0.
    void setPreRoll(int seconds);
    int preRoll() const { return m_preRollSeconds; }
    bool isListening() const { return m_listeningActive; }
    // The server's sources changed: listening for the pre-roll goes on
    // where the device to record now is, or begins again once it is back.
    void followDevices();
    // Whether the next start() begins with what was heard before it; a
    // continuation does not. Holds for one start.
    void setTakePreRoll(bool take) { m_takePreRoll = take; }
    // Seconds heard and kept in memory while listening. Any thread.
    double heardSeconds() const;
    // Seconds of sound from before the last start() that began its file.
    double preRollTaken() const { return m_preRollTaken; }

    // Wall-clock seconds from the start to the last written buffer.
    double currSeconds() const { return m_currSeconds.load(std::memory_order_relaxed); }
    // The capture format of the current configuration.
    uint32_t audioChannels() const { return m_audioChannels; }
    uint32_t audioSamples() const { return m_audioSamples; }
    // Buffers lost because the writer fell behind, in the last recording.
    uint64_t droppedBuffers() const { return m_droppedBuffers; }
    double droppedSeconds() const;
    // Seconds of the last recording that the sound server never delivered:
    // holes in the stream, and what came while the capture thread stalled
    // longer than the server keeps sound.
    double lostSeconds() const;
    // The description of the source the running (or last) capture records.
    QString sourceDescription() const { return m_sourceDescription; }
    // The peaks of the sound written into the last recording's file, as a
    // decoder gives it out; empty when the file ended early.
    const PeakEnvelope& writtenPeaks() const { return m_writtenPeaks; }
    // Samples of sound in that file (the encoder's delay and padding, which
    // it marks, not counted), and its rate.
    int64_t writtenLength() const { return m_writtenLength; }
    int writtenRate() const { return m_writtenRate; }

public slots:
    void start(QObject* sender = nullptr);
    // Returns when the file is complete and closed.
    void stop(QObject* sender = nullptr);

signals:
    void isRecordingChanged(bool isRecording);
    void isListeningChanged(bool isListening);
    void outputFilePathChanged(const QString& path);
    // After the recording state was cleared, before the file is closed.
    void soundFileRecorderWasStopped(RecorderEngine* recorder);
    // At most 30 times a second while recording, with currSeconds().
    void soundFileRecorderReachedDuration(RecorderEngine* recorder, double seconds);
    // The input device went away or the file could not be written; once
    // the receivers return, a recording still running is stopped.
    void soundFileRecorderWasInterrupted(RecorderEngine* recorder, Interruption why);
    // A message for the user's message box.
    void userMessage(const QString& text);

private:
    friend int AudioInputProc(void* context, uint64_t timeStampNanos, uint32_t frameCount);

    void cleanUp();
    QString setupAudioFile(bool startWriting = true);
    void startListening();
    void stopListening();
    // The listening capture goes on as the recording's, and the sound it
    // kept becomes the start of the file.
    QString takeOverListening();
    QString configureAU();
    QString configureMix(const QString& monitorName, const pa_sample_spec& spec,
                         uint32_t requestedFrames);
    bool startCapture();
    // The capture goes first so that no callback can reach what follows it.
    void releaseCapture();
    bool findSource(const QString& description, QString& sourceName);
    uint64_t captureLostFrames() const;
    void setRecording(bool recording);
    void notifyDelegateOfTimeChange();
    void watchForInterruption();

    std::unique_ptr<CaptureBuffers> m_audioBuffer;
    std::unique_ptr<PulseConnection> m_server;
    std::unique_ptr<PulseCapture> m_audioUnit;
    // With the mixed input: the monitor's capture beside the microphone's.
    std::unique_ptr<PulseCapture> m_monitorUnit;
    std::unique_ptr<CaptureMixer> m_mixer;
    std::unique_ptr<AacFileWriter> m_outputAudioFile;
    QString m_outputFilePath;
    QString m_inputDeviceName;
    QString m_inputDeviceID;
    uint32_t m_audioChannels = 0;
    uint32_t m_audioSamples = 0;
    uint64_t m_channelMask = 0;
    StreamFormat m_actualOutputFormat;
    StreamFormat m_deviceFormat;
    QVariantMap m_outputFormat;
    std::atomic<double> m_currSeconds{0.0};
    std::atomic<float> m_recordedLevel{-1.0f};
    uint64_t m_startHostTime = 0;
    bool m_isRecording = false;
    bool m_delegateWantsTimeChanges = false;
    std::atomic<bool> m_timeChanged{false};
    QTimer m_timeNoticeTimer;
    QTimer m_watchTimer;
    uint64_t m_droppedBuffers = 0;
    QString m_sourceDescription;
    uint64_t m_lostAtStart = 0;
    uint64_t m_lostFrames = 0;
    bool m_lostCounting = false;
    PeakEnvelope m_writtenPeaks;
    int64_t m_writtenLength = 0;
    int m_writtenRate = 0;

    std::unique_ptr<PreRollBuffer> m_preRoll;
    int m_preRollSeconds = 0;
    bool m_takePreRoll = true;
    double m_preRollTaken = 0;
    bool m_listeningActive = false;
    // Set while the capture thread keeps sound in the pre-roll; the capture
    // thread clears it itself once asked to hand over.
    std::atomic<bool> m_listening{false};
    std::atomic<bool> m_handOver{false};
};
