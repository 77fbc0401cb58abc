// SPDX-License-Identifier: GPL-3.0-or-later
// Copies of a recording in each format, read back by ffprobe and ffmpeg.
#include "media/AudioExporter.h"
#include "support/Media.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

constexpr double kSeconds = 50;

// A quiet voice-like tone over hiss, as a stereo AAC recording.
QString recording(const QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("Weekly call.m4a"));
    EXPECT_TRUE(
        ffmpeg({"-f", "lavfi", "-i",
                QStringLiteral("sine=frequency=300:sample_rate=44100:duration=%1").arg(kSeconds),
                "-f", "lavfi", "-i", "anoisesrc=a=0.01:r=44100", "-filter_complex",
                "[0]volume=0.08[a];[a][1]amix=inputs=2:duration=first,volume=2", "-ac", "2", "-c:a",
                "aac", path}));
    return path;
}

ExportItem item(const QString& source, const QString& destination)
{
    ExportItem made;
    made.source = source;
    made.destination = destination;
    made.title = QStringLiteral("Weekly call");
    made.date = QDateTime(QDate(2026, 3, 4), QTime(10, 20));
    made.description = QStringLiteral("Budget and hiring");
    made.chapters = {{5.5, QStringLiteral("Budget")},
                     {17.25, QStringLiteral("Hiring")},
                     {33.0, QStringLiteral("Next steps")}};
    return made;
}

QJsonObject ffprobeJson(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral("ffprobe"), {"-v", "error", "-show_chapters", "-show_format",
                                              "-show_streams", "-of", "json", path});
    process.waitForFinished(30000);
    return QJsonDocument::fromJson(process.readAllStandardOutput()).object();
}

QString tag(const QJsonObject& tags, const QString& key)
{
    for (auto it = tags.begin(); it != tags.end(); ++it)
        if (it.key().compare(key, Qt::CaseInsensitive) == 0)
            return it.value().toString();
    return {};
}

double integratedLoudness(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral("ffmpeg"),
                  {"-nostdin", "-i", path, "-af", "ebur128", "-f", "null", "-"});
    process.waitForFinished(60000);
    const QString log = QString::fromUtf8(process.readAllStandardError());
    const auto match =
        QRegularExpression(QStringLiteral("I:\\s+(-?[\\d.]+) LUFS")).globalMatch(log);
    QString last;
    for (auto it = match; it.hasNext();)
        last = it.next().captured(1);
    return last.isEmpty() ? 0 : last.toDouble();
}

struct Case
{
    ExportFormat format;
    bool chapters;
    double frame; // seconds of one coded frame
};

TEST(Export, EachFormatCarriesTagsChaptersAndLength)
{
    QTemporaryDir dir;
    const QString source = recording(dir);
    const QByteArray original = readFile(source);
    const Case cases[] = {{ExportFormat::Opus, true, 0.02},
                          {ExportFormat::Mp3, true, 1152.0 / 44100},
                          {ExportFormat::Flac, true, 4608.0 / 44100},
                          {ExportFormat::Wav, false, 1.0 / 44100},
                          {ExportFormat::M4a, true, 1024.0 / 44100}};
    const double length = ffprobeSeconds(source);
    for (const Case& c : cases) {
        const QString out = dir.filePath("out." + AudioExporter::suffix(c.format));
        SCOPED_TRACE(out.toStdString());
        ExportOptions options;
        options.format = c.format;
        ASSERT_EQ(AudioExporter::write(item(source, out), options, {}).toStdString(), "");
        const QJsonObject probed = ffprobeJson(out);
        // Ogg keeps the tags with the stream.
        QJsonObject tags = probed["format"].toObject()["tags"].toObject();
        const QJsonObject streamTags = probed["streams"][0].toObject()["tags"].toObject();
        for (auto it = streamTags.begin(); it != streamTags.end(); ++it)
            tags.insert(it.key(), it.value());
        EXPECT_EQ(tag(tags, "title"), "Weekly call");
        EXPECT_EQ(tag(tags, "comment"), "Budget and hiring");
        EXPECT_TRUE(tag(tags, "date").startsWith("2026-03-04")) << tag(tags, "date").toStdString();
        EXPECT_NEAR(DecodedAudio::decode(out).seconds(), length, c.frame);
        // MPEG-4 chapters start at 0: one named after the recording comes first.
        QJsonArray chapters = probed["chapters"].toArray();
        if (c.format == ExportFormat::M4a) {
            EXPECT_EQ(tag(chapters.first()["tags"].toObject(), "title"), "Weekly call");
            chapters.removeFirst();
        }
        ASSERT_EQ(chapters.size(), c.chapters ? 3 : 0);
        const ExportItem expected = item(source, out);
        for (qsizetype i = 0; i < chapters.size(); ++i) {
            const QJsonObject chapter = chapters[i].toObject();
            EXPECT_NEAR(chapter["start_time"].toString().toDouble(),
                        expected.chapters[size_t(i)].start, 0.01);
            EXPECT_EQ(tag(chapter["tags"].toObject(), "title"), expected.chapters[size_t(i)].title);
        }
    }
    EXPECT_EQ(readFile(source), original);
}

TEST(Export, CleanerVoiceReachesTheSpokenWordLoudness)
{
    QTemporaryDir dir;
    const QString source = recording(dir);
    const QString out = dir.filePath(QStringLiteral("clean.opus"));
    ExportOptions options;
    options.reduceNoise = true;
    options.evenLoudness = true;
    ASSERT_EQ(AudioExporter::write(item(source, out), options, {}).toStdString(), "");
    EXPECT_NEAR(integratedLoudness(out), -16.0, 1.0);
    EXPECT_NEAR(DecodedAudio::decode(out).seconds(), ffprobeSeconds(source), 0.02);
}

TEST(Export, CancelledExportLeavesNothing)
{
    QTemporaryDir dir;
    const QString source = recording(dir);
    for (const bool clean : {false, true}) {
        ExportOptions options;
        options.evenLoudness = clean;
        int calls = 0;
        EXPECT_NE(AudioExporter::write(item(source, dir.filePath("out.opus")), options,
                                       [&](double) { return ++calls < 3; }),
                  "");
        EXPECT_EQ(listing(dir.path()), QStringList{"Weekly call.m4a"});
    }
}

} // namespace
