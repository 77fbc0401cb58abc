// SPDX-License-Identifier: GPL-3.0-or-later
// Clicks go through the window system as real ones do: the press decides
// which widget gets the release, and the second press makes the double-click.
#define QTEST_QPA_MOUSE_HANDLING
#include "outline/EditableLabel.h"
#include "outline/ExpandButton.h"
#include "outline/RecGroupView.h"
#include "outline/RecItemView.h"
#include "support/OutlineFixture.h"

#include <QImage>
#include <QLineEdit>
#include <QTest>

namespace {

class Rows : public OutlineFixture
{
protected:
    void SetUp() override
    {
        OutlineFixture::SetUp();
        scroll.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&scroll));
    }
    RecItemView* itemRow(RecItem* i) { return static_cast<RecItemView*>(view->rowFor(i)); }
    RecGroupView* groupRow(RecGroup* g) { return static_cast<RecGroupView*>(view->rowFor(g)); }
    static QImage picture(QWidget* w)
    {
        QImage image(w->size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        w->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    }
    static QPoint centre(QWidget* w) { return w->rect().center(); }
};

} // namespace

TEST_F(Rows, LabelsAreIndentedByLevelAndFlatInSearchMode)
{
    RecGroup* a = group("A");
    RecGroup* b = group("B", a);
    RecItem* talk = item("Talk", b);
    RecItemView* row = itemRow(talk);
    const int nested = row->titleField()->x();
    const int flat = itemRow(item("Top"))->titleField()->x();
    EXPECT_GT(nested, flat);
    EXPECT_GT(groupRow(b)->titleField()->x(), groupRow(a)->titleField()->x());
    EXPECT_EQ(row->descrField()->x(), nested);
    // The title leaves room for the date and the length at the right.
    EXPECT_LE(row->titleField()->geometry().right(), row->dateField()->x());

    outline.setSearchResults(QList<RecItem*>{talk});
    EXPECT_EQ(row->titleField()->x(), flat);
    outline.setSearchResults(std::nullopt);
    EXPECT_EQ(row->titleField()->x(), nested);
}

TEST_F(Rows, RowsDrawSelectionAndTheDropLineOnTheMarkedEdge)
{
    RecItem* rec = item("Rec");
    const auto colourAt = [&](int x, int y) { return picture(itemRow(rec)).pixelColor(x, y); };
    const int h = itemRow(rec)->height();
    const QColor plain = colourAt(3, h / 2);
    rec->setSelected(true);
    EXPECT_NE(colourAt(3, h / 2), plain);
    rec->setSelected(false);
    // The drop line is blue, at the top or at the bottom.
    const auto blue = [&](int y) {
        const QColor c = colourAt(150, y);
        return c.blue() > 200 && c.red() < 120;
    };
    rec->showInsertLine(true, true);
    EXPECT_TRUE(blue(0));
    EXPECT_FALSE(blue(h - 1));
    rec->showInsertLine(true, false);
    EXPECT_TRUE(blue(h - 1));
    EXPECT_FALSE(blue(0));
}

TEST_F(Rows, SingleClicksSelectAndOnlyTitleAndDescriptionEditOnDoubleClick)
{
    RecItem* first = item("First");
    first->setDescr("old words");
    RecItem* second = item("Second");
    RecItemView* row = itemRow(first);

    QTest::mouseClick(row->dateField(), Qt::LeftButton, {}, centre(row->dateField()));
    EXPECT_EQ(outline.chiefSelectedItem(), first);
    QTest::mouseDClick(row->dateField(), Qt::LeftButton, {}, centre(row->dateField()));
    QTest::mouseDClick(row->durationField(), Qt::LeftButton, {}, centre(row->durationField()));
    EXPECT_FALSE(row->dateField()->isEditing());
    EXPECT_FALSE(row->durationField()->isEditing());
    // Return commits the typed title through the rename; a refused one shows the old title.
    for (const bool accept : {true, false}) {
        delegate.acceptRenames = accept;
        QTest::mouseDClick(row->titleField(), Qt::LeftButton, {}, centre(row->titleField()));
        ASSERT_TRUE(row->titleField()->isEditing());
        QTest::keyClicks(row->titleField()->editor(), accept ? "Renamed" : "Taken");
        QTest::keyClick(row->titleField()->editor(), Qt::Key_Return);
        EXPECT_FALSE(row->titleField()->isEditing());
        EXPECT_EQ(first->title(), "Renamed");
        EXPECT_EQ(row->titleField()->text(), "Renamed");
    }
    // Escape cancels; nothing is saved.
    const int saves = delegate.saves;
    QTest::mouseDClick(row->descrField(), Qt::LeftButton, {}, centre(row->descrField()));
    QTest::keyClicks(row->descrField()->editor(), "discarded");
    QTest::keyClick(row->descrField()->editor(), Qt::Key_Escape);
    EXPECT_EQ(first->descr(), "old words");
    EXPECT_EQ(delegate.saves, saves);
    // Clicking another row ends the edit and keeps what was typed.
    QTest::mouseDClick(row->descrField(), Qt::LeftButton, {}, centre(row->descrField()));
    QTest::keyClicks(row->descrField()->editor(), "new words");
    QTest::mouseClick(itemRow(second), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_FALSE(row->descrField()->isEditing());
    EXPECT_EQ(first->descr(), "new words");
    EXPECT_EQ(delegate.saves, saves + 1);
    EXPECT_EQ(outline.chiefSelectedItem(), second);
}

TEST_F(Rows, AReleaseOverEmptySpaceDeselectsUnlessRecording)
{
    RecGroup* cat = group("Cat");
    RecItem* rec = item("Rec", cat);
    QTest::mouseClick(groupRow(cat)->titleField(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(outline.chiefSelectedItem(), cat);
    // The expand button collapses without selecting.
    QTest::mouseClick(groupRow(cat)->expandButton(), Qt::LeftButton);
    EXPECT_FALSE(cat->isExpanded());
    EXPECT_TRUE(view->frameOf(rec).isNull());
    EXPECT_EQ(outline.chiefSelectedItem(), cat);

    const QPoint empty(150, 300);
    delegate.recording = true;
    QTest::mouseClick(view, Qt::LeftButton, {}, empty);
    EXPECT_TRUE(cat->selected());
    EXPECT_EQ(view->clickPos(), empty);
    delegate.recording = false;
    QTest::mouseClick(view, Qt::LeftButton, {}, empty);
    EXPECT_FALSE(cat->selected());
    EXPECT_EQ(outline.chiefSelectedItem(), nullptr);
    EXPECT_EQ(view->clickPos(), QPoint(-1, -1));
}
