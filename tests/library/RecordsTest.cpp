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
    RecItem item;
    item.setDuration(3725.5);
    EXPECT_EQ(item.durationText(), "1h 2m 5s");
    EXPECT_EQ(item.duration(), 3725.5);
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

TEST(Records, LevelsFollowTheTreeAndMoves)
{
    RecGroup root(RecGroup::Bare);
    auto* a = new RecGroup;
    auto* b = new RecGroup;
    auto* talk = new RecItem;
    PlainFactory::add(a, &root);
    PlainFactory::add(b, a);
    PlainFactory::add(talk, b);
    EXPECT_EQ(a->level(), 0);
    EXPECT_EQ(b->level(), 1);
    EXPECT_EQ(talk->level(), 2);
    // Moving a category to the top level carries its subtree along.
    PlainFactory::attach(a->removeSubItem(b), &root);
    b->recalcLevel();
    EXPECT_EQ(b->level(), 0);
    EXPECT_EQ(talk->level(), 1);

    RecItem loose;
    loose.setParent(nullptr);
    EXPECT_EQ(loose.level(), 0);
}

TEST(Records, SubItemsByTitleAndInsertion)
{
    RecGroup root(RecGroup::Bare);
    auto* talk = new RecItem;
    talk->setTitle("Small Talk");
    PlainFactory::add(talk, &root);
    EXPECT_EQ(root.subItemByTitle("small talk"), talk);
    EXPECT_EQ(root.subItemByTitle(QString()), nullptr);

    auto* first = new RecItem;
    auto* last = new RecItem;
    EXPECT_EQ(root.insertItemBefore(std::unique_ptr<GeneralRecItem>(first), talk), nullptr);
    EXPECT_EQ(root.insertItemAfter(std::unique_ptr<GeneralRecItem>(last), talk), nullptr);
    EXPECT_EQ(root.subItems(), (QList<GeneralRecItem*>{first, talk, last}));
    // Before a row of another category: nothing, and the row comes back.
    RecItem stranger;
    auto item = std::make_unique<RecItem>();
    RecItem* row = item.get();
    EXPECT_EQ(root.insertItemBefore(std::move(item), &stranger).get(), row);
    EXPECT_EQ(root.subItems().size(), 3);
}

TEST(Records, CollapsingHidesAndDeselectsOnlyDirectSubItems)
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
    outer->setExpanded(true);
    inner->setExpanded(false);
    direct->setSelected(true);
    deep->setSelected(true);

    outer->setExpanded(false);
    EXPECT_TRUE(direct->isHidden());
    EXPECT_TRUE(inner->isHidden());
    EXPECT_FALSE(direct->selected());
    EXPECT_TRUE(deep->selected());

    outer->setExpanded(true);
    EXPECT_FALSE(direct->isHidden());
    EXPECT_FALSE(inner->isHidden());
    EXPECT_TRUE(deep->isHidden()); // its own category is still collapsed

    EXPECT_TRUE(root.isExpanded()); // a bare category is always open
    root.setExpanded(false);
    EXPECT_TRUE(root.isExpanded());
}

TEST(Records, OnlySinglePathComponentsAreSafeTitles)
{
    for (const QString& bad :
         {QString(""), QString("."), QString(".."), QString("a/b"), QString("/"),
          QString("x") + QChar(0), QString("a\x01b"), QString("a") + QChar(0xFFFE)})
        EXPECT_FALSE(TitleRules::isSafeTitle(bad)) << bad.toStdString();
    for (const char* good : {"Talk", "...", ".hidden", "a\\b", "Запись 1", " spaced "})
        EXPECT_TRUE(TitleRules::isSafeTitle(QString::fromUtf8(good))) << good;
    // User text around the number is taken as it is.
    EXPECT_EQ(TitleRules::firstFree("Talk %1 ", ".m4a",
                                    [](const QString& s) { return s == "Talk %1 1.m4a"; }),
              "Talk %1 2.m4a");
    EXPECT_EQ(TitleRules::cleaned("a" + QString(QChar(1)) + "b\tc" + QChar(0xFFFF)), "a_b\tc_");
}
