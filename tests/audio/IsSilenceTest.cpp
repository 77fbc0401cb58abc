// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/IsSilence.h"

#include "audio/KvAudioBufferList.h"
#include "audio/SilenceSettings.h"

#include <algorithm>
#include <gtest/gtest.h>

TEST(Silence, LevelIsPeakToPeakOverAllChannels)
{
    constexpr uint32_t frames = 64;
    auto list = KvAudioBufferList::allocate(2, frames * sizeof(float));
    ASSERT_TRUE(list);
    // A constant offset is no sound at all, whatever the threshold.
    std::fill_n(list->data(0), frames, 0.1f);
    std::fill_n(list->data(1), frames, 0.1f);
    SilenceSettings::soundThreshold = 0.0f;
    EXPECT_TRUE(IsSilence(frames, list.get()));
    EXPECT_FLOAT_EQ(SilenceSettings::inputLevel(), 0.0f);
    // -0.1 on one channel and +0.1 on the other: level 0.2, silent at 0.2 (equal counts as silent).
    std::fill_n(list->data(0), frames, -0.1f);
    SilenceSettings::soundThreshold = 0.2f;
    EXPECT_TRUE(IsSilence(frames, list.get()));
    EXPECT_NEAR(SilenceSettings::inputLevel(), 0.2f, 1e-6f);
    SilenceSettings::soundThreshold = 0.19f;
    EXPECT_FALSE(IsSilence(frames, list.get()));
    // Only the first n frames count.
    list->data(1)[frames - 1] = 1.0f;
    EXPECT_FALSE(IsSilence(frames, list.get()));
    EXPECT_NEAR(SilenceSettings::inputLevel(), 1.1f, 1e-6f);
    SilenceSettings::soundThreshold = 0.2f;
    EXPECT_TRUE(IsSilence(frames - 1, list.get()));
    // A list without buffers is silent at level -200.
    auto empty = KvAudioBufferList::allocate(0, 256);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(IsSilence(64, empty.get()));
    EXPECT_FLOAT_EQ(SilenceSettings::inputLevel(), -200.0f);
}
