// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/KvAudioFormat.h"
#include "audio/KvSoundFileRecorder.h"

#include <gtest/gtest.h>

TEST(AudioFormat, FourCharacterCodesAreMacRomanBigEndian)
{
    EXPECT_EQ(KvAudioStreamFormatIDFromString(QStringLiteral("aac ")), 0x61616320u);
    EXPECT_EQ(KvAudioStreamFormatIDFromString(QStringLiteral("m4af")), KvAudioFileM4AType);
    // Mac OS Roman has the copyright sign at 0xA9.
    EXPECT_EQ(KvAudioStreamFormatIDFromString(QStringLiteral("\u00A9abc")), 0xA9616263u);
    EXPECT_EQ(KvStringFromAudioStreamFormatID(0xA9616263u), QStringLiteral("\u00A9abc"));
    EXPECT_EQ(KvStringFromAudioStreamFormatID(KvAudioFormatLinearPCM), QStringLiteral("lpcm"));
    for (const QString& bad :
         {QString(), QStringLiteral("aac"), QStringLiteral("aac  "), QStringLiteral("\u0436aac")})
        EXPECT_EQ(KvAudioStreamFormatIDFromString(bad), 0u) << bad.toStdString();
}

TEST(AudioFormat, PresetsAndDictionariesConvertBothWays)
{
    const QVariantMap low = KvSoundFileRecorder::outputFormatForLowQuality();
    const QVariantMap middle = KvSoundFileRecorder::outputFormatForMiddleQuality();
    const QVariantMap high = KvSoundFileRecorder::outputFormatForHighQuality();
    KvAudioStreamBasicDescription expected;
    expected.mSampleRate = 44100.0;
    expected.mFormatID = KvAudioFormatMPEG4AAC;
    expected.mFramesPerPacket = 1024;
    expected.mChannelsPerFrame = 2;
    EXPECT_EQ(KvAudioStreamDescriptionFromDictionary(high), expected);
    EXPECT_EQ(KvAudioOutputFileTypeFromDictionary(high), KvAudioFileM4AType);
    EXPECT_EQ(KvAudioOutputFileTypeFromDictionary({}), KvAudioFileM4AType);
    EXPECT_EQ(KvAudioStreamDescriptionFromDictionary({}), KvAudioStreamBasicDescription{});
    // The presets differ in their rate only (the recorder's tests check the rates).
    for (QVariantMap preset : {low, middle}) {
        preset[KvAudioStreamSampleRate] = 44100.0;
        EXPECT_EQ(preset, high);
    }

    const KvAudioStreamBasicDescription pcm{48000.0, KvAudioFormatLinearPCM, 41, 4, 1, 4, 6, 32};
    const QVariantMap dictionary = KvDictionaryFromAudioStreamDescription(pcm);
    EXPECT_FALSE(dictionary.contains(KvAudioOutputFileFormat));
    EXPECT_EQ(KvAudioStreamDescriptionFromDictionary(dictionary), pcm);
    // A new recorder takes the middle preset; other numbers than 1 to 3 are ignored.
    KvSoundFileRecorder recorder;
    EXPECT_EQ(recorder.outputFormat(), middle);
    recorder.setQuality(4);
    EXPECT_EQ(recorder.outputFormat(), middle);
    recorder.setQuality(1);
    recorder.setQuality(0);
    EXPECT_EQ(recorder.outputFormat(), low);
}
