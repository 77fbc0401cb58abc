// SPDX-License-Identifier: GPL-3.0-or-later
// Runs in a process of its own: the silent-buffer count is process-wide and
// starts at the hold, which the first test relies on.
#include "audio/DecodedAudio.h"
#include "audio/KvSoundFileRecorder.h"
#include "audio/RecorderTestSupport.h"
#include "support/PulseServer.h"

#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

constexpr int kHold = 450;

class SilenceSkipTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PulseServer::instance().isRunning());
        QObject::connect(&m_recorder, &KvSoundFileRecorder::userMessage,
                         [this](const QString& text) { m_messages << text; });
        m_recorder.setQuality(3);
        m_recorder.setInputDevice(PulseServer::instance().monoPipeSourceDescription());
        m_recorder.setSkipSilence(true);
    }

    void TearDown() override { m_recorder.setSkipSilence(false); }

    // Records the signal from the mono pipe, a few times faster than real
    // time; answers the decoded file.
    DecodedAudio record(const std::vector<float>& signal, const QString& name)
    {
        const QString file = m_dir.filePath(name);
        m_recorder.setOutputFilePath(file);
        m_recorder.start();
        EXPECT_TRUE(m_recorder.isRecording());
        const size_t chunk = PulseServer::pipeRate / 4;
        for (size_t at = 0; at < signal.size(); at += chunk) {
            EXPECT_TRUE(PulseServer::instance().writeMonoPipe(signal.data() + at,
                                                              std::min(chunk, signal.size() - at)));
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        spinFor(500);
        m_recorder.stop();
        EXPECT_EQ(m_recorder.droppedBuffers(), 0u);
        EXPECT_TRUE(m_messages.isEmpty());
        return DecodedAudio::decode(file);
    }

    // The capture buffer size, known once a recording was prepared.
    size_t bufferFrames()
    {
        m_recorder.setOutputFilePath(m_dir.filePath(QStringLiteral("probe.m4a")));
        m_recorder.prepare();
        return m_recorder.audioSamples();
    }

    QTemporaryDir m_dir;
    KvSoundFileRecorder m_recorder;
    QStringList m_messages;
};

TEST_F(SilenceSkipTest, SilenceFromTheStartOfTheProcessWritesNothing)
{
    // The count starts at the hold itself: skipping begins with the first silent buffer.
    EXPECT_FALSE(m_recorder.isSkipSilence());
    const size_t buffer = bufferFrames();
    ASSERT_GT(buffer, 0u);
    const DecodedAudio audio =
        record(std::vector<float>(buffer * 600, 0.0f), QStringLiteral("silence.m4a"));
    EXPECT_EQ(audio.frames(), 0u);
    EXPECT_TRUE(m_recorder.isSkipSilence());
}

// Silence (dropped, the count carries over), tone, 450 silent buffers (all
// written), tone, 451 silent buffers (the last one dropped), tone.
TEST_F(SilenceSkipTest, AfterSoundExactly450SilentBuffersAreWritten)
{
    ASSERT_TRUE(m_recorder.isSkipSilence());
    const size_t buffer = bufferFrames();
    ASSERT_GT(buffer, 0u);
    const int rate = PulseServer::pipeRate;
    const std::vector<float> toneBlock = tone(20 * buffer, 440.0, 0.5f, rate);
    std::vector<float> signal(10 * buffer, 0.0f);
    auto append = [&](const std::vector<float>& part) {
        signal.insert(signal.end(), part.begin(), part.end());
    };
    append(toneBlock);
    append(std::vector<float>(kHold * buffer, 0.0f));
    append(toneBlock);
    append(std::vector<float>((kHold + 1) * buffer, 0.0f));
    append(toneBlock);

    const DecodedAudio audio = record(signal, QStringLiteral("gaps.m4a"));
    ASSERT_TRUE(audio.ok);
    ASSERT_EQ(audio.sampleRate, rate);
    const size_t expected = (3 * 20 + 2 * kHold) * buffer;
    // The encoder adds up to one frame of 1024 samples of its own delay.
    EXPECT_GE(audio.frames(), expected);
    EXPECT_LE(audio.frames(), expected + 1024 + buffer / 2);

    // Where the tone starts, and the layout from there: tone, silence, tone, silence, tone.
    const auto& left = audio.channels[0];
    const size_t start = static_cast<size_t>(
        std::find_if(left.begin(), left.end(), [](float s) { return std::fabs(s) > 0.05f; }) -
        left.begin());
    ASSERT_LT(start, 2048u);
    const size_t toneLength = 20 * buffer;
    const size_t gap = kHold * buffer;
    for (size_t t = 0; t < 3; ++t) {
        const size_t at = start + t * (toneLength + gap);
        EXPECT_NEAR(audio.frequency(0, at + 1024, at + toneLength - 1024), 440.0, 3.0) << t;
        if (t < 2) {
            EXPECT_LT(audio.peak(0, at + toneLength + 2048, at + toneLength + gap - 2048), 0.01f)
                << t;
        }
    }
}

} // namespace
