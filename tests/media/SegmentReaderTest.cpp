// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/SegmentReader.h"

#include "media/MediaProber.h"
#include "support/Media.h"

#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

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
