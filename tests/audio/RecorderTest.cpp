// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/RecorderEngine.h"
#include "support/Media.h"
#include "support/PulseServer.h"
#include "support/Wait.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <gtest/gtest.h>
#include <thread>
#include <tuple>

namespace {

constexpr int kRate = PulseServer::pipeRate;
const QString kNoServer = "VoiceTray cannot reach the sound server (PipeWire or PulseAudio).";

std::vector<float> tone(size_t frames, double frequency)
{
    std::vector<float> samples(frames);
    for (size_t i = 0; i < frames; ++i)
        samples[i] = 0.5f * float(std::sin(2 * M_PI * frequency * double(i) / kRate));
    return samples;
}

class Recorder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QObject::connect(&m_recorder, &RecorderEngine::userMessage,
                         [this](const QString& text) { m_messages << text; });
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }
    // Records the clock-paced tone of the mono pipe for a second and a bit;
    // answers how much of the tone was fed.
    double recordTone(const QString& file)
    {
        m_recorder.setInputDevice(PulseServer::instance().monoPipeSourceDescription());
        m_recorder.setOutputFilePath(file);
        m_recorder.start();
        EXPECT_TRUE(m_recorder.isRecording());
        double fed = 0;
        {
            MonoPipeFeeder feeder;
            EXPECT_TRUE(waitUntil([&] { return feeder.seconds() >= 1.2; }));
            fed = feeder.seconds();
        }
        m_recorder.stop();
        return fed;
    }

    QTemporaryDir m_dir;
    RecorderEngine m_recorder;
    QStringList m_messages;
};

} // namespace

TEST_F(Recorder, ListsEverySourceInServerOrderWithTheDefault)
{
    PulseServer& server = PulseServer::instance();
    EXPECT_EQ(
        RecorderEngine::availableInputDevices(),
        QStringList({server.nullSinkMonitorDescription(), server.sineSourceDescription(),
                     server.monoPipeSourceDescription(), server.quadPipeSourceDescription()}));
    EXPECT_EQ(RecorderEngine::defaultInputDevice(), server.sineSourceDescription());
    // The monitor of an output is never taken for the microphone.
    EXPECT_TRUE(PulseServer::setDefault("source", server.nullSinkName() + ".monitor"));
    EXPECT_EQ(RecorderEngine::defaultInputDevice(), server.sineSourceDescription());
    PulseServer::setDefault("source", "vt_sine");
}

TEST_F(Recorder, PresetsWriteTheMonoToneOnBothChannelsForAsLongAsItWasFed)
{
    const std::pair<int, int> presets[] = {{2, 22050}, {1, 11025}, {3, 44100}};
    for (const auto& [quality, rate] : presets) {
        SCOPED_TRACE(quality);
        m_recorder.setQuality(quality);
        const QString file = path(QStringLiteral("q%1.m4a").arg(quality));
        const double fed = recordTone(file);

        const DecodedAudio audio = DecodedAudio::decode(file);
        ASSERT_TRUE(audio.ok);
        EXPECT_EQ(audio.codec, QStringLiteral("aac"));
        EXPECT_EQ(audio.sampleRate, rate);
        ASSERT_EQ(audio.channels.size(), 2u);
        EXPECT_NEAR(audio.seconds(), fed, 0.25);
        const auto from = size_t(0.2 * rate);
        const auto to = size_t(1.0 * rate);
        EXPECT_NEAR(audio.frequency(0, from, to), 440.0, 3.0);
        // Both channels carry the mono signal.
        EXPECT_NEAR(audio.frequency(1, from, to), 440.0, 3.0);
        EXPECT_NEAR(audio.peak(1, from, to), 0.5f, 0.05f);
    }
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join(QLatin1Char('\n')).toStdString();
}

TEST_F(Recorder, FourChannelsBecomeStereoWithTheFrontChannelsInPlace)
{
    m_recorder.setQuality(3);
    m_recorder.setInputDevice(PulseServer::instance().quadPipeSourceDescription());
    const QString file = path(QStringLiteral("quad.m4a"));
    m_recorder.setOutputFilePath(file);
    m_recorder.start();
    ASSERT_TRUE(m_recorder.isRecording());
    EXPECT_EQ(m_recorder.audioChannels(), 4u);
    // 440 Hz in front left and 660 Hz in front right, fed a tenth of a
    // second at a time as a sound card delivers, until more than a second is
    // written: the server may drop what comes before it runs the source.
    const size_t frames = size_t(kRate) * 4;
    const std::vector<float> left = tone(frames, 440.0);
    const std::vector<float> right = tone(frames, 660.0);
    std::vector<float> quad(frames * 4, 0.0f);
    for (size_t i = 0; i < frames; ++i) {
        quad[4 * i] = left[i];
        quad[4 * i + 1] = right[i];
    }
    const size_t chunk = size_t(kRate) / 10;
    size_t fed = 0;
    for (; fed + chunk <= frames && m_recorder.currSeconds() < 1.2; fed += chunk) {
        ASSERT_TRUE(PulseServer::instance().writeQuadPipe(quad.data() + 4 * fed, chunk));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    m_recorder.stop();

    const DecodedAudio audio = DecodedAudio::decode(file);
    ASSERT_TRUE(audio.ok);
    ASSERT_EQ(audio.channels.size(), 2u);
    EXPECT_GE(audio.seconds(), 1.0);
    EXPECT_LE(audio.seconds(), double(fed) / kRate + 0.05);
    EXPECT_NEAR(audio.frequency(0, 4000, 40000), 440.0, 3.0);
    EXPECT_NEAR(audio.frequency(1, 4000, 40000), 660.0, 3.0);
}

TEST_F(Recorder, FailuresShowTheirStepsMessageAndLeaveTheRecorderUsable)
{
    const QString sine = PulseServer::instance().sineSourceDescription();
    QVariantMap mp3 = RecorderEngine::outputFormatForHighQuality();
    mp3[kFormatCodec] = QStringLiteral(".mp3");
    const struct
    {
        QString device;
        QString file;
        QVariantMap format;
        QByteArray server;
        QString message;
    } cases[] = {
        {"No Such Microphone",
         "a.m4a",
         {},
         {},
         "The input device \"No Such Microphone\" is not connected."},
        {sine.toUpper(),
         "a.m4a",
         {},
         {}, // names are exact
         "The input device \"" + sine.toUpper() + "\" is not connected."},
        {sine, "missing-folder/a.m4a", {}, {}, "Could not create the audio file"},
        {sine, "b.m4a", mp3, {}, "Could not set up data format for output file"},
        {sine, "b.m4a", {}, "unix:/nonexistent/vt-native", kNoServer},
    };
    const QByteArray server = qgetenv("PULSE_SERVER");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        m_messages.clear();
        m_recorder.setInputDevice(c.device);
        m_recorder.setOutputFilePath(path(c.file));
        m_recorder.setOutputFormat(c.format.isEmpty() ? RecorderEngine::outputFormatForHighQuality()
                                                      : c.format);
        if (!c.server.isEmpty())
            qputenv("PULSE_SERVER", c.server);
        m_recorder.start();
        EXPECT_FALSE(m_recorder.isRecording());
        EXPECT_EQ(m_messages, QStringList(c.message)); // one failure, one message
        if (!c.format.isEmpty()) {
            EXPECT_FALSE(QFile::exists(path(c.file))); // a refused format makes no file
        }
        if (!c.server.isEmpty()) {
            EXPECT_TRUE(RecorderEngine::availableInputDevices().isEmpty());
            EXPECT_TRUE(RecorderEngine::defaultInputDevice().isNull());
            qputenv("PULSE_SERVER", server);
        }
    }
    // Still usable; the format stays while the capture runs.
    m_messages.clear();
    m_recorder.setOutputFilePath(path(QStringLiteral("c.m4a")));
    m_recorder.start();
    ASSERT_TRUE(m_recorder.isRecording());
    m_recorder.setOutputFormat(RecorderEngine::outputFormatForLowQuality());
    EXPECT_TRUE(m_recorder.isRecording());
    EXPECT_EQ(m_messages, QStringList(QStringLiteral(
                              "Can't change output format when recording has already started.")));
    EXPECT_EQ(m_recorder.outputFormat(), RecorderEngine::outputFormatForHighQuality());
    m_recorder.stop();
}

TEST_F(Recorder, SourcesWithMoreThanEightChannelsRecordMixedToStereo)
{
    const QString module =
        PulseServer::pactl({"load-module", "module-null-sink", "sink_name=vt_ten", "channels=10",
                            "sink_properties=device.description=Ten"});
    m_recorder.setInputDevice("Monitor of Ten");
    m_recorder.setOutputFilePath(path("ten.m4a"));
    m_recorder.start();
    EXPECT_TRUE(m_recorder.isRecording());
    EXPECT_EQ(m_recorder.audioChannels(), 2u);
    m_recorder.stop();
    PulseServer::pactl({"unload-module", module});
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join(' ').toStdString();
}

// A hung server (stopped, still taking connections) ends each wait at the
// answer timeout with that step's message; what was recorded stays playable.
TEST_F(Recorder, HungServerFailsWithMessagesInsteadOfHanging)
{
    PulseServer& server = PulseServer::instance();
    const QString file = path(QStringLiteral("hung.m4a"));
    m_recorder.setInputDevice(server.monoPipeSourceDescription());
    m_recorder.setOutputFilePath(file);
    m_recorder.start();
    ASSERT_TRUE(m_recorder.isRecording());
    {
        MonoPipeFeeder feeder;
        ASSERT_TRUE(waitUntil([&] { return feeder.seconds() >= 0.5; }));
    }
    server.pause();
    m_recorder.stop();
    EXPECT_FALSE(m_recorder.isRecording());
    EXPECT_EQ(m_messages, QStringList(QStringLiteral("Could not stop recording")));
    EXPECT_GT(DecodedAudio::decode(file).seconds(), 0.2);

    m_messages.clear();
    m_recorder.start();
    EXPECT_FALSE(m_recorder.isRecording());
    EXPECT_TRUE(RecorderEngine::availableInputDevices().isEmpty());
    server.resume();
    EXPECT_EQ(m_messages, QStringList(kNoServer));
    m_recorder.start();
    EXPECT_TRUE(m_recorder.isRecording());
    m_recorder.stop();
}

TEST_F(Recorder, NoticesFollowTheRecordingAndSettersStopItOnlyOnChange)
{
    QSignalSpy recording(&m_recorder, &RecorderEngine::isRecordingChanged);
    QList<double> durations;
    QObject::connect(&m_recorder, &RecorderEngine::soundFileRecorderReachedDuration,
                     [&](RecorderEngine*, double seconds) { durations << seconds; });
    m_recorder.setInputDevice(PulseServer::instance().monoPipeSourceDescription());
    const QString file = path(QStringLiteral("n.m4a"));
    m_recorder.setOutputFilePath(file);
    m_recorder.start();
    m_recorder.start(); // already recording: nothing happens
    ASSERT_EQ(recording.count(), 1);
    {
        // The notices count the time of the captured sound.
        MonoPipeFeeder feeder;
        ASSERT_TRUE(waitUntil([&] { return feeder.seconds() >= 0.6 && durations.size() >= 5; }));
        EXPECT_NEAR(m_recorder.currSeconds(), feeder.seconds(), 0.3);
    }
    EXPECT_TRUE(std::is_sorted(durations.begin(), durations.end()));
    // Equal values leave the capture running; a new path stops it.
    m_recorder.setOutputFilePath(file);
    m_recorder.setInputDevice(PulseServer::instance().monoPipeSourceDescription());
    EXPECT_TRUE(m_recorder.isRecording());
    m_recorder.setOutputFilePath(path(QStringLiteral("other.m4a")));
    EXPECT_FALSE(m_recorder.isRecording());
    EXPECT_EQ(recording.count(), 2);
    EXPECT_GT(DecodedAudio::decode(file).seconds(), 0.2);
    // Turning silence skipping on ends a running capture too.
    m_recorder.start();
    m_recorder.setSkipSilence(true);
    EXPECT_FALSE(m_recorder.isRecording());
    m_recorder.setSkipSilence(false);
}

TEST_F(Recorder, TheRecordedLevelTakenIsTheLoudestSinceTheLastTake)
{
    m_recorder.setInputDevice(PulseServer::instance().monoPipeSourceDescription());
    m_recorder.setOutputFilePath(path(QStringLiteral("burst.m4a")));
    m_recorder.start();
    ASSERT_TRUE(m_recorder.isRecording());
    // A burst of 20 ms between quiet stretches, fed at the pace of the clock
    // and taken only a second after it.
    std::vector<float> sound = tone(3 * kRate / 2, 440.0);
    for (size_t i = 0; i < sound.size(); ++i)
        sound[i] *= i >= kRate / 2 && i < kRate / 2 + kRate / 50 ? 0.5f : 0.01f;
    const size_t chunk = kRate / 100;
    const auto begin = std::chrono::steady_clock::now();
    for (size_t at = 0; at < sound.size(); at += chunk) {
        ASSERT_TRUE(PulseServer::instance().writeMonoPipe(&sound[at], chunk));
        std::this_thread::sleep_until(begin + std::chrono::milliseconds(10 * (at / chunk + 1)));
    }
    ASSERT_TRUE(waitUntil([&] { return m_recorder.currSeconds() >= 1.4; }));
    EXPECT_GT(m_recorder.takeRecordedLevel(), 0.4f);
    EXPECT_LT(m_recorder.takeRecordedLevel(), 0.1f);
    m_recorder.stop();
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(Recorder, PseudoRecordMeasuresTheLevelWithoutAFile)
{
    const QString file = path(QStringLiteral("pseudo.m4a"));
    m_recorder.setInputDevice(PulseServer::instance().sineSourceDescription());
    m_recorder.setOutputFilePath(file);
    m_recorder.setSkipSilence(true);
    m_recorder.setPseudoRecord(true);
    m_recorder.start();
    EXPECT_FALSE(m_recorder.isRecording());
    // A sine's peak-to-peak level is twice its amplitude.
    EXPECT_TRUE(waitUntil([&] { return m_recorder.inputLevel() > 0.2f; }));
    m_recorder.stop();
    m_recorder.setPseudoRecord(false);
    m_recorder.setSkipSilence(false);
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_TRUE(m_messages.isEmpty());
}

// A recording process killed without warning leaves a file that plays up to
// its last complete fragment.
TEST_F(Recorder, PreRollBeginsTheRecordingWithTheSecondsHeardAndKeepsThemInMemoryOnly)
{
    m_recorder.setInputDevice(PulseServer::instance().monoPipeSourceDescription());
    m_recorder.setQuality(3);
    const QString file = path("preroll.m4a");
    m_recorder.setOutputFilePath(file);
    m_recorder.setPreRoll(5);
    ASSERT_TRUE(m_recorder.isListening());
    const std::vector<float> before = tone(3 * kRate, 1000.0);
    ASSERT_TRUE(PulseServer::instance().writeMonoPipe(before.data(), before.size()));
    ASSERT_TRUE(waitUntil([&] { return m_recorder.heardSeconds() >= 2.99; }));
    EXPECT_FALSE(QFile::exists(file));
    m_recorder.start();
    ASSERT_TRUE(m_recorder.isRecording());
    EXPECT_FALSE(m_recorder.isListening());
    EXPECT_NEAR(m_recorder.preRollTaken(), 3.0, 0.02);
    {
        MonoPipeFeeder feeder;
        ASSERT_TRUE(waitUntil([&] { return feeder.seconds() >= 1.2; }));
    }
    m_recorder.stop();
    EXPECT_NEAR(frequencyAt(file, 0.2, 2.6), 1000.0, 5.0);
    EXPECT_NEAR(frequencyAt(file, 3.2, 0.8), 440.0, 5.0);
    // Listening again; a continuation begins with nothing from before it.
    ASSERT_TRUE(m_recorder.isListening());
    ASSERT_TRUE(PulseServer::instance().writeMonoPipe(before.data(), kRate));
    ASSERT_TRUE(waitUntil([&] { return m_recorder.heardSeconds() >= 0.99; }));
    m_recorder.setOutputFilePath(path("part.m4a"));
    m_recorder.setTakePreRoll(false);
    m_recorder.start();
    EXPECT_EQ(m_recorder.preRollTaken(), 0.0);
    m_recorder.stop();
    m_recorder.setPreRoll(0);
    EXPECT_FALSE(m_recorder.isListening());
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join(QLatin1Char('\n')).toStdString();
}

TEST(KilledRecording, FileOfAKilledRecorderPlaysTheTone)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("killed.m4a"));
    QProcess helper;
    helper.start(QStringLiteral(VT_RECORD_HELPER),
                 {file, PulseServer::instance().sineSourceDescription()});
    ASSERT_TRUE(helper.waitForReadyRead(10000)) << helper.readAllStandardError().toStdString();
    ASSERT_EQ(helper.readAllStandardOutput().trimmed(), QByteArray("recording"));
    // Each fragment reaches the disk as soon as it is complete.
    EXPECT_TRUE(waitUntil([&] { return DecodedAudio::decode(file).seconds() >= 2.0; }));
    ::kill(static_cast<pid_t>(helper.processId()), SIGKILL);
    ASSERT_TRUE(helper.waitForFinished(5000));
    EXPECT_EQ(helper.exitStatus(), QProcess::CrashExit);

    const DecodedAudio audio = DecodedAudio::decode(file);
    ASSERT_TRUE(audio.ok);
    EXPECT_EQ(audio.sampleRate, 44100);
    EXPECT_GE(audio.seconds(), 2.0);
    EXPECT_NEAR(audio.frequency(0, 4410, 2 * 44100 - 4410), PulseServer::sineFrequency, 3.0);
    EXPECT_GT(audio.peak(0, 4410, 2 * 44100), 0.1f);
}

// The default source's 440 Hz tone on both channels and, played into the
// default output, a minute of 1000 Hz on the right channel with two short
// gaps 50 s apart: the file holds both tones throughout, the right minus the
// left channel is the played tone, and its gaps lie where they were played,
// within one capture buffer. The gaps are found by the played tone's level in
// the right channel alone: the encoder's joint stereo may move an onset's
// sound between the channels for a few milliseconds around it.
TEST_F(Recorder, MixedInputRecordsTheMicrophoneAndTheComputersSoundInStep)
{
    const QString played = path("played.wav"), file = path("mixed.m4a");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i",
                        "aevalsrc='0|0.5*sin(2*PI*1000*t)*not(between(t,5,5.05)+between(t,55,"
                        "55.05))':s=44100:d=62",
                        played}));
    m_recorder.setQuality(3);
    m_recorder.setInputDevice(RecorderEngine::mixedInputDevice());
    m_recorder.setOutputFilePath(file);
    m_recorder.start();
    ASSERT_TRUE(m_recorder.isRecording());
    QProcess player;
    // A second of buffer: a player starved by a busy machine would leave
    // gaps of its own in the played tone.
    player.start("paplay", {"--device=" + PulseServer::instance().nullSinkName(),
                            "--latency-msec=1000", played});
    EXPECT_TRUE(waitUntil([&] { return player.state() == QProcess::NotRunning; }, 90000));
    m_recorder.stop();
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join(' ').toStdString();

    DecodedAudio audio = DecodedAudio::decode(file);
    ASSERT_TRUE(audio.ok);
    // 40 ms windows: longer than the encoder's smear of an onset, shorter
    // than a gap. The level turns loud when a window is 65 % in the tone and
    // quiet when it is 35 %: every edge then reads 6 ms late, so distances
    // stay true, and a level that wavers near half makes no extra edges.
    const size_t rate = size_t(audio.sampleRate), window = rate / 25, step = rate / 1000;
    const std::vector<double> envelope = audio.toneEnvelope(1, 1000.0, window, step);
    ASSERT_FALSE(envelope.empty());
    std::vector<double> sorted = envelope;
    std::nth_element(sorted.begin(), sorted.begin() + ptrdiff_t(sorted.size() / 2), sorted.end());
    const double level = sorted[sorted.size() / 2];
    std::vector<size_t> edges; // the tone's start, each gap's start and end
    bool loud = false;
    for (size_t k = 0; k < envelope.size() && edges.size() < 5; ++k)
        if (loud ? envelope[k] < 0.35 * level : envelope[k] > 0.65 * level) {
            loud = !loud;
            edges.push_back(k * step + window / 2);
        }
    ASSERT_EQ(edges.size(), 5u);
    for (auto [from, to, seconds] : {std::tuple{0, 1, 5.0}, {1, 3, 50.0}, {1, 2, 0.05}})
        EXPECT_NEAR(double(edges[to] - edges[from]), seconds * double(rate), 512) << from << to;
    for (size_t i = 0; i < audio.frames(); ++i)
        audio.channels[1][i] -= audio.channels[0][i];
    for (size_t at = rate; at + rate < audio.frames(); at += 5 * rate) {
        EXPECT_NEAR(audio.frequency(0, at, at + rate), 440.0, 3.0) << at / rate;
        // The computer's sound follows the microphone's clock: the mixer may
        // play it up to 0.1 % off for the clocks' drift and 0.5 % more while
        // it catches up with a late delivery.
        if (at > edges[0] + rate && at + 2 * rate < edges[0] + 62 * rate) {
            EXPECT_NEAR(audio.frequency(1, at, at + rate), 1000.0, 6.0) << at / rate;
        }
    }
}
