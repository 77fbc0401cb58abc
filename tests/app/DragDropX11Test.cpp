// SPDX-License-Identifier: GPL-3.0-or-later
// A row dragged with the real pointer on a private X display lands in a
// category: the tree and the disk change together.
#include "outline/RecOutlineView.h"
#include "support/AppFixture.h"
#include "support/Media.h"
#include "support/TestFiles.h"
#include "support/Wait.h"

#include <QProcess>
#include <QWidget>
#include <QWindow>

namespace {

using DragDropX11 = AppFixture;

TEST_F(DragDropX11, ARowDraggedUnderAnExpandedCategoryMovesIntoIt)
{
    RecGroup* cat = category("Cat");
    recording("X", cat);
    RecItem* a = recording("A");
    // The window opens on its own shortly after the start.
    QWidget* window = nullptr;
    ASSERT_TRUE(waitUntil(
        [&] { return (window = app->plainWindow() ? app->plainWindow() : app->window()); }));
    window->resize(360, 420);
    ASSERT_TRUE(
        waitUntil([&] { return window->isVisible() && window->windowHandle()->isExposed(); }));
    RecOutlineView* view = outline->outlineView();
    ASSERT_TRUE(waitUntil([&] { return view->isVisible() && !view->frameOf(a).isNull(); }));
    // From the middle of "A" to 3 points above the bottom edge of "Cat".
    const QPoint from = view->mapToGlobal(view->frameOf(a).center());
    const QPoint to =
        view->mapToGlobal(QPoint(view->frameOf(cat).center().x(), view->frameOf(cat).bottom() - 2));
    auto pos = [](QPoint p) { return QStringList{QString::number(p.x()), QString::number(p.y())}; };
    QStringList script =
        QStringList{"mousemove"} + pos(from) + QStringList{"mousedown", "1", "sleep", "0.3"};
    for (int step = 1; step <= 6; ++step)
        script += QStringList{"mousemove"} + pos(from + (to - from) * step / 6) +
                  QStringList{"sleep", "0.15"};
    script += QStringList{"sleep", "0.3", "mouseup", "1"};
    // The drag runs its own event loop, so the pointer is driven from another process meanwhile.
    QProcess xdotool;
    xdotool.start("xdotool", script);
    ASSERT_TRUE(xdotool.waitForStarted());

    EXPECT_TRUE(waitUntil([&] { return cat->subItems().size() == 2; }));
    xdotool.waitForFinished(5000);
    EXPECT_EQ(titles(cat), (QStringList{"A", "X"}));
    EXPECT_EQ(readFile(out + "/Cat/A.m4a"), "A");
    EXPECT_FALSE(QFileInfo::exists(out + "/A.m4a"));
    EXPECT_EQ(outline->findHighlightedItem(root()), nullptr);
}

} // namespace
