// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/MediaTestFiles.h"
#include "media/QTMovie.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

struct Progress
{
    int begins = 0;
    int ends = 0;
    std::vector<double> updates;
};

QTMovie::WriteAttributes exportAttributes()
{
    return {.flatten = false, .exportMovie = true, .exportType = QTMovie::kFileTypeMPEG4};
}

} // namespace

TEST(MovieExport, AnyReadableFormatBecomesStereoAacOfTheSameLength)
{
    MediaTestFiles files;
    const std::vector<std::pair<QString, QStringList>> sources = {
        {"song.mp3", {"-ac", "2", "-ar", "44100", "-c:a", "libmp3lame"}},
        {"memo.wav", {"-ac", "1", "-ar", "22050", "-c:a", "pcm_s16le"}},
        {"take.flac", {"-ac", "2", "-ar", "48000", "-c:a", "flac"}},
        {"talk.ogg", {"-ac", "1", "-ar", "44100", "-c:a", "libvorbis"}},
    };
    for (const auto& [name, args] : sources) {
        SCOPED_TRACE(name.toStdString());
        const QString source = files.tone(name, 440, 4, args);
        const QByteArray before = MediaTestFiles::contents(source);
        std::unique_ptr<QTMovie> movie = QTMovie::movieWithFile(source);
        ASSERT_TRUE(movie);
        Progress progress;
        movie->setOperationCallback([&](QTMovie& m, QTMovieOperationPhase phase, double fraction) {
            EXPECT_EQ(&m, movie.get());
            if (phase == QTMovieOperationPhase::Begin)
                ++progress.begins;
            else if (phase == QTMovieOperationPhase::End)
                ++progress.ends;
            else
                progress.updates.push_back(fraction);
            return true;
        });
        const QString out = files.path(QString(name).replace('.', '_') + ".m4a");
        ASSERT_TRUE(movie->writeToFile(out, exportAttributes()))
            << movie->lastError().toStdString();

        const std::string rate = MediaTestFiles::probe(source, "sample_rate");
        EXPECT_EQ(MediaTestFiles::probe(out, "codec_name,sample_rate,channels"),
                  "aac\n" + rate + "\n2");
        EXPECT_NEAR(QTMovie::fileDuration(out), QTTimeInSeconds(movie->duration()),
                    1024.0 / std::stod(rate));
        EXPECT_NEAR(MediaTestFiles::frequencyAt(out, 0.5, 3.0), 440, 3);
        EXPECT_EQ(progress.begins, 1);
        EXPECT_EQ(progress.ends, 1);
        ASSERT_FALSE(progress.updates.empty());
        EXPECT_TRUE(std::is_sorted(progress.updates.begin(), progress.updates.end()));
        EXPECT_DOUBLE_EQ(progress.updates.back(), 1.0);
        EXPECT_EQ(MediaTestFiles::contents(source), before);
    }
}

TEST(MovieExport, FailureAndCancelEndTheProgressOnceAndLeaveNoFile)
{
    MediaTestFiles files;
    const QString source = files.tone("song.mp3", 440, 3, {"-c:a", "libmp3lame"});
    std::unique_ptr<QTMovie> movie = QTMovie::movieWithFile(source);
    ASSERT_TRUE(movie);
    int ends = 0;
    movie->setOperationCallback([&](QTMovie&, QTMovieOperationPhase phase, double fraction) {
        if (phase == QTMovieOperationPhase::End)
            ++ends;
        return fraction < 0.5; // cancels halfway
    });
    const QString out = files.path("song.m4a");
    EXPECT_FALSE(movie->writeToFile(out, exportAttributes()));
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(QFile::exists(out));

    EXPECT_FALSE(movie->writeToFile(files.path("x/y.m4a"), exportAttributes()));
    EXPECT_EQ(ends, 2);
    EXPECT_FALSE(
        movie->writeToFile(files.path("z.m4a"), {.exportMovie = true, .exportType = 0x41494646}));
}
