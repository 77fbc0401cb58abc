// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/AacFileWriter.h"
#include "media/QTMovie.h"
#include "support/Media.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

namespace {

// A recording as the engine writes it: mono capture buffers of a sine tone
// through its AAC writer into fragmented MP4, at one of the preset rates.
QString record(const QTemporaryDir& files, const QString& name, int rate, int frequency,
               double seconds)
{
    const QString path = files.filePath(name);
    AacFileWriter writer;
    constexpr uint32_t kBuffer = 512;
    const AacFileWriter::Input input{48000, 1, 0, kBuffer};
    if (writer.open(path, AacFileWriter::Output{"ipod", double(rate), 2}, input) !=
            AacFileWriter::Result::Ok ||
        writer.start(false) != AacFileWriter::Result::Ok)
        return {};
    std::vector<float> buffer(kBuffer);
    const int64_t total = int64_t(seconds * 48000);
    for (int64_t at = 0; at < total; at += kBuffer) {
        for (uint32_t i = 0; i < kBuffer; ++i)
            buffer[i] = 0.5f * float(std::sin(2 * M_PI * frequency * double(at + i) / 48000));
        const float* planes[] = {buffer.data()};
        if (!writer.encodeBuffer(planes, kBuffer))
            return {};
    }
    writer.close();
    return path;
}

} // namespace

TEST(EngineFiles, RecordingsOfEveryPresetMeasureJoinAndCut)
{
    QTemporaryDir files;
    for (const int rate : {44100, 22050, 11025}) {
        SCOPED_TRACE(rate);
        const double frame = 1024.0 / rate;
        const QString first =
            record(files, QStringLiteral("Untitled %1.m4a").arg(rate), rate, 440, 3.0);
        const QString part =
            record(files, QStringLiteral("Untitled %1 1.m4a").arg(rate), rate, 880, 2.0);
        ASSERT_FALSE(first.isEmpty());
        ASSERT_FALSE(part.isEmpty());

        std::unique_ptr<QTMovie> recording = QTMovie::movieWithFile(first);
        std::unique_ptr<QTMovie> continuation = QTMovie::movieWithFile(part);
        ASSERT_TRUE(recording);
        ASSERT_TRUE(continuation);
        EXPECT_EQ(recording->duration().timeScale, rate);
        EXPECT_NEAR(QTTimeInSeconds(recording->duration()), 3.0, 2 * frame);
        EXPECT_NEAR(QTTimeInSeconds(continuation->duration()), 2.0, 2 * frame);
        // The continuation joined to the recording: packets copied, length summed.
        recording->setEditable(true);
        continuation->setSelection(QTMakeTimeRange(QTMakeTime(0, rate), continuation->duration()));
        ASSERT_TRUE(recording->appendSelectionFromMovie(*continuation));
        const QString joined = files.filePath(QStringLiteral("joined %1.tmp").arg(rate));
        ASSERT_TRUE(recording->writeToFile(joined, {.flatten = true}))
            << recording->lastError().toStdString();
        std::vector<QByteArray> expected = packets(first);
        const std::vector<QByteArray> more = packets(part);
        expected.insert(expected.end(), more.begin(), more.end());
        EXPECT_EQ(packets(joined), expected);
        EXPECT_NEAR(QTMovie::fileDuration(joined),
                    QTMovie::fileDuration(first) + QTMovie::fileDuration(part), frame);
        const DecodedAudio audio = DecodedAudio::decode(joined);
        EXPECT_NEAR(audio.frequencyAt(0.5, 2.0), 440, 4);
        EXPECT_NEAR(audio.frequencyAt(3.3, 1.4), 880, 4);
        // A piece cut out of the joined file, as the split makes it.
        std::unique_ptr<QTMovie> whole = QTMovie::movieWithFile(joined);
        ASSERT_TRUE(whole);
        whole->setEditable(true);
        ASSERT_TRUE(
            whole->deleteSegment(QTMakeTimeRange(QTMakeTime(0, rate), QTMakeTime(2 * rate, rate))));
        ASSERT_TRUE(whole->deleteSegment(
            QTMakeTimeRange(QTMakeTime(2 * rate, rate), QTMakeTime(100 * rate, rate))));
        const QString piece = files.filePath(QStringLiteral("piece %1.m4a").arg(rate));
        ASSERT_TRUE(whole->writeToFile(piece, {.flatten = true}));
        EXPECT_NEAR(QTMovie::fileDuration(piece), 2.0, 2 * frame);
        // The engine's fragmented files carry the encoder delay and padding as
        // sound (no edit list), so the tone of the part starts up to 0.15 s
        // after the join point at the lowest rate.
        const DecodedAudio cut = DecodedAudio::decode(piece);
        EXPECT_NEAR(cut.frequencyAt(0.1, 0.8), 440, 4);
        EXPECT_NEAR(cut.frequencyAt(1.3, 0.6), 880, 4);
    }
    // A recording whose process was killed: the file ends inside a fragment.
    const QByteArray bytes = readFile(files.filePath("Untitled 44100.m4a"));
    const QString killed = files.filePath("killed.m4a");
    writeFile(killed, bytes.left(bytes.size() * 2 / 3));
    std::unique_ptr<QTMovie> movie = QTMovie::movieWithFile(killed);
    ASSERT_TRUE(movie);
    EXPECT_GT(QTTimeInSeconds(movie->duration()), 1.0);
    EXPECT_LT(QTTimeInSeconds(movie->duration()), 2.5);
}
