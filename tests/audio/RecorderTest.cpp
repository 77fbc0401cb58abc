// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/DecodedAudio.h"
#include "audio/KvSoundFileRecorder.h"
#include "audio/MonoPipeFeeder.h"
#include "audio/RecorderTestSupport.h"
#include "support/PulseServer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

class RecorderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PulseServer::instance().isRunning());
        ASSERT_TRUE(m_dir.isValid());
        QObject::connect(&m_recorder, &KvSoundFileRecorder::userMessage,
                         [this](const QString& text) { m_messages << text; });
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }

    // Records the tone of the mono pipe for about the given time; answers
    // the time the capture ran, from the return of start to the call of stop.
    double recordTone(const QString& file, int milliseconds)
    {
        m_recorder.setInputDevice(PulseServer::instance().monoPipeSourceDescription());
        m_recorder.setOutputFilePath(file);
        m_recorder.start();
        EXPECT_TRUE(m_recorder.isRecording());
        QElapsedTimer timer;
        timer.start();
        {
            MonoPipeFeeder feeder;
            spinFor(milliseconds);
        }
        const double seconds = static_cast<double>(timer.elapsed()) / 1000.0;
        m_recorder.stop();
        return seconds;
    }

    QTemporaryDir m_dir;
    KvSoundFileRecorder m_recorder;
    QStringList m_messages;
};

TEST_F(RecorderTest, ListsEverySourceInServerOrderWithTheDefault)
{
    PulseServer& server = PulseServer::instance();
    EXPECT_EQ(
        KvSoundFileRecorder::availableInputDevices(),
        QStringList({server.nullSinkMonitorDescription(), server.sineSourceDescription(),
                     server.monoPipeSourceDescription(), server.quadPipeSourceDescription()}));
    EXPECT_EQ(KvSoundFileRecorder::defaultInputDevice(), server.sineSourceDescription());
}

TEST_F(RecorderTest, PresetsWriteTheMonoToneOnBothChannelsForTheCaptureTime)
{
    // 0 and 4 are no presets: a new recorder keeps the middle one.
    m_recorder.setQuality(0);
    m_recorder.setQuality(4);
    const std::pair<int, int> presets[] = {{2, 22050}, {1, 11025}, {3, 44100}};
    for (const auto& [quality, rate] : presets) {
        SCOPED_TRACE(quality);
        m_recorder.setQuality(quality);
        const QString file = path(QStringLiteral("q%1.m4a").arg(quality));
        const double captured = recordTone(file, 1200);

        const DecodedAudio audio = DecodedAudio::decode(file);
        ASSERT_TRUE(audio.ok);
        EXPECT_EQ(audio.codec, QStringLiteral("aac"));
        EXPECT_EQ(audio.sampleRate, rate);
        ASSERT_EQ(audio.channels.size(), 2u);
        EXPECT_NEAR(audio.seconds(), captured, 0.2);
        const auto from = static_cast<size_t>(0.2 * rate);
        const auto to = static_cast<size_t>(1.0 * rate);
        EXPECT_NEAR(audio.frequency(0, from, to), 440.0, 3.0);
        EXPECT_NEAR(audio.peak(0, from, to), 0.5f, 0.05f);
        // Both channels carry the mono signal, up to the encoder's noise.
        double signal = 0.0;
        double difference = 0.0;
        for (size_t i = 0; i < audio.frames(); ++i) {
            signal += audio.channels[0][i] * audio.channels[0][i];
            const double d = audio.channels[0][i] - audio.channels[1][i];
            difference += d * d;
        }
        EXPECT_LT(difference, 1e-3 * signal);
    }
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join(QLatin1Char('\n')).toStdString();
}

TEST_F(RecorderTest, FourChannelsBecomeStereoWithTheFrontChannelsInPlace)
{
    m_recorder.setQuality(3);
    m_recorder.setInputDevice(PulseServer::instance().quadPipeSourceDescription());
    const QString file = path(QStringLiteral("quad.m4a"));
    m_recorder.setOutputFilePath(file);
    m_recorder.start();
    ASSERT_TRUE(m_recorder.isRecording());
    EXPECT_EQ(m_recorder.audioChannels(), 4u);

    const int rate = PulseServer::pipeRate;
    const std::vector<float> left = tone(rate, 440.0, 0.5f, rate);
    const std::vector<float> right = tone(rate, 660.0, 0.5f, rate);
    std::vector<float> quad(static_cast<size_t>(rate) * 4, 0.0f);
    for (int i = 0; i < rate; ++i) {
        quad[4 * i] = left[i];
        quad[4 * i + 1] = right[i];
    }
    ASSERT_TRUE(PulseServer::instance().writeQuadPipe(quad.data(), static_cast<size_t>(rate)));
    spinFor(400);
    m_recorder.stop();

    const DecodedAudio audio = DecodedAudio::decode(file);
    ASSERT_TRUE(audio.ok);
    ASSERT_EQ(audio.channels.size(), 2u);
    EXPECT_NEAR(audio.seconds(), 1.0, 0.1);
    EXPECT_NEAR(audio.frequency(0, 4000, 40000), 440.0, 3.0);
    EXPECT_NEAR(audio.frequency(1, 4000, 40000), 660.0, 3.0);
}

TEST_F(RecorderTest, FailuresShowTheirStepsMessageAndLeaveTheRecorderUsable)
{
    const QString sine = PulseServer::instance().sineSourceDescription();
    m_recorder.setInputDevice(QStringLiteral("No Such Microphone"));
    m_recorder.setOutputFilePath(path(QStringLiteral("a.m4a")));
    m_recorder.start();
    EXPECT_FALSE(m_recorder.isRecording());
    EXPECT_EQ(m_messages, QStringList({QStringLiteral("Couldn't get default input device"),
                                       QStringLiteral("Could not start recording")}));
    // Device names are matched exactly.
    m_messages.clear();
    m_recorder.setInputDevice(sine.toUpper());
    m_recorder.start();
    EXPECT_FALSE(m_recorder.isRecording());
    EXPECT_EQ(m_messages.value(0), QStringLiteral("Couldn't get default input device"));

    m_messages.clear();
    m_recorder.setInputDevice(sine);
    m_recorder.setOutputFilePath(path(QStringLiteral("missing-folder/a.m4a")));
    m_recorder.start();
    EXPECT_FALSE(m_recorder.isRecording());
    EXPECT_EQ(m_messages, QStringList({QStringLiteral("Could not create the audio file"),
                                       QStringLiteral("Could not start recording")}));

    m_messages.clear();
    QVariantMap mp3 = KvSoundFileRecorder::outputFormatForHighQuality();
    mp3[KvAudioStreamFormat] = QStringLiteral(".mp3");
    m_recorder.setOutputFormat(mp3);
    m_recorder.setOutputFilePath(path(QStringLiteral("b.m4a")));
    m_recorder.start();
    EXPECT_EQ(m_messages.value(0), QStringLiteral("Could not set up data format for output file"));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("b.m4a"))));

    m_messages.clear();
    const QByteArray server = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", "unix:/nonexistent/vt-native");
    m_recorder.start();
    EXPECT_TRUE(KvSoundFileRecorder::availableInputDevices().isEmpty());
    EXPECT_TRUE(KvSoundFileRecorder::defaultInputDevice().isNull());
    qputenv("PULSE_SERVER", server);
    EXPECT_EQ(m_messages, QStringList({QStringLiteral("Couldn't open AudioUnit component"),
                                       QStringLiteral("Could not start recording")}));

    m_messages.clear();
    m_recorder.setQuality(3);
    const QString file = path(QStringLiteral("c.m4a"));
    m_recorder.setOutputFilePath(file);
    m_recorder.start();
    ASSERT_TRUE(m_recorder.isRecording());
    m_recorder.setOutputFormat(KvSoundFileRecorder::outputFormatForLowQuality());
    EXPECT_TRUE(m_recorder.isRecording());
    EXPECT_EQ(m_messages, QStringList(QStringLiteral(
                              "Can't change output format when recording has already started.")));
    EXPECT_EQ(m_recorder.outputFormat(), KvSoundFileRecorder::outputFormatForHighQuality());
    spinFor(300);
    m_recorder.stop();
    const DecodedAudio audio = DecodedAudio::decode(file);
    EXPECT_EQ(audio.sampleRate, 44100);
    EXPECT_GT(audio.seconds(), 0.2);
}

// A hung server (stopped, still taking connections) ends each wait at the
// answer timeout with that step's message; what was recorded stays playable.
TEST_F(RecorderTest, HungServerFailsWithMessagesInsteadOfHanging)
{
    PulseServer& server = PulseServer::instance();
    const QString file = path(QStringLiteral("hung.m4a"));
    m_recorder.setInputDevice(server.monoPipeSourceDescription());
    m_recorder.setOutputFilePath(file);
    m_recorder.start();
    ASSERT_TRUE(m_recorder.isRecording());
    {
        MonoPipeFeeder feeder;
        spinFor(500);
    }
    server.pause();
    m_recorder.stop();
    EXPECT_FALSE(m_recorder.isRecording());
    EXPECT_EQ(m_messages, QStringList(QStringLiteral("Could not stop recording")));
    EXPECT_GT(DecodedAudio::decode(file).seconds(), 0.2);

    m_messages.clear();
    m_recorder.start();
    EXPECT_FALSE(m_recorder.isRecording());
    EXPECT_TRUE(KvSoundFileRecorder::availableInputDevices().isEmpty());
    server.resume();
    EXPECT_EQ(m_messages, QStringList({QStringLiteral("Couldn't open AudioUnit component"),
                                       QStringLiteral("Could not start recording")}));
    m_recorder.start();
    EXPECT_TRUE(m_recorder.isRecording());
    m_recorder.stop();
}

TEST_F(RecorderTest, NoticesFollowTheRecordingAndSettersStopItOnlyOnChange)
{
    QSignalSpy recording(&m_recorder, &KvSoundFileRecorder::isRecordingChanged);
    QSignalSpy pathChanged(&m_recorder, &KvSoundFileRecorder::outputFilePathChanged);
    QSignalSpy started(&m_recorder, &KvSoundFileRecorder::soundFileRecorderWasStarted);
    QSignalSpy stopped(&m_recorder, &KvSoundFileRecorder::soundFileRecorderWasStopped);
    QList<double> durations;
    QObject::connect(&m_recorder, &KvSoundFileRecorder::soundFileRecorderReachedDuration,
                     [&](KvSoundFileRecorder*, double seconds) { durations << seconds; });

    m_recorder.stop(); // not recording: nothing happens
    EXPECT_EQ(stopped.count(), 0);

    m_recorder.setInputDevice(PulseServer::instance().monoPipeSourceDescription());
    const QString file = path(QStringLiteral("n.m4a"));
    m_recorder.setOutputFilePath(file);
    m_recorder.setOutputFilePath(file);
    EXPECT_EQ(pathChanged.count(), 1);
    EXPECT_EQ(m_recorder.property("outputFilePath").toString(), file);

    m_recorder.start();
    m_recorder.start(); // already recording: nothing happens
    EXPECT_EQ(started.count(), 1);
    ASSERT_EQ(recording.count(), 1);
    EXPECT_TRUE(recording.at(0).at(0).toBool());
    EXPECT_TRUE(m_recorder.property("isRecording").toBool());
    {
        MonoPipeFeeder feeder;
        spinFor(500);
    }
    spinFor(50);
    EXPECT_GE(durations.size(), 5);
    EXPECT_TRUE(std::is_sorted(durations.begin(), durations.end()));
    EXPECT_NEAR(durations.value(durations.size() - 1), 0.5, 0.15);
    EXPECT_NEAR(m_recorder.currSeconds(), 0.5, 0.15);

    // Equal values leave the capture running; a new path stops it.
    m_recorder.setOutputFilePath(file);
    m_recorder.setInputDevice(PulseServer::instance().monoPipeSourceDescription());
    m_recorder.setSkipSilence(false);
    EXPECT_TRUE(m_recorder.isRecording());
    m_recorder.setOutputFilePath(path(QStringLiteral("other.m4a")));
    EXPECT_FALSE(m_recorder.isRecording());
    EXPECT_EQ(stopped.count(), 1);
    ASSERT_EQ(recording.count(), 2);
    EXPECT_FALSE(recording.at(1).at(0).toBool());
    EXPECT_GT(DecodedAudio::decode(file).seconds(), 0.2);

    // Turning silence skipping on ends a running capture too.
    m_recorder.start();
    ASSERT_TRUE(m_recorder.isRecording());
    m_recorder.setSkipSilence(true);
    EXPECT_FALSE(m_recorder.isRecording());
    m_recorder.setSkipSilence(false);
}

TEST_F(RecorderTest, PseudoRecordMeasuresTheLevelWithoutAFile)
{
    const QString file = path(QStringLiteral("pseudo.m4a"));
    m_recorder.setInputDevice(PulseServer::instance().sineSourceDescription());
    m_recorder.setOutputFilePath(file);
    m_recorder.setSkipSilence(true);
    m_recorder.setPseudoRecord(true);
    m_recorder.start();
    EXPECT_FALSE(m_recorder.isRecording());
    spinFor(300);
    const float level = m_recorder.inputLevel();
    m_recorder.stop();
    m_recorder.setPseudoRecord(false);
    m_recorder.setSkipSilence(false);

    EXPECT_FALSE(QFile::exists(file));
    // A sine's peak-to-peak level is twice its amplitude.
    EXPECT_GT(level, 0.2f);
    EXPECT_LE(level, 2.0f);
    EXPECT_TRUE(m_messages.isEmpty());
    // With skipping off the level keeps its last value.
    EXPECT_EQ(m_recorder.inputLevel(), level);
}

} // namespace
