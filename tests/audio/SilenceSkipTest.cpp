// SPDX-License-Identifier: GPL-3.0-or-later
// Runs in a process of its own: the silent-buffer count is process-wide and
// starts at the hold, which the first test relies on.
#include "audio/RecorderEngine.h"
#include "support/Media.h"
#include "support/PulseServer.h"

#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <thread>

namespace {

constexpr int kHold = 450;
constexpr int kRate = PulseServer::pipeRate;

class SilenceSkip : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QObject::connect(&m_recorder, &RecorderEngine::userMessage,
                         [this](const QString& text) { m_messages << text; });
        m_recorder.setQuality(3);
        m_recorder.setInputDevice(PulseServer::instance().monoPipeSourceDescription());
        m_recorder.setSkipSilence(true);
        m_recorder.setOutputFilePath(m_dir.filePath(QStringLiteral("probe.m4a")));
        m_recorder.prepare();
        m_buffer = m_recorder.audioSamples();
        ASSERT_GT(m_buffer, 0u);
    }

    void TearDown() override { m_recorder.setSkipSilence(false); }

    std::vector<float> silence(size_t buffers) const
    {
        return std::vector<float>(buffers * m_buffer);
    }
    // Records the signal from the mono pipe and answers the decoded file. The
    // signal ends in more silence than the hold: once the pipe took that, the
    // capture has seen the rest.
    DecodedAudio record(std::vector<float> signal, const QString& name)
    {
        const std::vector<float> tail = silence(kHold + 100);
        signal.insert(signal.end(), tail.begin(), tail.end());
        const QString file = m_dir.filePath(name);
        m_recorder.setOutputFilePath(file);
        m_recorder.start();
        EXPECT_TRUE(m_recorder.isRecording());
        // At five times the pace of a microphone, which the writer keeps up with.
        const size_t chunk = kRate / 4;
        for (size_t at = 0; at < signal.size(); at += chunk) {
            EXPECT_TRUE(PulseServer::instance().writeMonoPipe(signal.data() + at,
                                                              std::min(chunk, signal.size() - at)));
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        m_recorder.stop();
        EXPECT_EQ(m_recorder.droppedBuffers(), 0u);
        EXPECT_TRUE(m_messages.isEmpty());
        return DecodedAudio::decode(file);
    }

    QTemporaryDir m_dir;
    RecorderEngine m_recorder;
    QStringList m_messages;
    size_t m_buffer = 0;
};

} // namespace

TEST_F(SilenceSkip, SilenceFromTheStartOfTheProcessWritesNothing)
{
    // The count starts at the hold itself: skipping begins with the first silent buffer.
    EXPECT_FALSE(m_recorder.isSkipSilence());
    EXPECT_EQ(record(silence(100), QStringLiteral("silence.m4a")).frames(), 0u);
    EXPECT_TRUE(m_recorder.isSkipSilence());
}

// Silence (dropped, the count carries over), tone, 450 silent buffers (all
// written), tone, 451 silent buffers (the last one dropped), tone, and the
// tail of the recording: 450 silent buffers written, the rest dropped.
TEST_F(SilenceSkip, AfterSoundExactly450SilentBuffersAreWritten)
{
    ASSERT_TRUE(m_recorder.isSkipSilence());
    const size_t toneLength = 20 * m_buffer;
    std::vector<float> toneBlock(toneLength);
    for (size_t i = 0; i < toneLength; ++i)
        toneBlock[i] = 0.5f * float(std::sin(2 * M_PI * 440.0 * double(i) / kRate));
    std::vector<float> signal = silence(10);
    for (const std::vector<float>& part :
         {toneBlock, silence(kHold), toneBlock, silence(kHold + 1), toneBlock})
        signal.insert(signal.end(), part.begin(), part.end());

    const DecodedAudio audio = record(signal, QStringLiteral("gaps.m4a"));
    ASSERT_TRUE(audio.ok);
    ASSERT_EQ(audio.sampleRate, kRate);
    const size_t expected = 3 * toneLength + 3 * kHold * m_buffer;
    // The encoder adds up to one frame of 1024 samples of its own delay.
    EXPECT_GE(audio.frames(), expected);
    EXPECT_LE(audio.frames(), expected + 1024 + m_buffer / 2);
    // Where each tone starts: exactly a tone and 450 buffers after the one before.
    const auto& left = audio.channels[0];
    auto onset = [&](size_t from) {
        return size_t(std::find_if(left.begin() + long(from), left.end(),
                                   [](float s) { return std::fabs(s) > 0.05f; }) -
                      left.begin());
    };
    const size_t gap = kHold * m_buffer;
    size_t at = onset(0);
    ASSERT_LT(at, 2048u);
    for (size_t t = 0; t < 3; ++t) {
        EXPECT_NEAR(audio.frequency(0, at + 1024, at + toneLength - 1024), 440.0, 3.0) << t;
        EXPECT_LT(audio.peak(0, at + toneLength + 2048, at + toneLength + gap - 2048), 0.01f) << t;
        const size_t next = onset(at + toneLength + 2048);
        if (t < 2) {
            EXPECT_NEAR(double(next - at), double(toneLength + gap), 64.0) << t;
        }
        at = next;
    }
}
