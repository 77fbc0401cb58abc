// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Media.h"
#include "support/PulseServer.h"
#include "support/Wait.h"

#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

// A recording process killed without warning leaves a file that plays up to
// its last complete fragment.
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
