// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/MediaTestFiles.h"
#include "media/QTMovie.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

constexpr double kAacFrame = 1024.0 / 44100;

std::unique_ptr<QTMovie> open(const QString& path)
{
    QString error;
    std::unique_ptr<QTMovie> movie = QTMovie::movieWithFile(path, &error);
    EXPECT_TRUE(movie) << path.toStdString() << ": " << error.toStdString();
    return movie;
}

// The join as the recording workflow does it: the whole part appended to the
// recording, written flattened to a temporary name.
QString join(MediaTestFiles& files, const QStringList& paths, const QString& name)
{
    std::unique_ptr<QTMovie> first = open(paths.front());
    if (!first)
        return {};
    first->setEditable(true);
    for (qsizetype i = 1; i < paths.size(); ++i) {
        std::unique_ptr<QTMovie> part = open(paths[i]);
        if (!part)
            return {};
        part->setSelection(QTMakeTimeRange(QTMakeTime(0, part->timeScale()), part->duration()));
        EXPECT_TRUE(first->appendSelectionFromMovie(*part));
    }
    const QString out = files.path(name);
    EXPECT_TRUE(first->writeToFile(out, {.flatten = true})) << first->lastError().toStdString();
    return out;
}

} // namespace

TEST(MovieEdit, JoinOfOnePresetCopiesThePacketsUnchanged)
{
    MediaTestFiles files;
    const QString a = files.aac("a.m4a", 440, 3);
    const QString b = files.aac("b.m4a", 880, 2);
    const QByteArray aBytes = MediaTestFiles::contents(a);
    const QByteArray bBytes = MediaTestFiles::contents(b);

    // A temporary name without an audio extension, as the joins use.
    const QString joined = join(files, {a, b}, "812345678.tmp");
    ASSERT_TRUE(QFile::exists(joined));
    EXPECT_NEAR(QTMovie::fileDuration(joined), 5.0, kAacFrame);
    EXPECT_NEAR(MediaTestFiles::frequencyAt(joined, 0.5, 2.0), 440, 3);
    EXPECT_NEAR(MediaTestFiles::frequencyAt(joined, 3.2, 1.6), 880, 3);
    EXPECT_EQ(MediaTestFiles::probe(joined, "codec_name,sample_rate,channels"), "aac\n44100\n2");

    // Every packet of the recording, then every packet of the part after its
    // encoder delay, byte for byte: nothing was encoded again.
    std::vector<QByteArray> expected = MediaTestFiles::packets(a);
    const std::vector<QByteArray> part = MediaTestFiles::packets(b);
    expected.insert(expected.end(), part.begin() + 1, part.end());
    EXPECT_EQ(MediaTestFiles::packets(joined), expected);

    EXPECT_EQ(MediaTestFiles::contents(a), aBytes);
    EXPECT_EQ(MediaTestFiles::contents(b), bBytes);
}

TEST(MovieEdit, JoinAcrossFormatsConvertsToTheFirstFilesFormat)
{
    MediaTestFiles files;
    const QString a = files.aac("a.m4a", 440, 2, 44100);
    const QString b = files.aac("b.m4a", 880, 2, 22050);
    const QString c = files.tone("c.flac", 660, 1, {"-ac", "1", "-ar", "48000", "-c:a", "flac"});
    const QString joined = join(files, {a, b, c}, "joined.m4a");
    EXPECT_EQ(MediaTestFiles::probe(joined, "codec_name,sample_rate,channels"), "aac\n44100\n2");
    EXPECT_NEAR(QTMovie::fileDuration(joined), 5.0, 2 * kAacFrame);
    EXPECT_NEAR(MediaTestFiles::frequencyAt(joined, 0.2, 1.6), 440, 3);
    EXPECT_NEAR(MediaTestFiles::frequencyAt(joined, 2.2, 1.6), 880, 3);
    EXPECT_NEAR(MediaTestFiles::frequencyAt(joined, 4.1, 0.8), 660, 3);

    // A first file that is no AAC at all: the join is AAC at its rate.
    const QString w =
        files.tone("w.wav", 440, 1, {"-ac", "1", "-ar", "22050", "-c:a", "pcm_s16le"});
    const QString fromWav = join(files, {w, a}, "fromwav.m4a");
    EXPECT_EQ(MediaTestFiles::probe(fromWav, "codec_name,sample_rate,channels"), "aac\n22050\n1");
    EXPECT_NEAR(QTMovie::fileDuration(fromWav), 3.0, 2 * 1024.0 / 22050);
    EXPECT_NEAR(MediaTestFiles::frequencyAt(fromWav, 1.3, 1.5), 440, 3);
}

TEST(MovieEdit, DeletingARangeAtStartMiddleAndEnd)
{
    MediaTestFiles files;
    // 2 s at 440 Hz, then 2 s at 880 Hz.
    const QString source = files.path("two.m4a");
    ASSERT_TRUE(
        MediaTestFiles::ffmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=2", "-f", "lavfi",
                                "-i", "sine=frequency=880:duration=2", "-filter_complex",
                                "concat=n=2:v=0:a=1", "-ac", "2", "-c:a", "aac", source}));
    const QByteArray before = MediaTestFiles::contents(source);

    struct Cut
    {
        const char* name;
        double from, length;
        double low440From, low440Length, high880From, high880Length;
    };
    // The last cut reaches far past the end, as cutting the tail of a piece does.
    const std::vector<Cut> cuts = {
        {"start.m4a", 0.0, 1.0, 0.1, 0.8, 1.2, 1.7},
        {"middle.m4a", 1.5, 1.0, 0.1, 1.3, 1.6, 1.3},
        {"end.m4a", 3.0, 100.0, 0.1, 1.8, 2.1, 0.8},
    };
    for (const Cut& cut : cuts) {
        SCOPED_TRACE(cut.name);
        std::unique_ptr<QTMovie> movie = open(source);
        ASSERT_TRUE(movie);
        const int32_t scale = movie->timeScale();
        const QTTimeRange range = QTMakeTimeRange(QTMakeTime(int64_t(cut.from * scale), scale),
                                                  QTMakeTime(int64_t(cut.length * scale), scale));
        EXPECT_FALSE(movie->deleteSegment(range)); // not editable yet
        EXPECT_NEAR(QTTimeInSeconds(movie->duration()), 4.0, kAacFrame);
        movie->setEditable(true);
        ASSERT_TRUE(movie->deleteSegment(range));
        EXPECT_NEAR(QTTimeInSeconds(movie->duration()), 3.0, kAacFrame);
        const QString out = files.path(cut.name);
        ASSERT_TRUE(movie->writeToFile(out, {.flatten = true})) << movie->lastError().toStdString();
        EXPECT_NEAR(QTMovie::fileDuration(out), 3.0, 2 * kAacFrame);
        EXPECT_NEAR(MediaTestFiles::frequencyAt(out, cut.low440From, cut.low440Length), 440, 3);
        EXPECT_NEAR(MediaTestFiles::frequencyAt(out, cut.high880From, cut.high880Length), 880, 3);
    }
    EXPECT_EQ(MediaTestFiles::contents(source), before);
}

TEST(MovieEdit, WritingNeverTouchesASourceOrLeavesAHalfFile)
{
    MediaTestFiles files;
    const QString source = files.aac("rec.m4a", 440, 2);
    const QByteArray before = MediaTestFiles::contents(source);
    std::unique_ptr<QTMovie> movie = open(source);
    ASSERT_TRUE(movie);

    EXPECT_FALSE(movie->writeToFile(source, {.flatten = true}));
    EXPECT_FALSE(movie->lastError().isEmpty());
    EXPECT_EQ(MediaTestFiles::contents(source), before);

    const QString nowhere = files.path("no such folder/out.m4a");
    EXPECT_FALSE(movie->writeToFile(nowhere, {.flatten = true}));
    EXPECT_FALSE(QFile::exists(nowhere));

    // Only self-contained files are written.
    EXPECT_FALSE(movie->writeToFile(files.path("ref.m4a"), {}));
    EXPECT_FALSE(QFile::exists(files.path("ref.m4a")));

    // A movie whose only source disappeared fails cleanly and leaves nothing.
    ASSERT_TRUE(QFile::rename(source, files.path("moved.m4a")));
    EXPECT_FALSE(movie->writeToFile(files.path("out.m4a"), {.flatten = true}));
    EXPECT_FALSE(QFile::exists(files.path("out.m4a")));
}
