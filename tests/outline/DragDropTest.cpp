// SPDX-License-Identifier: GPL-3.0-or-later
// Where the drop marker goes, what a drag carries, and what a drop asks of
// the application.
#include "support/OutlineFixture.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

namespace {

class DragDrop : public OutlineFixture
{
protected:
    // Which row shows the marker, and where.
    QString marker() const
    {
        GeneralRecItem* h = outline.findHighlightedItem(outline.mainItem());
        if (!h)
            return "none";
        return h->title() + (h->insertLineAtTop() ? " top" : " bottom");
    }
    void mouse(QEvent::Type type, QPointF at)
    {
        QMouseEvent e(type, at, view->mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
        QApplication::sendEvent(view, &e);
    }
    void press(QPointF at) { mouse(QEvent::MouseButtonPress, at); }
    void moveTo(QPointF at) { mouse(QEvent::MouseMove, at); }
    // A drop of the paths at the point, as a file manager makes it, with
    // Shift held, which proposes a move; answers whether it was taken as a copy.
    bool dropAt(const QStringList& paths, QPoint at)
    {
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString& p : paths)
            urls << QUrl::fromLocalFile(p);
        mime.setUrls(urls);
        const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
        const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
        QDragEnterEvent enter(at, offered, &mime, Qt::LeftButton, shift);
        QApplication::sendEvent(view, &enter);
        QDragMoveEvent move(at, offered, &mime, Qt::LeftButton, shift);
        QApplication::sendEvent(view, &move);
        markerWhileDragging = marker();
        QDropEvent drop(QPointF(at), offered, &mime, Qt::LeftButton, shift);
        QApplication::sendEvent(view, &drop);
        return drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
    }

    QString markerWhileDragging;
};

TEST_F(DragDrop, TheMarkerGoesToTheNearestEdge)
{
    // A category row of 23 points with its top edge at 1, then a 40-point recording.
    RecGroup* first = group("First");
    RecItem* second = item("Second");
    ASSERT_EQ(view->frameOf(first), QRect(0, 1, 300, 23));
    ASSERT_EQ(view->frameOf(second).top(), 24);

    outline.highlightInsertPoint(QPoint(30, 1 + 3));
    EXPECT_EQ(marker(), "First top");
    outline.highlightInsertPoint(QPoint(30, 1 + 15));
    EXPECT_EQ(marker(), "First bottom");
    // Halfway between the bottom edges 24 and 64: the first row met wins.
    outline.highlightInsertPoint(QPoint(30, 44));
    EXPECT_EQ(marker(), "First bottom");
    outline.highlightInsertPoint(QPoint(30, 45));
    EXPECT_EQ(marker(), "Second bottom");
    // None once the pointer leaves the view.
    outline.highlightInsertPoint(QPoint(30, -5));
    EXPECT_EQ(marker(), "none");
}

TEST_F(DragDrop, ADropHandsThePathsAndTheMarkedPlaceToTheApplication)
{
    // An empty outline: no marker, and the drop is an import at the top.
    EXPECT_TRUE(dropAt({"/elsewhere/a.mp3"}, QPoint(30, 30)));
    EXPECT_EQ(markerWhileDragging, "none");
    ASSERT_TRUE(delegate.drop);
    EXPECT_TRUE(delegate.drop->import);
    EXPECT_EQ(delegate.drop->nearItem, nullptr);

    RecGroup* cat = group("Cat");
    RecItem* memo = item("Memo", cat);
    RecItem* talk = item("Talk");
    // Rows dropped under "Memo" are moved there; the marker is gone afterwards.
    const QRect memoFrame = view->frameOf(memo);
    EXPECT_TRUE(dropAt({delegate.restorePath(talk)}, QPoint(30, memoFrame.bottom() - 3)));
    EXPECT_EQ(markerWhileDragging, "Memo bottom");
    EXPECT_FALSE(delegate.drop->import);
    EXPECT_EQ(delegate.drop->nearItem, memo);
    EXPECT_FALSE(delegate.drop->beforeItem);
    EXPECT_EQ(marker(), "none");
    // Label files dropped on a recording are its marks, and nothing else.
    delegate.drop.reset();
    EXPECT_TRUE(dropAt({"/elsewhere/Notes.TXT"}, view->frameOf(talk).center()));
    EXPECT_FALSE(delegate.drop);
    ASSERT_EQ(delegate.markImports.size(), 1u);
    EXPECT_EQ(delegate.markImports[0], std::make_pair(QString("/elsewhere/Notes.TXT"), talk));
}

TEST_F(DragDrop, NothingIsDroppedWhileASearchIsShown)
{
    RecItem* talk = item("Talk");
    outline.setSearchResults(QList<RecItem*>{talk});
    EXPECT_FALSE(dropAt({"/elsewhere/a.mp3"}, QPoint(30, 10)));
    EXPECT_EQ(markerWhileDragging, "none");
    EXPECT_FALSE(delegate.drop);
    // Rows can still be dragged out of the results.
    press(QPointF(30, 10));
    moveTo(QPointF(30, 20));
    EXPECT_EQ(dragged, QList<QStringList>{{delegate.restorePath(talk)}});
}

TEST_F(DragDrop, ADragStartsFivePointsFromThePressWithTheRowUnderThePointer)
{
    RecItem* a = item("A");
    RecItem* b = item("B");
    // Pressed 2 points above the bottom of A; 5 points down is B.
    const QPointF at(40, view->frameOf(a).bottom() - 1);
    press(at);
    moveTo(at + QPointF(0, 4.9));
    EXPECT_TRUE(dragged.isEmpty());
    moveTo(at + QPointF(3.0, 4.0));
    ASSERT_EQ(dragged.size(), 1);
    EXPECT_EQ(dragged.first(), QStringList{delegate.restorePath(b)});
}

TEST_F(DragDrop, ADragCarriesTheSelectionOnlyWhenItStartsOnIt)
{
    RecGroup* cat = group("Cat");
    RecItem* inside = item("Inside", cat);
    RecItem* loose = item("Loose");
    RecItem* noFile = item("NoFile", nullptr, false);
    RecItem* other = item("Other");
    outline.selectItem(cat);
    outline.addToSelection(inside);
    outline.addToSelection(noFile);
    // A selected category stands for what is in it; a row without a file is left out.
    EXPECT_EQ(outline.dragPaths(inside), QStringList{delegate.restorePath(cat)});
    EXPECT_EQ(outline.dragPaths(other), QStringList{delegate.restorePath(other)});
    EXPECT_EQ(outline.dragPaths(noFile), QStringList{delegate.restorePath(cat)});
    outline.selectItem(noFile);
    EXPECT_TRUE(outline.dragPaths(noFile).isEmpty());
    EXPECT_EQ(outline.dragPaths(loose), QStringList{delegate.restorePath(loose)});
}

} // namespace
