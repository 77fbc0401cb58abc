// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/QTMovie.h"
#include "support/Media.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QTMovie::WriteAttributes kExport{
    .flatten = false, .exportMovie = true, .exportType = QTMovie::kFileTypeMPEG4};

} // namespace

TEST(MovieExport, AnyReadableFormatBecomesStereoAacOfTheSameLength)
{
    const std::pair<QString, QStringList> sources[] = {
        {"song.mp3", {"-ac", "2", "-ar", "44100", "-c:a", "libmp3lame"}},
        {"memo.wav", {"-ac", "1", "-ar", "22050", "-c:a", "pcm_s16le"}},
        {"take.flac", {"-ac", "2", "-ar", "48000", "-c:a", "flac"}},
        {"talk.ogg", {"-ac", "1", "-ar", "44100", "-c:a", "libvorbis"}},
    };
    QTemporaryDir dir;
    for (const auto& [name, args] : sources) {
        SCOPED_TRACE(name.toStdString());
        const QString source = dir.filePath(name);
        ASSERT_TRUE(makeTone(source, 4, args));
        const QByteArray before = readFile(source);
        std::unique_ptr<QTMovie> movie = QTMovie::movieWithFile(source);
        ASSERT_TRUE(movie);
        int begins = 0;
        int ends = 0;
        std::vector<double> updates;
        movie->setOperationCallback([&](QTMovie& m, QTMovieOperationPhase phase, double fraction) {
            EXPECT_EQ(&m, movie.get());
            if (phase == QTMovieOperationPhase::Begin)
                ++begins;
            else if (phase == QTMovieOperationPhase::End)
                ++ends;
            else
                updates.push_back(fraction);
            return true;
        });
        const QString out = dir.filePath(QString(name).replace('.', '_') + ".m4a");
        ASSERT_TRUE(movie->writeToFile(out, kExport)) << movie->lastError().toStdString();

        const QString rate = probe(source, "sample_rate");
        EXPECT_EQ(probe(out, "codec_name,sample_rate,channels"), "aac\n" + rate + "\n2");
        EXPECT_NEAR(QTMovie::fileDuration(out), QTTimeInSeconds(movie->duration()),
                    1024.0 / rate.toDouble());
        EXPECT_NEAR(frequencyAt(out, 0.5, 3.0), 440, 3);
        EXPECT_EQ(begins, 1);
        EXPECT_EQ(ends, 1);
        ASSERT_FALSE(updates.empty());
        EXPECT_TRUE(std::is_sorted(updates.begin(), updates.end()));
        EXPECT_DOUBLE_EQ(updates.back(), 1.0);
        EXPECT_EQ(readFile(source), before);
    }
}

TEST(MovieExport, FailureAndCancelEndTheProgressOnceAndLeaveNoFile)
{
    QTemporaryDir dir;
    const QString source = dir.filePath("song.mp3");
    ASSERT_TRUE(makeTone(source, 3, {"-c:a", "libmp3lame"}));
    std::unique_ptr<QTMovie> movie = QTMovie::movieWithFile(source);
    ASSERT_TRUE(movie);
    int ends = 0;
    movie->setOperationCallback([&](QTMovie&, QTMovieOperationPhase phase, double fraction) {
        if (phase == QTMovieOperationPhase::End)
            ++ends;
        return fraction < 0.5; // cancels halfway
    });
    const QString out = dir.filePath("song.m4a");
    EXPECT_FALSE(movie->writeToFile(out, kExport));
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(QFile::exists(out));

    EXPECT_FALSE(movie->writeToFile(dir.filePath("x/y.m4a"), kExport));
    EXPECT_EQ(ends, 2);
    EXPECT_FALSE(
        movie->writeToFile(dir.filePath("z.m4a"), {.exportMovie = true, .exportType = 0x41494646}));
}
