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

// Channel by channel within 2 of the expected colour.
::testing::AssertionResult near(const QColor& actual, const QColor& expected)
{
    const int d = std::max(
        {std::abs(actual.red() - expected.red()), std::abs(actual.green() - expected.green()),
         std::abs(actual.blue() - expected.blue()), std::abs(actual.alpha() - expected.alpha())});
    if (d <= 2)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual.name(QColor::HexArgb).toStdString() << " is not "
                                         << expected.name(QColor::HexArgb).toStdString();
}

QColor rgba(double r, double g, double b, double a)
{
    return QColor::fromRgbF(float(r), float(g), float(b), float(a));
}

} // namespace

TEST_F(Rows, LabelsAreIndentedByLevelAndFlatInSearchMode)
{
    RecGroup* a = group("A");
    RecGroup* b = group("B", a);
    RecItem* talk = item("Talk", b);
    RecItemView* row = itemRow(talk);
    ASSERT_EQ(row->width(), 300);
    ASSERT_EQ(row->dateField()->width(), 70);
    ASSERT_EQ(row->durationField()->width(), 50);
    EXPECT_EQ(row->titleField()->geometry(),
              QRect(38, row->titleField()->y(), 187, row->titleField()->height()));
    EXPECT_EQ(row->descrField()->x(), 38);
    EXPECT_EQ(row->descrField()->width(), 207);

    outline.setSearchResults(QList<RecItem*>{talk});
    EXPECT_EQ(row->titleField()->x(), 10);
    EXPECT_EQ(row->titleField()->width(), 215);
    EXPECT_EQ(row->descrField()->x(), 10);
    EXPECT_EQ(row->descrField()->width(), 235);
    outline.setSearchResults(std::nullopt);
    EXPECT_EQ(row->titleField()->x(), 38);

    RecGroupView* top = groupRow(a);
    ASSERT_EQ(top->expandButton()->width(), 16);
    EXPECT_EQ(top->expandButton()->x(), 10);
    EXPECT_EQ(top->titleField()->x(), 26);
    EXPECT_EQ(top->titleField()->width(), 259);
    EXPECT_EQ(groupRow(b)->titleField()->x(), 40);
}

TEST_F(Rows, RowsDrawSelectionSeparatorHighlightAndDropLine)
{
    RecGroup* cat = group("Cat");
    RecItem* rec = item("Rec", cat);
    const QColor separator = rgba(0.051, 0.051, 0.051, 0.75);
    const QColor blue = rgba(0.359, 0.514, 0.944, 1.0);

    QImage img = picture(itemRow(rec));
    const int h = img.height();
    EXPECT_EQ(img.pixelColor(3, h / 2).alpha(), 0); // the window shows through
    EXPECT_TRUE(near(img.pixelColor(3, h - 1), separator));
    rec->setSelected(true);
    img = picture(itemRow(rec));
    EXPECT_TRUE(near(img.pixelColor(3, h / 2), rgba(0.258, 0.477, 0.9, 0.4)));

    img = picture(groupRow(cat));
    const int gh = img.height();
    const QColor background = img.pixelColor(3, gh / 2);
    EXPECT_TRUE(near(background, rgba(0.07, 0.07, 0.07, 0.44)));
    EXPECT_GT(img.pixelColor(3, 0).red(), background.red() + 20); // the top highlight
    EXPECT_GT(img.pixelColor(3, 0).alpha(), background.alpha());
    cat->setSelected(true);
    img = picture(groupRow(cat));
    EXPECT_TRUE(near(img.pixelColor(3, gh / 2), rgba(0.4, 0.6, 1.0, 0.5)));
    EXPECT_TRUE(
        near(img.pixelColor(3, 0), img.pixelColor(3, gh / 2))); // no highlight when selected

    rec->showInsertLine(true, true);
    img = picture(itemRow(rec));
    EXPECT_TRUE(near(img.pixelColor(150, 0), blue));
    EXPECT_TRUE(near(img.pixelColor(150, 1), blue));
    EXPECT_FALSE(near(img.pixelColor(150, h - 1), blue));
    rec->showInsertLine(true, false);
    img = picture(itemRow(rec));
    EXPECT_TRUE(near(img.pixelColor(150, h - 1), blue));
    EXPECT_TRUE(near(img.pixelColor(150, h - 2), blue));
    EXPECT_FALSE(near(img.pixelColor(150, 0), blue));
}

TEST_F(Rows, SingleClicksSelectAndOnlyTitleAndDescriptionEditOnDoubleClick)
{
    RecItem* first = item("First");
    first->setDescr("old words");
    RecItem* second = item("Second");
    RecItemView* row = itemRow(first);

    QTest::mouseClick(row->dateField(), Qt::LeftButton, {}, centre(row->dateField()));
    EXPECT_TRUE(first->selected());
    EXPECT_EQ(outline.chiefSelectedItem(), first);
    EXPECT_FALSE(row->dateField()->isEditing());
    QTest::mouseDClick(row->dateField(), Qt::LeftButton, {}, centre(row->dateField()));
    QTest::mouseDClick(row->durationField(), Qt::LeftButton, {}, centre(row->durationField()));
    EXPECT_FALSE(row->dateField()->isEditing());
    EXPECT_FALSE(row->durationField()->isEditing());
    EXPECT_EQ(view->clickPos(),
              row->mapToParent(centre(row->durationField()) + row->durationField()->pos()));
    // Return commits the typed title through the rename.
    QTest::mouseDClick(row->titleField(), Qt::LeftButton, {}, centre(row->titleField()));
    ASSERT_TRUE(row->titleField()->isEditing());
    QLineEdit* editor = row->titleField()->editor();
    EXPECT_EQ(editor->selectedText(), "First");
    QTest::keyClicks(editor, "Renamed");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_FALSE(row->titleField()->isEditing());
    EXPECT_EQ(delegate.renames, QStringList{"Renamed"});
    EXPECT_EQ(first->title(), "Renamed");
    EXPECT_EQ(row->titleField()->text(), "Renamed");
    // A refused rename shows the old title again.
    delegate.acceptRenames = false;
    QTest::mouseDClick(row->titleField(), Qt::LeftButton, {}, centre(row->titleField()));
    QTest::keyClicks(row->titleField()->editor(), "Taken");
    QTest::keyClick(row->titleField()->editor(), Qt::Key_Return);
    EXPECT_EQ(first->title(), "Renamed");
    EXPECT_EQ(row->titleField()->text(), "Renamed");
    // Escape cancels; nothing is saved.
    const int saves = delegate.saves;
    QTest::mouseDClick(row->descrField(), Qt::LeftButton, {}, centre(row->descrField()));
    ASSERT_TRUE(row->descrField()->isEditing());
    QTest::keyClicks(row->descrField()->editor(), "discarded");
    QTest::keyClick(row->descrField()->editor(), Qt::Key_Escape);
    EXPECT_FALSE(row->descrField()->isEditing());
    EXPECT_EQ(first->descr(), "old words");
    EXPECT_EQ(delegate.saves, saves);
    // Clicking another row ends the edit and keeps what was typed.
    QTest::mouseDClick(row->descrField(), Qt::LeftButton, {}, centre(row->descrField()));
    QTest::keyClicks(row->descrField()->editor(), "new words");
    RecItemView* other = itemRow(second);
    QTest::mouseClick(other, Qt::LeftButton, {}, QPoint(3, 3));
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
