// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/QTTime.h"

#include <gtest/gtest.h>

TEST(QTTime, ComparesAcrossTimeScalesAndConvertsToSeconds)
{
    EXPECT_EQ(QTTimeCompare(QTMakeTime(44100, 44100), QTMakeTime(1000, 1000)), 0);
    EXPECT_EQ(QTTimeCompare(QTMakeTime(22049, 22050), QTMakeTime(44100, 44100)), -1);
    EXPECT_TRUE(QTMakeTime(1, 1000) < QTMakeTime(45, 44100));
    // Ten hours at 44.1 kHz against the same instant in nanoseconds: no overflow.
    EXPECT_EQ(QTTimeCompare(QTMakeTime(int64_t(36000) * 44100, 44100),
                            QTMakeTime(int64_t(36000) * 1000000000, 1000000000)),
              0);
    EXPECT_DOUBLE_EQ(QTTimeInSeconds(QTMakeTime(66150, 44100)), 1.5);
    EXPECT_DOUBLE_EQ(QTTimeInSeconds(QTMakeTime(5, 0)), 0.0);
    EXPECT_EQ(QTMakeTimeScaled(QTMakeTime(3, 2), 44100).timeValue, 66150);
    const QTTimeRange range = QTMakeTimeRange(QTMakeTime(1, 10), QTMakeTime(2, 10));
    EXPECT_EQ(range.time.timeValue, 1);
    EXPECT_EQ(range.duration.timeValue, 2);
}
