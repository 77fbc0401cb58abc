// SPDX-License-Identifier: GPL-3.0-or-later
// The outline without a mouse: keys on the real view, and what screen readers
// read of it through Qt's accessibility interfaces.
#include "outline/EditableLabel.h"
#include "outline/EmptyLibraryHint.h"
#include "outline/OutlineKeyHandler.h"
#include "outline/RecRowView.h"
#include "support/OutlineFixture.h"

#include <QAccessible>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

namespace {

// A (expanded): a1, a2; B (collapsed): b1; then c and d.
class OutlineKeys : public OutlineFixture
{
protected:
    void SetUp() override
    {
        OutlineFixture::SetUp();
        rows["A"] = a = group("A");
        rows["a1"] = a1 = item("a1", a);
        rows["a2"] = item("a2", a);
        rows["B"] = b = group("B", nullptr, false);
        rows["b1"] = b1 = item("b1", b);
        rows["c"] = c = item("c");
        rows["d"] = d = item("d");
        scroll.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&scroll));
        view->setFocus(Qt::TabFocusReason);
    }
    static void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    }
    QString chief() const
    {
        return outline.chiefSelectedItem() ? outline.chiefSelectedItem()->title() : "-";
    }

    QHash<QString, GeneralRecItem*> rows;
    RecGroup *a = nullptr, *b = nullptr;
    RecItem *a1 = nullptr, *b1 = nullptr, *c = nullptr, *d = nullptr;
};

} // namespace

TEST_F(OutlineKeys, ArrowsHomeAndEndMoveTheChiefThroughTheShownRows)
{
    const struct
    {
        const char* from; // "-": nothing selected
        int key;
        const char* to;
    } cases[] = {
        {"a1", Qt::Key_Down, "a2"}, {"a2", Qt::Key_Down, "B"}, {"d", Qt::Key_Down, "d"},
        {"c", Qt::Key_Up, "B"},     {"A", Qt::Key_Up, "A"},    {"c", Qt::Key_Home, "A"},
        {"a1", Qt::Key_End, "d"},   {"-", Qt::Key_Down, "A"},  {"-", Qt::Key_End, "d"},
    };
    for (const auto& move : cases) {
        SCOPED_TRACE(std::string(move.from) + " " +
                     QKeySequence(move.key).toString().toStdString());
        outline.deselectAll();
        click(rows.value(move.from));
        press(move.key);
        EXPECT_EQ(chief(), move.to);
        EXPECT_EQ(selectedTitles(), QStringList{move.to});
    }
    delegate.recording = true; // the selection then shows the recording and stays
    press(Qt::Key_Up);
    EXPECT_EQ(chief(), "d");
}

TEST_F(OutlineKeys, ShiftRangesByKeysAreTheRangesOfShiftClicks)
{
    const struct
    {
        const char* from;
        QList<int> keys;
        const char* clicked;
    } cases[] = {
        {"a1", {Qt::Key_Down, Qt::Key_Down}, "B"},
        {"c", {Qt::Key_Up, Qt::Key_Up, Qt::Key_Up}, "a1"},
        {"a2", {Qt::Key_End}, "d"},
        {"a2", {Qt::Key_Home}, "A"},
        {"a1", {Qt::Key_Down, Qt::Key_Up}, "a1"}, // back on the anchor
    };
    for (const auto& range : cases) {
        SCOPED_TRACE(std::string(range.from) + " to " + range.clicked);
        click(rows.value(range.from));
        for (int key : range.keys)
            press(key, Qt::ShiftModifier);
        const QStringList byKeys = selectedTitles();
        const QString chiefByKeys = chief();
        click(rows.value(range.from));
        click(rows.value(range.clicked), kShift);
        EXPECT_EQ(byKeys, selectedTitles());
        EXPECT_EQ(chiefByKeys, chief());
    }
}

TEST_F(OutlineKeys, LeftAndRightCollapseExpandAndStepBetweenCategoryAndRows)
{
    click(a);
    const struct
    {
        int key;
        const char* chief;
        bool aExpanded;
    } steps[] = {
        {Qt::Key_Right, "a1", true}, {Qt::Key_Right, "a1", true}, {Qt::Key_Left, "A", true},
        {Qt::Key_Left, "A", false},  {Qt::Key_Left, "A", false},  {Qt::Key_Right, "A", true},
    };
    for (const auto& step : steps) {
        press(step.key);
        EXPECT_EQ(chief(), step.chief);
        EXPECT_EQ(a->isExpanded(), step.aExpanded);
    }
    click(b1->parent());
    press(Qt::Key_Right);
    press(Qt::Key_Right);
    EXPECT_EQ(chief(), "b1");
}

TEST_F(OutlineKeys, PageKeysMoveAScreenAndKeepTheRowInView)
{
    QList<RecItem*> more;
    for (int i = 0; i < 30; ++i)
        more << item(QString("r%1").arg(i));
    const int page = scroll.viewport()->height() / view->frameOf(more[0]).height();
    click(more[0]);
    press(Qt::Key_PageDown);
    press(Qt::Key_PageDown);
    ASSERT_EQ(outline.chiefSelectedItem(), more[2 * page]);
    const QRect frame = view->frameOf(more[2 * page]);
    const int top = scroll.verticalScrollBar()->value();
    EXPECT_GE(frame.top(), top);
    EXPECT_LE(frame.bottom(), top + scroll.viewport()->height());
    press(Qt::Key_PageUp);
    EXPECT_EQ(outline.chiefSelectedItem(), more[page]);
}

TEST_F(OutlineKeys, F2AndReturnRenameInPlaceDeleteAsksForTheDeleteButton)
{
    QSignalSpy deletes(outline.keyHandler(), &OutlineKeyHandler::deleteRequested);
    click(c);
    for (int key : {Qt::Key_F2, Qt::Key_Return}) {
        press(key);
        EditableLabel* title = view->existingRowFor(c)->titleLabel();
        ASSERT_TRUE(title->isEditing());
        title->editor()->setText("renamed");
        // Up and Delete belong to the editor, not to the outline.
        press(Qt::Key_Up);
        press(Qt::Key_Delete);
        EXPECT_EQ(chief(), "c");
        EXPECT_EQ(deletes.count(), 0);
        press(key == Qt::Key_F2 ? Qt::Key_Escape : Qt::Key_Return);
        EXPECT_FALSE(title->isEditing()); // Return does not open it again
        EXPECT_TRUE(view->hasFocus());
    }
    EXPECT_EQ(delegate.renames, QStringList{"renamed"});
    press(Qt::Key_Delete);
    EXPECT_EQ(deletes.count(), 1);
}

TEST_F(OutlineKeys, AnEmptyLibraryShowsTheHintUntilItsFirstRow)
{
    EmptyLibraryHint* hint = view->emptyHint();
    EXPECT_FALSE(hint->isVisible());
    for (GeneralRecItem* top : QList<GeneralRecItem*>{a, b, c, d})
        remove(top);
    EXPECT_TRUE(hint->isVisible());
    EXPECT_TRUE(hint->text().startsWith("Press the red button"));
    hint->setRecordKeys("Super+Shift+R");
    EXPECT_TRUE(hint->text().startsWith("Press Super+Shift+R or the red button"));
    // Screen readers hear it as the list's description.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(view)->text(QAccessible::Description),
              hint->text());
    item("first");
    EXPECT_FALSE(hint->isVisible());
}

TEST_F(OutlineKeys, ScreenReadersReadTheRowsAsATree)
{
    a1->setDate("05/06 07:08");
    a1->setDuration(65);
    click(a1);
    QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(view);
    EXPECT_EQ(tree->role(), QAccessible::Tree);
    EXPECT_EQ(tree->text(QAccessible::Name), "Recordings");
    ASSERT_EQ(tree->childCount(), 4);
    QAccessibleInterface* top = tree->child(0);
    EXPECT_EQ(top->role(), QAccessible::TreeItem);
    EXPECT_EQ(top->text(QAccessible::Name), "A");
    EXPECT_TRUE(top->state().expandable && top->state().expanded);
    ASSERT_EQ(top->childCount(), 2);
    QAccessibleInterface* first = top->child(0);
    EXPECT_EQ(first->text(QAccessible::Name), "a1");
    EXPECT_EQ(first->text(QAccessible::Description), "05/06 07:08, 1m 5s");
    EXPECT_TRUE(first->state().selected && first->state().focused);
    EXPECT_EQ(tree->focusChild(), first);
    EXPECT_TRUE(tree->child(1)->state().collapsed);

    // The search results are one flat list.
    outline.setSearchResults(QList<RecItem*>{b1, d});
    ASSERT_EQ(tree->childCount(), 2);
    EXPECT_EQ(tree->child(0)->text(QAccessible::Name), "b1");
    EXPECT_EQ(tree->child(0)->parent(), tree);
}
