// SPDX-License-Identifier: GPL-3.0-or-later
#include "outline/OutlineFixture.h"
#include "outline/SearchController.h"

#include <QLineEdit>
#include <QScrollBar>

namespace {

class Search : public OutlineFixture
{
protected:
    void SetUp() override
    {
        OutlineFixture::SetUp();
        // Talks (expanded) > Small talk, Plans; Archive (collapsed) > Notes (with a note), Old;
        // Talkative category with nothing matching inside; Top at the end.
        talks = group("Talks");
        small = item("Small talk", talks);
        plans = item("Plans", talks, "for the TALK next week");
        archive = group("Archive", nullptr, false);
        notes = item("Notes", archive);
        notes->addMarkAtTime(3, "intro", 0);
        notes->addMarkAtTime(9, "talking points", 1);
        old = item("Old", archive);
        talkative = group("Talkative");
        item("Quiet", talkative);
        top = item("Top talk", nullptr, "talk again");
        top->addMarkAtTime(1, "talk", 0);
        controller = std::make_unique<SearchController>(&field, &outline);
    }

    QLineEdit field;
    std::unique_ptr<SearchController> controller;
    RecGroup* talks = nullptr;
    RecGroup* archive = nullptr;
    RecGroup* talkative = nullptr;
    RecItem* small = nullptr;
    RecItem* plans = nullptr;
    RecItem* notes = nullptr;
    RecItem* old = nullptr;
    RecItem* top = nullptr;
};

} // namespace

TEST_F(Search, FindsTitlesDescriptionsAndNotesOnceEachInDocumentOrder)
{
    field.setText("TALK");
    ASSERT_TRUE(outline.isSearchMode());
    // A recording matching in its title, description and a note is listed
    // once; the category whose title matches is not a result.
    EXPECT_EQ(shownTitles(), (QStringList{"Small talk", "Plans", "Notes", "Top talk"}));
    EXPECT_EQ(outline.mainGroup()->subItems().size(), 4); // the tree itself is untouched
    EXPECT_EQ(small->parent(), talks);
    EXPECT_EQ(small->level(), 1);
    // Results are stacked from the top; the collapsed category's rows are shown too.
    EXPECT_EQ(view->frameOf(small).y(), 1);
    EXPECT_FALSE(view->frameOf(notes).isNull());
    EXPECT_TRUE(view->frameOf(talks).isNull());
    EXPECT_TRUE(view->frameOf(old).isNull());
    EXPECT_EQ(outline.groupPath(small), "/Talks/Small talk");

    EXPECT_TRUE(SearchController::stringContain("Small Talk", "tALK"));
    EXPECT_FALSE(SearchController::stringContain("", "a"));
    EXPECT_FALSE(SearchController::stringContain("a", ""));
    EXPECT_TRUE(SearchController::search("x", nullptr).isEmpty());
    EXPECT_TRUE(SearchController::search("", outline.mainGroup()).isEmpty());
}

TEST_F(Search, NoMatchStaysInSearchModeAndClearingRestoresTheTreeAndSaves)
{
    for (int i = 0; i < 20; ++i)
        item(QString("Filler %1").arg(i));
    QScrollBar* bar = scroll.verticalScrollBar();
    bar->setValue(bar->maximum());
    const int scrolled = bar->value();
    ASSERT_GT(scrolled, 0);
    field.setText("tal");
    field.setText("zebra");
    EXPECT_TRUE(outline.isSearchMode());
    EXPECT_TRUE(shownTitles().isEmpty());
    EXPECT_EQ(view->height(), scroll.viewport()->height());

    const int saves = delegate.saves;
    field.clear();
    EXPECT_FALSE(outline.isSearchMode());
    EXPECT_EQ(delegate.saves, saves + 1); // what changed during the search is saved now
    EXPECT_FALSE(archive->isExpanded());
    EXPECT_TRUE(notes->isHidden());
    EXPECT_TRUE(view->frameOf(notes).isNull());
    EXPECT_FALSE(small->isHidden());
    EXPECT_FALSE(view->frameOf(small).isNull());
    EXPECT_EQ(view->frameOf(talks).y(), 1);
    EXPECT_EQ(bar->value(), scrolled);
}

TEST_F(Search, SelectionSurvivesBothSwitches)
{
    outline.selectItem(plans);
    outline.addToSelection(top);
    field.setText("small");
    EXPECT_EQ(outline.chiefSelectedItem(), top); // switching leaves the chief alone
    EXPECT_TRUE(plans->selected());
    outline.onItemClick(small);
    EXPECT_EQ(titles(outline.selectedItemsOfGroup(outline.mainItem())), QStringList{"Small talk"});

    field.setText("talk");
    EXPECT_TRUE(small->selected());
    field.clear();
    EXPECT_TRUE(small->selected());
    EXPECT_EQ(outline.chiefSelectedItem(), small);

    field.setText("talk");
    outline.addToSelection(top);
    outline.deselectAll();
    EXPECT_EQ(outline.chiefSelectedItem(), nullptr);
    EXPECT_FALSE(top->selected());
    EXPECT_FALSE(small->selected());
}

TEST_F(Search, ARowMadeDuringASearchGoesToTheLibraryRootAndIsShown)
{
    field.setText("talk");
    ASSERT_EQ(outline.chiefSelectedItem(), nullptr);
    RecGroup* target = outline.currentGroup();
    EXPECT_EQ(target, outline.mainGroup());
    auto owned = outline.createNewItem();
    RecItem* recording = owned.get();
    recording->setTitle("Untitled 1");
    outline.addItem(std::move(owned), outline.searchGroup()); // even when asked for the results
    EXPECT_EQ(recording->parent(), outline.mainGroup());
    EXPECT_EQ(outline.mainGroup()->subItems().last(), recording);
    EXPECT_EQ(shownTitles().last(), "Untitled 1");
    EXPECT_FALSE(view->frameOf(recording).isNull());

    field.clear();
    EXPECT_EQ(outline.mainGroup()->subItems().last(), recording);
    EXPECT_FALSE(view->frameOf(recording).isNull());
    outline.removeItem(recording);
}
