// SPDX-License-Identifier: GPL-3.0-or-later
#include "outline/EditableLabel.h"
#include "outline/RecRowView.h"
#include "outline/SearchController.h"
#include "support/OutlineFixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>

using Outline = OutlineFixture;

TEST_F(Outline, IdsPathsAndTheCurrentCategory)
{
    RecGroup* talks = group("Talks");
    talks->setID(7);
    RecGroup* inner = group("B", talks);
    RecItem* talk = item("Talk", inner);
    talk->setID(12);
    EXPECT_EQ(outline.groupPath(talk), "/Talks/B/Talk");

    EXPECT_EQ(outline.currentGroup(), outline.mainGroup());
    outline.selectItem(talk);
    EXPECT_EQ(outline.currentGroup(), inner);
    outline.selectItem(talks);
    EXPECT_EQ(outline.currentGroup(), talks);
}

TEST_F(Outline, PlainAndCommandClicks)
{
    RecItem* a = item("a");
    RecItem* b = item("b");
    RecItem* c = item("c");
    click(a);
    EXPECT_EQ(outline.chiefSelectedItem(), a);
    const int before = delegate.chiefChanges;
    click(a); // already the only selection and the chief
    EXPECT_EQ(delegate.chiefChanges, before);

    click(c, kCmd);
    EXPECT_EQ(selectedTitles(), (QStringList{"a", "c"}));
    EXPECT_EQ(outline.chiefSelectedItem(), c);
    click(c, kCmd | kShift); // Command wins over Shift
    EXPECT_EQ(selectedTitles(), (QStringList{"a"}));
    EXPECT_EQ(outline.chiefSelectedItem(), a);

    click(b, kShift);
    click(a, kCmd);
    EXPECT_EQ(outline.chiefSelectedItem(), b);

    delegate.recording = true;
    click(c);
    EXPECT_EQ(selectedTitles(), (QStringList{"b"}));
}

TEST_F(Outline, ShiftSelectsTheRangeInDocumentOrder)
{
    RecItem* top = item("top");
    RecGroup* cat = group("cat");
    RecItem* inside = item("inside", cat);
    RecItem* inside2 = item("inside2", cat);
    RecGroup* closed = group("closed", nullptr, false);
    RecItem* hidden = item("hidden", closed);
    RecItem* bottom = item("bottom");
    (void)top;
    (void)hidden;

    click(inside);
    click(bottom, kShift);
    EXPECT_EQ(selectedTitles(), (QStringList{"inside", "inside2", "closed", "bottom"}));
    EXPECT_TRUE(hidden->selected()); // inside a collapsed category within the range
    EXPECT_EQ(outline.chiefSelectedItem(), inside);
    // Backwards from the anchor, ending on a category row.
    click(cat, kShift);
    EXPECT_EQ(selectedTitles(), (QStringList{"cat"}));
    EXPECT_TRUE(inside->selected());
    EXPECT_FALSE(inside2->selected());

    click(inside, kShift); // on the chief itself: nothing stays selected
    EXPECT_TRUE(selectedTitles().isEmpty());
    EXPECT_EQ(outline.chiefSelectedItem(), inside);

    outline.deselectAll();
    click(bottom, kShift); // no chief: a plain click
    EXPECT_EQ(selectedTitles(), (QStringList{"bottom"}));
}

TEST_F(Outline, CollapsingMovesTheChiefAndSaves)
{
    RecGroup* cat = group("cat");
    RecItem* inside = item("inside", cat);
    RecItem* outside = item("outside");
    click(inside);
    click(outside, kCmd);
    click(inside, kCmd);
    click(inside, kCmd);
    ASSERT_EQ(outline.chiefSelectedItem(), inside);
    const int saves = delegate.saves;
    outline.expandGroup(cat, false);
    EXPECT_FALSE(inside->selected());
    EXPECT_EQ(outline.chiefSelectedItem(), outside);
    EXPECT_EQ(delegate.saves, saves + 1);
    remove(outside);
    EXPECT_EQ(outline.chiefSelectedItem(), nullptr);
}

TEST_F(Outline, RowsStackFromTheTopAndGrowingKeepsTheRowsInView)
{
    RecGroup* cat = group("cat");
    RecItem* first = item("first", cat);
    QList<RecItem*> rows;
    for (int i = 0; i < 30; ++i)
        rows << item(QString("r%1").arg(i));
    EXPECT_EQ(view->frameOf(first).y(), view->frameOf(cat).bottom() + 1);
    outline.expandGroup(cat, false);
    EXPECT_TRUE(view->frameOf(first).isNull());
    EXPECT_EQ(view->frameOf(rows[0]).y(), view->frameOf(cat).bottom() + 1);

    const int itemH = view->frameOf(rows[0]).height();
    scroll.verticalScrollBar()->setValue(5 * itemH);
    QApplication::processEvents();
    const QPoint onScreen = view->existingRowFor(rows[10])->mapTo(&scroll, QPoint(0, 0));
    const int height = view->height();
    item("added");
    QApplication::processEvents();
    EXPECT_EQ(view->height(), height + itemH);
    EXPECT_EQ(view->existingRowFor(rows[10])->mapTo(&scroll, QPoint(0, 0)), onScreen);
}

TEST_F(Outline, ScrollingHoldsAScreenOfRowsAndKeepsTheRowBeingEdited)
{
    QList<RecItem*> rows;
    for (int i = 0; i < 400; ++i)
        rows << item(QString("r%1").arg(i));
    const auto rowCount = [this] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return view->findChildren<RecRowView*>().size();
    };
    view->existingRowFor(rows[0])->titleLabel()->beginEditing();
    QScrollBar* bar = scroll.verticalScrollBar();
    for (int value = 0; value <= bar->maximum(); value += bar->pageStep() / 2) {
        bar->setValue(value);
        QApplication::processEvents();
        EXPECT_LE(rowCount(), 30);
    }
    bar->setValue(bar->maximum());
    QApplication::processEvents();
    ASSERT_TRUE(view->existingRowFor(rows[399]));
    EXPECT_TRUE(view->existingRowFor(rows[399])->isVisible());
    RecRowView* edited = view->existingRowFor(rows[0]);
    ASSERT_TRUE(edited);
    EXPECT_TRUE(edited->isEditing());
    EXPECT_FALSE(view->existingRowFor(rows[200]));

    edited->titleLabel()->endEditing(false);
    bar->setValue(0);
    QApplication::processEvents();
    EXPECT_LE(rowCount(), 30);
    EXPECT_TRUE(view->existingRowFor(rows[0])->isVisible());
    EXPECT_FALSE(view->existingRowFor(rows[399]));
}

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
        plans = item("Plans", talks);
        plans->setDescr("for the TALK next week");
        archive = group("Archive", nullptr, false);
        notes = item("Notes", archive);
        notes->addMarkAtTime(3, "intro", 0);
        notes->addMarkAtTime(9, "talking points", 1);
        old = item("Old", archive);
        talkative = group("Talkative");
        item("Quiet", talkative);
        top = item("Top talk");
        top->setDescr("talk again");
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
    EXPECT_EQ(outline.itemByPos(view->frameOf(notes).center()), notes); // clicks find it
    EXPECT_TRUE(view->frameOf(talks).isNull());
    EXPECT_TRUE(view->frameOf(old).isNull());
    EXPECT_TRUE(controller->search("", outline.mainGroup()).isEmpty());
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
    EXPECT_TRUE(view->frameOf(notes).isNull());
    EXPECT_FALSE(view->frameOf(small).isNull());
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
}

TEST_F(Search, ARowMadeDuringASearchIsShownWithTheResults)
{
    field.setText("talk");
    ASSERT_EQ(outline.chiefSelectedItem(), nullptr);
    RecGroup* target = outline.currentGroup();
    EXPECT_EQ(target, outline.mainGroup());
    RecItem* recording = item("Untitled 1");
    EXPECT_EQ(outline.mainGroup()->subItems().last(), recording);
    EXPECT_EQ(shownTitles().last(), "Untitled 1");
    EXPECT_FALSE(view->frameOf(recording).isNull());

    field.clear();
    EXPECT_EQ(outline.mainGroup()->subItems().last(), recording);
    EXPECT_FALSE(view->frameOf(recording).isNull());
    remove(recording);
}
