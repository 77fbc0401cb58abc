// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "outline/OutlineDelegate.h"
#include "outline/RecOutlineController.h"
#include "outline/RecOutlineView.h"
#include "outline/RecRowView.h"
#include "support/QtApp.h"

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace {

struct Delegate : OutlineDelegate
{
    int saves = 0;
    int chiefChanges = 0;
    bool recording = false;
    void structChanged() override { ++saves; }
    void chiefSelectedChanged() override { ++chiefChanges; }
    bool renameItem(GeneralRecItem*, const QString&) override { return true; }
    bool isRecording() const override { return recording; }
};

class Outline : public ::testing::Test
{
protected:
    void SetUp() override
    {
        scroll.resize(300, 200);
        outline.setAppDelegate(&delegate);
        outline.setOutlineView(view, &scroll);
        outline.setModifierQuery([this] { return modifiers; });
        scroll.show();
        QApplication::processEvents();
    }

    RecGroup* group(const QString& title, RecGroup* parent, bool expanded = true)
    {
        auto owned = outline.createNewGroup();
        RecGroup* g = owned.get();
        g->setTitle(title);
        g->setExpanded(expanded);
        outline.addGroup(std::move(owned), parent ? parent : outline.mainGroup());
        return g;
    }
    RecItem* item(const QString& title, RecGroup* parent = nullptr)
    {
        auto owned = outline.createNewItem();
        RecItem* i = owned.get();
        i->setTitle(title);
        outline.addItem(std::move(owned), parent ? parent : outline.mainGroup());
        return i;
    }
    void click(GeneralRecItem* row, unsigned mods = 0)
    {
        modifiers = mods;
        outline.onItemClick(row);
        modifiers = 0;
    }
    QStringList selectedTitles()
    {
        QStringList titles;
        for (GeneralRecItem* i : outline.selectedItemsOfGroup(outline.mainItem()))
            titles << i->title();
        return titles;
    }

    QApplication& app = qtApp();
    Delegate delegate;
    QScrollArea scroll;
    RecOutlineView* view = new RecOutlineView;
    RecOutlineController outline;
    unsigned modifiers = 0;
    static constexpr unsigned kCmd = RecOutlineController::kCommandKeyMask;
    static constexpr unsigned kShift = RecOutlineController::kShiftKeyMask;
};

} // namespace

TEST_F(Outline, IdsPathsAndTheCurrentCategory)
{
    EXPECT_EQ(outline.findMaxID(outline.mainGroup()), -1);
    EXPECT_EQ(outline.createNewID(), 0);
    RecGroup* talks = group("Talks", nullptr);
    talks->setID(7);
    RecGroup* inner = group("B", talks);
    RecItem* talk = item("Talk", inner);
    talk->setID(12);
    EXPECT_EQ(outline.createNewID(), 13);
    EXPECT_EQ(outline.groupPath(talks), "/Talks");
    EXPECT_EQ(outline.groupPath(talk), "/Talks/B/Talk");
    EXPECT_EQ(outline.groupPath(outline.mainItem()), "");

    EXPECT_EQ(outline.currentGroup(), outline.mainGroup());
    outline.selectItem(talk);
    EXPECT_EQ(outline.currentGroup(), inner);
    outline.selectItem(talks);
    EXPECT_EQ(outline.currentGroup(), talks);

    // While a search is shown only the found recordings count.
    auto found = std::make_unique<RecGroup>(RecGroup::Bare);
    RecItem* hit = item("Hit");
    hit->setID(3);
    found->listSubItem(hit);
    outline.setSearchGroup(std::move(found));
    EXPECT_EQ(outline.createNewID(), 4);
    outline.setSearchGroup(nullptr);
    EXPECT_EQ(outline.createNewID(), 13);
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
    RecGroup* cat = group("cat", nullptr);
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
    RecGroup* cat = group("cat", nullptr);
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
    outline.removeItem(outside);
    EXPECT_EQ(outline.chiefSelectedItem(), nullptr);
}

TEST_F(Outline, LayoutFillsTheViewAndStacksRowsFromTheTop)
{
    const int visible = scroll.viewport()->height();
    EXPECT_EQ(view->height(), visible); // empty library

    RecGroup* cat = group("cat", nullptr);
    RecItem* first = item("first", cat);
    RecItem* second = item("second");
    EXPECT_EQ(view->height(), visible);
    EXPECT_EQ(view->frameOf(cat).y(), 1);
    const int groupH = view->frameOf(cat).height();
    const int itemH = view->frameOf(first).height();
    EXPECT_EQ(view->frameOf(first).y(), 1 + groupH);
    EXPECT_EQ(view->frameOf(second).y(), 1 + groupH + itemH);
    EXPECT_EQ(outline.groupHeight(outline.mainGroup()), groupH + 2 * itemH);

    outline.expandGroup(cat, false);
    EXPECT_TRUE(view->frameOf(first).isNull());
    EXPECT_FALSE(view->existingRowFor(first)->isVisible());
    EXPECT_EQ(view->frameOf(second).y(), 1 + groupH);
}

TEST_F(Outline, GrowingKeepsTheRowsInView)
{
    QList<RecItem*> rows;
    for (int i = 0; i < 30; ++i)
        rows << item(QString("r%1").arg(i));
    const int itemH = view->frameOf(rows[0]).height();
    EXPECT_EQ(view->height(), 30 * itemH + 1);
    scroll.verticalScrollBar()->setValue(5 * itemH);
    QApplication::processEvents();
    const QPoint onScreen = view->existingRowFor(rows[10])->mapTo(&scroll, QPoint(0, 0));

    item("added");
    QApplication::processEvents();
    EXPECT_EQ(view->height(), 31 * itemH + 1);
    EXPECT_EQ(view->existingRowFor(rows[10])->mapTo(&scroll, QPoint(0, 0)), onScreen);
}
