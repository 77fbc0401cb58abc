// SPDX-License-Identifier: GPL-3.0-or-later
// Writing audio files: joins, cuts and exports, of files made by the ffmpeg command
// and of recordings as the engine writes them.
#include "audio/AacFileWriter.h"
#include "media/AudioFile.h"
#include "media/FileBatch.h"
#include "media/MediaProber.h"
#include "media/MovieWriter.h"
#include "media/WaveformCache.h"
#include "media/WaveformPeaks.h"
#include "support/Media.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr double kAacFrame = 1024.0 / 44100;
const QString kFacts = QStringLiteral("codec_name,sample_rate,channels");

class MovieEdit : public ::testing::Test
{
protected:
    // A stereo AAC tone at the rate, as the recorder writes them.
    QString aac(const QString& name, int frequency, double seconds, int rate = 44100)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(makeTone(path, seconds,
                             {"-ac", "2", "-ar", QString::number(rate), "-c:a", "aac"}, frequency));
        return path;
    }
    std::unique_ptr<AudioFile> open(const QString& path)
    {
        QString error;
        std::unique_ptr<AudioFile> movie = AudioFile::movieWithFile(path, &error);
        EXPECT_TRUE(movie) << path.toStdString() << ": " << error.toStdString();
        return movie;
    }
    // The join as the recording workflow does it: each whole part appended to
    // the first file, written flattened.
    QString join(const QStringList& paths, const QString& name)
    {
        std::unique_ptr<AudioFile> first = open(paths.front());
        if (!first)
            return {};
        first->setEditable(true);
        for (qsizetype i = 1; i < paths.size(); ++i) {
            std::unique_ptr<AudioFile> part = open(paths[i]);
            if (!part)
                return {};
            part->setSelection(
                makeMediaTimeRange(makeMediaTime(0, part->timeScale()), part->duration()));
            EXPECT_TRUE(first->appendSelectionFromMovie(*part));
        }
        const QString out = dir.filePath(name);
        EXPECT_TRUE(first->writeToFile(out, {.flatten = true})) << first->lastError().toStdString();
        return out;
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(MovieEdit, JoinAcrossFormatsConvertsToTheFirstFilesFormat)
{
    const QString a = aac("a.m4a", 440, 2, 44100);
    const QString b = aac("b.m4a", 880, 2, 22050);
    const QString c = dir.filePath("c.flac");
    ASSERT_TRUE(makeTone(c, 1, {"-ac", "1", "-ar", "48000", "-c:a", "flac"}, 660));
    const QString joined = join({a, b, c}, "joined.m4a");
    EXPECT_EQ(probe(joined, kFacts), "aac\n44100\n2");
    EXPECT_NEAR(AudioFile::fileDuration(joined), 5.0, 2 * kAacFrame);
    const DecodedAudio audio = DecodedAudio::decode(joined);
    EXPECT_NEAR(audio.frequencyAt(0.2, 1.6), 440, 3);
    EXPECT_NEAR(audio.frequencyAt(2.2, 1.6), 880, 3);
    EXPECT_NEAR(audio.frequencyAt(4.1, 0.8), 660, 3);
    // A first file that is no AAC at all: the join is AAC at its rate.
    const QString w = dir.filePath("w.wav");
    ASSERT_TRUE(makeTone(w, 1, {"-ac", "1", "-ar", "22050", "-c:a", "pcm_s16le"}));
    const QString fromWav = join({w, a}, "fromwav.m4a");
    EXPECT_EQ(probe(fromWav, kFacts), "aac\n22050\n1");
    EXPECT_NEAR(AudioFile::fileDuration(fromWav), 3.0, 2 * 1024.0 / 22050);
    EXPECT_NEAR(frequencyAt(fromWav, 1.3, 1.5), 440, 3);
}

TEST_F(MovieEdit, DeletingARangeAtStartMiddleAndEnd)
{
    // 2 s at 440 Hz, then 2 s at 880 Hz.
    const QString source = dir.filePath("two.m4a");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=2", "-f", "lavfi", "-i",
                        "sine=frequency=880:duration=2", "-filter_complex", "concat=n=2:v=0:a=1",
                        "-ac", "2", "-c:a", "aac", source}));
    const QByteArray before = readFile(source);
    struct Cut
    {
        const char* name;
        double from, length;
        double low440From, low440Length, high880From, high880Length;
    };
    // The last cut reaches far past the end, as cutting the tail of a piece does.
    const Cut cuts[] = {
        {"start.m4a", 0.0, 1.0, 0.1, 0.8, 1.2, 1.7},
        {"middle.m4a", 1.5, 1.0, 0.1, 1.3, 1.6, 1.3},
        {"end.m4a", 3.0, 100.0, 0.1, 1.8, 2.1, 0.8},
    };
    for (const Cut& cut : cuts) {
        SCOPED_TRACE(cut.name);
        std::unique_ptr<AudioFile> movie = open(source);
        ASSERT_TRUE(movie);
        const int32_t scale = movie->timeScale();
        const MediaTimeRange range =
            makeMediaTimeRange(makeMediaTime(int64_t(cut.from * scale), scale),
                               makeMediaTime(int64_t(cut.length * scale), scale));
        EXPECT_FALSE(movie->deleteSegment(range)); // not editable yet
        EXPECT_NEAR(secondsOf(movie->duration()), 4.0, kAacFrame);
        movie->setEditable(true);
        ASSERT_TRUE(movie->deleteSegment(range));
        EXPECT_NEAR(secondsOf(movie->duration()), 3.0, kAacFrame);
        const QString out = dir.filePath(cut.name);
        ASSERT_TRUE(movie->writeToFile(out, {.flatten = true})) << movie->lastError().toStdString();
        EXPECT_NEAR(AudioFile::fileDuration(out), 3.0, 2 * kAacFrame);
        const DecodedAudio audio = DecodedAudio::decode(out);
        EXPECT_NEAR(audio.frequencyAt(cut.low440From, cut.low440Length), 440, 3);
        EXPECT_NEAR(audio.frequencyAt(cut.high880From, cut.high880Length), 880, 3);
    }
    EXPECT_EQ(readFile(source), before);
}

// A split cuts every piece from one measure of the file; a piece written
// after the file was replaced is cut from the new file's packets.
TEST_F(MovieEdit, PiecesOfOneMeasureFollowTheFileOnDisk)
{
    const QString source = aac("rec.m4a", 440, 3);
    const QString other = aac("other.m4a", 880, 3);
    const MediaInfoPtr info = MediaProber::probe(source);
    ASSERT_TRUE(info);
    const auto secondSecondOn = [&](const QString& name) {
        std::unique_ptr<AudioFile> movie = AudioFile::movieWithInfo(info);
        const int32_t scale = movie->timeScale();
        movie->setEditable(true);
        EXPECT_TRUE(movie->deleteSegment(
            makeMediaTimeRange(makeMediaTime(0, scale), makeMediaTime(scale, scale))));
        const QString out = dir.filePath(name);
        EXPECT_TRUE(movie->writeToFile(out, {.flatten = true})) << movie->lastError().toStdString();
        return DecodedAudio::decode(out);
    };
    EXPECT_NEAR(secondSecondOn("first.m4a").frequencyAt(0.1, 1.5), 440, 3);
    ASSERT_TRUE(QFile::remove(source) && QFile::rename(other, source));
    const DecodedAudio second = secondSecondOn("second.m4a");
    ASSERT_TRUE(second.ok);
    EXPECT_NEAR(second.frequencyAt(0.1, 1.5), 880, 3);
}

TEST_F(MovieEdit, WritingNeverTouchesASourceOrLeavesAHalfFile)
{
    const QString source = aac("rec.m4a", 440, 2);
    const QByteArray before = readFile(source);
    std::unique_ptr<AudioFile> movie = open(source);
    ASSERT_TRUE(movie);

    EXPECT_FALSE(movie->writeToFile(source, {.flatten = true}));
    EXPECT_FALSE(movie->lastError().isEmpty());
    EXPECT_EQ(readFile(source), before);
    // Files written into a batch appear only when it is committed, and
    // vanish with a batch that never is.
    for (const bool commit : {false, true}) {
        FileBatch batch;
        for (const char* name : {"a.m4a", "b.m4a"})
            ASSERT_TRUE(movie->writeToFile(dir.filePath(name), {.flatten = true, .batch = &batch}));
        EXPECT_FALSE(QFile::exists(dir.filePath("a.m4a")));
        if (commit) {
            EXPECT_EQ(batch.commit(), 2);
        }
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"a.m4a", "b.m4a", "rec.m4a"}));

    const QString nowhere = dir.filePath("no such folder/out.m4a");
    EXPECT_FALSE(movie->writeToFile(nowhere, {.flatten = true}));
    EXPECT_FALSE(QFile::exists(nowhere));
    // Only self-contained files are written.
    EXPECT_FALSE(movie->writeToFile(dir.filePath("ref.m4a"), {}));
    EXPECT_FALSE(QFile::exists(dir.filePath("ref.m4a")));
    // A movie whose only source disappeared fails cleanly and leaves nothing.
    ASSERT_TRUE(QFile::rename(source, dir.filePath("moved.m4a")));
    EXPECT_FALSE(movie->writeToFile(dir.filePath("out.m4a"), {.flatten = true}));
    EXPECT_FALSE(QFile::exists(dir.filePath("out.m4a")));
}

namespace {

const AudioFile::WriteAttributes kExport{
    .flatten = false, .exportMovie = true, .exportType = AudioFile::kFileTypeMPEG4};

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
    qputenv("XDG_CACHE_HOME", dir.filePath("cache").toUtf8());
    for (const auto& [name, args] : sources) {
        SCOPED_TRACE(name.toStdString());
        const QString source = dir.filePath(name);
        ASSERT_TRUE(makeTone(source, 4, args));
        const QByteArray before = readFile(source);
        std::unique_ptr<AudioFile> movie = AudioFile::movieWithFile(source);
        ASSERT_TRUE(movie);
        std::vector<double> updates;
        int ends = 0;
        movie->setOperationCallback([&](AudioFile&, ExportPhase phase, double fraction) {
            if (phase == ExportPhase::UpdatePercent)
                updates.push_back(fraction);
            ends += phase == ExportPhase::End;
            return true;
        });
        const QString out = dir.filePath(QString(name).replace('.', '_') + ".m4a");
        ASSERT_TRUE(movie->writeToFile(out, kExport)) << movie->lastError().toStdString();

        const QString rate = probe(source, "sample_rate");
        EXPECT_EQ(probe(out, "codec_name,sample_rate,channels"), "aac\n" + rate + "\n2");
        EXPECT_NEAR(AudioFile::fileDuration(out), secondsOf(movie->duration()),
                    1024.0 / rate.toDouble());
        EXPECT_NEAR(frequencyAt(out, 0.5, 3.0), 440, 3);
        // Its waveform was kept from the conversion, as a decoder finds it in the file.
        const std::optional<std::vector<float>> peaks = WaveformCache::load(out);
        ASSERT_TRUE(peaks);
        EXPECT_LT(drawnDistance(*peaks, WaveformPeaks::compute(out), 1600, 48), 1.0);
        EXPECT_EQ(ends, 1);
        ASSERT_FALSE(updates.empty());
        EXPECT_TRUE(std::is_sorted(updates.begin(), updates.end()));
        EXPECT_DOUBLE_EQ(updates.back(), 1.0);
        EXPECT_EQ(readFile(source), before);
    }
    qunsetenv("XDG_CACHE_HOME");
}

TEST(MovieExport, FailureAndCancelEndTheProgressOnceAndLeaveNoFile)
{
    QTemporaryDir dir;
    const QString source = dir.filePath("song.mp3");
    ASSERT_TRUE(makeTone(source, 3, {"-c:a", "libmp3lame"}));
    std::unique_ptr<AudioFile> movie = AudioFile::movieWithFile(source);
    ASSERT_TRUE(movie);
    int ends = 0;
    movie->setOperationCallback([&](AudioFile&, ExportPhase phase, double fraction) {
        if (phase == ExportPhase::End)
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

// A long encoding split over two cores: where the halves meet, the sound is
// the one-pass encoding's within the encoder's own noise.
TEST(MovieExport, TwoHalvesEncodeAsOnePass)
{
    QTemporaryDir dir;
    const QString source = dir.filePath("long.wav");
    ASSERT_TRUE(makeTone(source, 130, {"-ac", "1", "-c:a", "pcm_s16le"}));
    const MediaInfoPtr info = MediaProber::probe(source);
    ASSERT_TRUE(info);
    std::vector<DecodedAudio> outputs;
    for (const int threads : {1, 2}) {
        MovieWriter writer({{info, info->startSample, info->durationSamples}}, 44100, 1);
        writer.setThreads(threads);
        const QString out = dir.filePath(QStringLiteral("%1.m4a").arg(threads));
        ASSERT_EQ(writer.write(out), QString());
        outputs.push_back(DecodedAudio::decode(out));
        ASSERT_TRUE(outputs.back().ok);
    }
    const DecodedAudio original = DecodedAudio::decode(source);
    const std::vector<float>& one = outputs[0].channels[0];
    const std::vector<float>& two = outputs[1].channels[0];
    ASSERT_EQ(one.size(), two.size());
    const size_t middle = one.size() / 2 / 1024 * 1024;
    // From just before the middle through the time the second half's encoder
    // would take to settle had it started there.
    const size_t from = middle - 8192;
    const size_t to = middle + 20 * 44100;
    float noise = 0;
    float error = 0;
    for (size_t i = from; i < to; ++i) {
        noise = std::max(noise, std::fabs(one[i] - original.channels[0][i]));
        error = std::max(error, std::fabs(two[i] - original.channels[0][i]));
    }
    EXPECT_LE(error, 1.5f * noise);
    EXPECT_LE(outputs[1].largestStep(0, from, to), original.largestStep(0, from, to) + noise);
}

namespace {

// A recording as the program makes it: mono capture buffers of a sine tone
// through the engine's AAC writer into fragmented MP4, at one of the preset
// rates, then ended at the length of its sound as every recording is. The
// tone's phase runs on from `after` seconds, as if the capture had never stopped.
// With beats, every other quarter second is near silence; peaks gets what
// the writer saw.
QString record(const QTemporaryDir& files, const QString& name, int rate, double seconds,
               double after = 0, bool beats = false, PeakEnvelope* peaks = nullptr)
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
    const int64_t first = int64_t(after * 48000);
    for (int64_t at = first; at < first + int64_t(seconds * 48000); at += kBuffer) {
        for (uint32_t i = 0; i < kBuffer; ++i)
            buffer[i] = (beats && (at + i) / 12000 % 2 ? 0.01f : 0.5f) *
                        float(std::sin(2 * M_PI * 440 * double(at + i) / 48000));
        const float* planes[] = {buffer.data()};
        if (!writer.encodeBuffer(planes, kBuffer))
            return {};
    }
    writer.close();
    if (peaks)
        *peaks = writer.takeEnvelope();
    return AudioFile::endRecordingAt(path, writer.soundLength()) ? path : QString();
}

} // namespace

// The waveform the writer saw is the one a decoder finds in the file, also
// once a continuation is joined on: drawn on a wide strip they differ by
// less than a pixel. A file long enough for two decoding threads gives what
// one thread does.
TEST(EngineFiles, WrittenPeaksMatchTheDecodedFileAlsoAfterAJoin)
{
    QTemporaryDir files;
    qputenv("XDG_CACHE_HOME", files.filePath("cache").toUtf8());
    for (const auto& [rate, seconds] : {std::pair{44100, 1.1}, {11025, 4.3}, {22050, 61.1}}) {
        SCOPED_TRACE(QStringLiteral("%1 Hz, %2 s").arg(rate).arg(seconds).toStdString());
        const QString name = QStringLiteral("Beats %1").arg(rate);
        PeakEnvelope peaks, part;
        const QString first = record(files, name + ".m4a", rate, seconds, 0, true, &peaks);
        const QString next = record(files, name + " 1.m4a", rate, 1.1, seconds, true, &part);
        const std::vector<float> decoded = WaveformPeaks::compute(first);
        EXPECT_LT(drawnDistance(peaks.buckets(WaveformPeaks::kBuckets), decoded, 1600, 48), 1.0);
        if (seconds > 60) {
            EXPECT_LT(drawnDistance(WaveformPeaks::measure(first, nullptr, 1).buckets(4096),
                                    decoded, 1600, 48),
                      0.05);
        }

        std::unique_ptr<AudioFile> recording = AudioFile::movieWithFile(first);
        std::unique_ptr<AudioFile> continuation = AudioFile::movieWithFile(next);
        ASSERT_TRUE(recording && continuation);
        recording->setEditable(true);
        continuation->setSelection(
            makeMediaTimeRange(makeMediaTime(0, rate), continuation->duration()));
        ASSERT_TRUE(recording->appendSelectionFromMovie(*continuation));
        const QString joined = files.filePath(name + ".tmp");
        ASSERT_TRUE(recording->writeToFile(joined, {.flatten = true}));
        ASSERT_TRUE(WaveformCache::storeJoined(joined, peaks, part, 0, rate));
        EXPECT_LT(
            drawnDistance(*WaveformCache::load(joined), WaveformPeaks::compute(joined), 1600, 48),
            1.0);
    }
    qunsetenv("XDG_CACHE_HOME");
}

// A recording continued later, of one steady tone: the join plays as one
// take, with no silence from the encoder's delay or padding and no click,
// and only the frames around the seam are encoded again.
TEST(EngineFiles, ContinuationsPlayAsOneTakeAtEveryPreset)
{
    QTemporaryDir files;
    for (const int rate : {44100, 22050, 11025}) {
        // Lengths whose seams need the sound shorter and longer.
        for (const double seconds : {2.0, 2.47}) {
            SCOPED_TRACE(QStringLiteral("%1 Hz, %2 s").arg(rate).arg(seconds).toStdString());
            const double frame = 1024.0 / rate;
            const QString name = QStringLiteral("Talk %1 %2").arg(rate).arg(seconds);
            const QString first = record(files, name + ".m4a", rate, seconds);
            const QString part = record(files, name + " 1.m4a", rate, 1.5, seconds);
            std::unique_ptr<AudioFile> recording = AudioFile::movieWithFile(first);
            std::unique_ptr<AudioFile> continuation = AudioFile::movieWithFile(part);
            ASSERT_TRUE(recording && continuation);
            EXPECT_EQ(recording->duration().timeScale, rate);
            EXPECT_NEAR(secondsOf(recording->duration()), seconds, 2 * frame);
            recording->setEditable(true);
            continuation->setSelection(
                makeMediaTimeRange(makeMediaTime(0, rate), continuation->duration()));
            ASSERT_TRUE(recording->appendSelectionFromMovie(*continuation));
            const QString joined = files.filePath(name + ".tmp");
            ASSERT_TRUE(recording->writeToFile(joined, {.flatten = true}))
                << recording->lastError().toStdString();

            // Both parts' packets, but for a few frames on either side of the seam.
            const std::vector<QByteArray> a = packets(first);
            const std::vector<QByteArray> b = packets(part);
            const std::vector<QByteArray> j = packets(joined);
            ASSERT_GT(j.size(), 16u);
            EXPECT_TRUE(std::equal(a.begin(), a.end() - 8, j.begin()));
            EXPECT_TRUE(std::equal(b.begin() + 8, b.end(), j.end() - (b.size() - 8)));
            // The part's encoder delay and the recording's padding are gone; the
            // seam holds the recording's end for less than a frame and a fade.
            const double firstSound = std::ceil(seconds * 48000 / 512) * 512 / 48000;
            EXPECT_NEAR(AudioFile::fileDuration(first), firstSound, 1.0 / rate);
            const double held =
                AudioFile::fileDuration(joined) - firstSound - AudioFile::fileDuration(part);
            EXPECT_GT(held, 0);
            EXPECT_LT(held, frame + 0.011);

            // No gap, and no step in the wave beyond those of the two recordings'
            // own sound at their ends, less the one step where each was cut off.
            const DecodedAudio before = DecodedAudio::decode(first);
            const DecodedAudio after = DecodedAudio::decode(part);
            const DecodedAudio audio = DecodedAudio::decode(joined);
            ASSERT_TRUE(before.ok && after.ok && audio.ok);
            const auto at = [&](double s) { return size_t(s * rate); };
            const size_t end = before.frames();
            const size_t stop = before.largestStepAt(0, end - 1024, end);
            const size_t start = after.largestStepAt(0, 0, 2048);
            const float own = std::max(before.largestStep(0, at(0.5), stop - 1),
                                       after.largestStep(0, start + 2, at(0.5)));
            const float tone = audio.peak(0, at(0.5), at(1.5));
            EXPECT_LT(audio.longestQuiet(0, end - at(0.2), end + at(0.2), 0.1f * tone), 0.005);
            EXPECT_LE(audio.largestStep(0, end - at(0.2), end + at(0.2)), own);
            EXPECT_NEAR(audio.frequencyAt(seconds + 0.1, 1.0), 440, 2);

            // A piece cut out of the joined file, as the split makes it.
            std::unique_ptr<AudioFile> whole = AudioFile::movieWithFile(joined);
            ASSERT_TRUE(whole);
            whole->setEditable(true);
            ASSERT_TRUE(whole->deleteSegment(
                makeMediaTimeRange(makeMediaTime(0, rate), makeMediaTime(rate, rate))));
            ASSERT_TRUE(whole->deleteSegment(
                makeMediaTimeRange(makeMediaTime(rate, rate), makeMediaTime(100 * rate, rate))));
            const QString piece = files.filePath(name + " piece.m4a");
            ASSERT_TRUE(whole->writeToFile(piece, {.flatten = true}));
            EXPECT_NEAR(AudioFile::fileDuration(piece), 1.0, frame);
            EXPECT_NEAR(frequencyAt(piece, 0.1, 0.8), 440, 2);
        }
    }
}
