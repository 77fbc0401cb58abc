// SPDX-License-Identifier: GPL-3.0-or-later
// Opening and reading audio files: lengths, bad input, cut-off recordings, times
// and sample-accurate reading.
#include "media/AudioFile.h"
#include "media/MediaProber.h"
#include "media/MediaTime.h"
#include "media/SegmentReader.h"
#include "media/WaveformCache.h"
#include "media/WaveformPeaks.h"
#include "support/Media.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

TEST(MediaTime, ComparesAcrossTimeScalesAndConvertsToSeconds)
{
    EXPECT_EQ(compareMediaTimes(makeMediaTime(22049, 22050), makeMediaTime(44100, 44100)), -1);
    // Ten hours at 44.1 kHz against the same instant in nanoseconds: no overflow.
    EXPECT_EQ(compareMediaTimes(makeMediaTime(int64_t(36000) * 44100, 44100),
                                makeMediaTime(int64_t(36000) * 1000000000, 1000000000)),
              0);
    EXPECT_DOUBLE_EQ(secondsOf(makeMediaTime(5, 0)), 0.0);
    EXPECT_EQ(makeMediaTimeScaled(makeMediaTime(3, 2), 44100).timeValue, 66150);
}

TEST(MovieOpen, EveryReadableFormatReportsItsLengthInSamples)
{
    struct Format
    {
        const char* name;
        QStringList args;
        int rate;
        int frame; // samples in one compressed frame, the tolerance on the length
    };
    const Format formats[] = {
        {"a44.m4a", {"-ac", "2", "-ar", "44100", "-c:a", "aac"}, 44100, 1024},
        {"a22.m4a", {"-ac", "2", "-ar", "22050", "-c:a", "aac"}, 22050, 1024},
        {"a11.m4a", {"-ac", "2", "-ar", "11025", "-c:a", "aac"}, 11025, 1024},
        {"t.mp3", {"-ac", "2", "-ar", "44100", "-c:a", "libmp3lame"}, 44100, 1152},
        {"t.wav", {"-ac", "1", "-ar", "22050", "-c:a", "pcm_s16le"}, 22050, 1},
        {"t.flac", {"-ac", "2", "-ar", "44100", "-c:a", "flac"}, 44100, 4608},
        {"t.ogg", {"-ac", "2", "-ar", "44100", "-c:a", "libvorbis"}, 44100, 2048},
        {"t.opus", {"-ac", "2", "-c:a", "libopus"}, 48000, 960},
    };
    QTemporaryDir dir;
    for (const Format& format : formats) {
        SCOPED_TRACE(format.name);
        const QString path = dir.filePath(format.name);
        ASSERT_TRUE(makeTone(path, 5, format.args));
        EXPECT_TRUE(AudioFile::canInitWithFile(path));
        QString error = "unset";
        const std::unique_ptr<AudioFile> movie = AudioFile::movieWithFile(path, &error);
        ASSERT_TRUE(movie) << error.toStdString();
        EXPECT_TRUE(error.isEmpty());
        EXPECT_EQ(movie->loadState(), AudioFile::kLoadStateComplete);
        const MediaTime duration = movie->duration();
        EXPECT_EQ(duration.timeScale, format.rate);
        EXPECT_EQ(movie->timeScale(), format.rate);
        EXPECT_NEAR(duration.timeValue, 5 * format.rate, format.frame);
        EXPECT_NEAR(AudioFile::fileDuration(path), 5.0, double(format.frame) / format.rate);
    }
}

TEST(MovieOpen, BadInputIsRefusedWithAMessage)
{
    QTemporaryDir dir;
    const QString empty = dir.filePath("empty.m4a");
    const QString text = dir.filePath("notes.m4a");
    writeFile(empty, {});
    writeFile(text, QByteArray("Shopping list:\n- milk\n- bread\n").repeated(200));
    const QString video = dir.filePath("picture.mp4");
    ASSERT_TRUE(ffmpeg(
        {"-f", "lavfi", "-i", "testsrc=duration=1:size=64x64:rate=5", "-c:v", "mpeg4", video}));
    // A 2 GB file of zeros: sparse on disk, but the reader sees every byte.
    const QString huge = dir.filePath("huge.m4a");
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(qint64(2) * 1024 * 1024 * 1024));
    }
    for (const QString& path : {empty, text, video, huge, dir.filePath("missing.m4a"), QString()}) {
        SCOPED_TRACE(path.toStdString());
        QString error;
        EXPECT_FALSE(AudioFile::movieWithFile(path, &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_FALSE(AudioFile::canInitWithFile(path));
        EXPECT_EQ(AudioFile::fileDuration(path), 0.0);
    }
}

TEST(MovieOpen, CutOffRecordingsOpenUpToWhatCanBeRead)
{
    QTemporaryDir dir;
    const QString whole = dir.filePath("whole.m4a");
    ASSERT_TRUE(makeTone(whole, 6,
                         {"-ac", "2", "-c:a", "aac", "-movflags", "+frag_keyframe+empty_moov",
                          "-frag_duration", "1000000"}));
    const QByteArray bytes = readFile(whole);
    const QString cut = dir.filePath("killed.m4a");
    writeFile(cut, bytes.left(bytes.size() * 2 / 3));
    QString error;
    const std::unique_ptr<AudioFile> movie = AudioFile::movieWithFile(cut, &error);
    ASSERT_TRUE(movie) << error.toStdString();
    const double seconds = secondsOf(movie->duration());
    EXPECT_GT(seconds, 2.5);
    EXPECT_LT(seconds, 5.0);
    // What opens can also be written out whole, and reads back at that length.
    const QString copy = dir.filePath("rescued.m4a");
    ASSERT_TRUE(movie->writeToFile(copy, {.flatten = true})) << movie->lastError().toStdString();
    EXPECT_NEAR(AudioFile::fileDuration(copy), seconds, 1024.0 / 44100);
    EXPECT_NEAR(frequencyAt(copy, 1.0, 1.0), 440, 5);
    // A plain MP4 with its sample table in front, cut short: the table promises
    // more than the file holds, so the length is what can really be read.
    const QString front = dir.filePath("front.m4a");
    ASSERT_TRUE(makeTone(front, 6, {"-ac", "2", "-c:a", "aac", "-movflags", "+faststart"}));
    const QByteArray frontBytes = readFile(front);
    const QString frontCut = dir.filePath("front-cut.m4a");
    writeFile(frontCut, frontBytes.left(frontBytes.size() / 2));
    EXPECT_NEAR(AudioFile::fileDuration(front), 6.0, 1024.0 / 44100);
    EXPECT_GT(AudioFile::fileDuration(frontCut), 2.5);
    EXPECT_LT(AudioFile::fileDuration(frontCut), 3.5);
    // A fragment cut before its first audio packet holds no audio.
    const QString stub = dir.filePath("stub.m4a");
    writeFile(stub, bytes.left(600));
    EXPECT_FALSE(AudioFile::movieWithFile(stub));
}

namespace {

std::vector<float> readAll(SegmentReader& reader)
{
    std::vector<float> all;
    std::vector<float> chunk(4096 * static_cast<size_t>(reader.channels()));
    for (;;) {
        const int64_t got = reader.read(chunk.data(), 4096);
        if (got <= 0)
            break;
        all.insert(all.end(), chunk.begin(), chunk.begin() + got * reader.channels());
    }
    return all;
}

} // namespace

// A seek lands on the very sample: what plays from there is what the ffmpeg
// command decodes at that offset. A sweep makes a shift of one sample show.
TEST(SegmentReader, SeeksAreSampleAccurateInEveryFormat)
{
    QTemporaryDir files;
    const QString sweep = "aevalsrc=0.8*sin(2*PI*(300+300*t)*t):s=44100:d=4";
    for (const QStringList& codec :
         {QStringList{"-c:a", "pcm_s16le", "x.wav"}, QStringList{"-c:a", "aac", "x.m4a"},
          QStringList{"-c:a", "libmp3lame", "-b:a", "192k", "x.mp3"},
          QStringList{"-c:a", "flac", "x.flac"}}) {
        SCOPED_TRACE(codec.last().toStdString());
        const QString path = files.filePath(codec.last());
        ASSERT_TRUE(ffmpeg(QStringList{"-f", "lavfi", "-i", sweep} +
                           codec.mid(0, codec.size() - 1) + QStringList{path}));
        const MediaInfoPtr info = MediaProber::probe(path);
        ASSERT_TRUE(info);
        const MovieSegment whole{info, info->startSample, info->durationSamples};

        const std::vector<float> reference = DecodedAudio::decode(path).channels.at(0);
        SegmentReader full({whole}, 44100, 1);
        ASSERT_TRUE(full.seek(0));
        EXPECT_EQ(int64_t(readAll(full).size()), full.length());
        EXPECT_NEAR(double(full.length()), double(reference.size()), 1024);

        for (const int64_t at : {int64_t(54441), int64_t(100000), int64_t(150001)}) {
            SegmentReader reader({whole}, 44100, 1);
            ASSERT_TRUE(reader.seek(at));
            std::vector<float> piece(4410);
            ASSERT_EQ(reader.read(piece.data(), 4410), 4410);
            float worst = 0;
            for (size_t i = 0; i < piece.size(); ++i)
                worst = std::max(worst, std::abs(piece[i] - reference[size_t(at) + i]));
            EXPECT_LT(worst, 0.01f) << "at " << at;
        }
        // A segment cut out of the middle reads exactly its samples.
        const MovieSegment middle{info, info->startSample + 30000, 20000};
        SegmentReader part({middle}, 44100, 1);
        ASSERT_TRUE(part.seek(0));
        const std::vector<float> cut = readAll(part);
        ASSERT_EQ(cut.size(), 20000u);
        EXPECT_LT(std::abs(cut.front() - reference[30000]), 0.01f);
        EXPECT_LT(std::abs(cut.back() - reference[49999]), 0.01f);
    }
}

TEST(Waveform, PeaksFollowTheSoundAndAreMeasuredOncePerVersionOfTheFile)
{
    QTemporaryDir dir;
    qputenv("XDG_CACHE_HOME", dir.filePath("cache").toUtf8());
    // An MP4 file is read from its packet table, any other through its demuxer.
    for (const char* name : {"quiet-loud-quiet.m4a", "quiet-loud-quiet.mp3"}) {
        SCOPED_TRACE(name);
        const QString path = dir.filePath(name);
        // Silence, a loud tone and silence again, two seconds each.
        auto make = [&](const char* volume) {
            return ffmpeg({"-f", "lavfi", "-i",
                           QString("sine=f=440:d=6,volume='%1':eval=frame").arg(volume), path});
        };
        ASSERT_TRUE(make("between(t,2,4)"));
        const std::vector<float> peaks = WaveformCache::peaks(path);
        ASSERT_EQ(peaks.size(), size_t(WaveformPeaks::kBuckets));
        // Seconds: the sine source's tone peaks at 1/8.
        const std::vector<float> seconds = WaveformPeaks::columns(peaks, 6);
        EXPECT_LT(std::max(seconds[0], seconds[5]), 0.01f);
        EXPECT_GT(std::min(seconds[2], seconds[3]), 0.1f);
        // Kept for the file as it is; a changed file is measured again.
        EXPECT_EQ(WaveformCache::load(path), peaks);
        ASSERT_TRUE(make("4*lt(t,2)"));
        EXPECT_FALSE(WaveformCache::load(path));
        EXPECT_GT(WaveformPeaks::columns(WaveformCache::peaks(path), 6)[0], 0.4f);
        EXPECT_TRUE(WaveformCache::load(path));
    }
    EXPECT_TRUE(WaveformCache::peaks(dir.filePath("none.m4a")).empty());
    qunsetenv("XDG_CACHE_HOME");
}
