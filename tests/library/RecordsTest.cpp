// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/TitleRules.h"
#include "library/TreeFixture.h"

#include <gtest/gtest.h>

TEST(Records, DurationTextTruncatesEachUnit)
{
    const std::pair<double, const char*> cases[] = {
        {0, "0s"}, {59.9, "59s"}, {61, "1m 1s"}, {3600, "1h 0m 0s"}, {3725.5, "1h 2m 5s"}};
    for (auto [seconds, text] : cases)
        EXPECT_EQ(RecItem::durationText(seconds), text) << seconds;
}

TEST(Records, MarkIdsAreUniqueAndNextIsOneAboveTheLargest)
{
    RecItem item;
    EXPECT_EQ(item.createMarkID(), 0);
    EXPECT_TRUE(item.addMarkAtTime(30, "late", 0));
    EXPECT_TRUE(item.addMarkAtTime(10, "early", 4));
    EXPECT_TRUE(item.addMarkAtTime(10, "same place", 2));
    EXPECT_FALSE(item.addMarkAtTime(5, "duplicate", 4));
    ASSERT_EQ(item.marks().size(), 3u);
    EXPECT_EQ(item.marks()[0]->descr(), "late"); // kept in the order added
    EXPECT_EQ(item.createMarkID(), 5);
    EXPECT_EQ(item.markByID(4)->descr(), "early");
    item.removeMark(item.markByID(4));
    EXPECT_EQ(item.markByID(4), nullptr);
    EXPECT_EQ(item.createMarkID(), 3);
}

TEST(Records, LevelsFollowMovesAndCollapsingHidesOnlyDirectSubItems)
{
    RecGroup root(RecGroup::Bare);
    auto* outer = new RecGroup;
    auto* inner = new RecGroup;
    auto* direct = new RecItem;
    auto* deep = new RecItem;
    PlainFactory::add(outer, &root);
    PlainFactory::add(direct, outer);
    PlainFactory::add(inner, outer);
    PlainFactory::add(deep, inner);
    EXPECT_EQ(deep->level(), 2);
    outer->setExpanded(true);
    inner->setExpanded(false);
    direct->setSelected(true);
    deep->setSelected(true);

    outer->setExpanded(false);
    EXPECT_TRUE(direct->isHidden());
    EXPECT_FALSE(direct->selected());
    EXPECT_TRUE(deep->selected());
    outer->setExpanded(true);
    EXPECT_FALSE(inner->isHidden());
    EXPECT_TRUE(deep->isHidden()); // its own category is still collapsed
    // Moving a category to the top level carries its subtree along.
    PlainFactory::attach(outer->removeSubItem(inner), &root);
    inner->recalcLevel();
    EXPECT_EQ(deep->level(), 1);
}

TEST(Records, SubItemsByTitleAndInsertion)
{
    RecGroup root(RecGroup::Bare);
    auto* talk = new RecItem;
    talk->setTitle("Small Talk");
    PlainFactory::add(talk, &root);
    EXPECT_EQ(root.subItemByTitle("small talk"), talk);
    auto* first = new RecItem;
    EXPECT_EQ(root.insertItemBefore(std::unique_ptr<GeneralRecItem>(first), talk), nullptr);
    EXPECT_EQ(root.subItems(), (QList<GeneralRecItem*>{first, talk}));
    // Before a row of another category: nothing, and the row comes back.
    RecItem stranger;
    auto item = std::make_unique<RecItem>();
    RecItem* row = item.get();
    EXPECT_EQ(root.insertItemBefore(std::move(item), &stranger).get(), row);
    EXPECT_EQ(root.subItems().size(), 2);
}

TEST(Records, OnlySinglePathComponentsAreSafeTitles)
{
    for (const QString& bad : {QString(""), QString("."), QString(".."), QString("a/b"),
                               QString("/"), QString("x") + QChar(0)})
        EXPECT_FALSE(TitleRules::isSafeTitle(bad)) << bad.toStdString();
    for (const char* good : {"Talk", "...", ".hidden", "a\\b", "Запись 1", " spaced "})
        EXPECT_TRUE(TitleRules::isSafeTitle(QString::fromUtf8(good))) << good;
    EXPECT_EQ(
        TitleRules::firstFree(
            "Untitled %1", [](const QString& s) { return s == "Untitled 1" || s == "Untitled 3"; }),
        "Untitled 2");
}
