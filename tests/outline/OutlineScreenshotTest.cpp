// SPDX-License-Identifier: GPL-3.0-or-later
// The outline on a private X display: nested categories, a selected row and
// a title being edited after a real double-click, kept as a picture.
#include "outline/EditableLabel.h"
#include "outline/OutlineFixture.h"
#include "outline/RecGroupView.h"
#include "outline/RecItemView.h"
#include "outline/SearchBackView.h"
#include "shell/DarkTheme.h"
#include "support/XServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QVBoxLayout>
#include <cstdio>
#include <functional>

namespace {

bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 8000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < timeoutMs)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

QString artefact(const QString& name)
{
    const QString dir = qEnvironmentVariable("VT_BINARY_DIR", QDir::tempPath()) + "/test-artefacts";
    QDir().mkpath(dir);
    return dir + "/" + name;
}

} // namespace

TEST(OutlineX11, NestedCategoriesWithASelectedAndAnEditedRow)
{
    RecordingDelegate delegate;
    QWidget window;
    window.setWindowTitle("Outline");
    window.setAutoFillBackground(true);
    auto* column = new QVBoxLayout(&window);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* searchBack = new SearchBackView(&window);
    auto* searchRow = new QVBoxLayout(searchBack);
    searchRow->setContentsMargins(6, 4, 6, 4);
    searchRow->addWidget(new QLineEdit(searchBack));
    column->addWidget(searchBack);
    auto* scroll = new QScrollArea(&window);
    scroll->setFrameShape(QFrame::NoFrame);
    column->addWidget(scroll);
    auto* view = new RecOutlineView;
    RecOutlineController outline;
    outline.setAppDelegate(&delegate);
    outline.setOutlineView(view, scroll);
    window.setGeometry(100, 100, 340, 420);
    DarkTheme::apply(&window);

    auto group = [&](const QString& title, RecGroup* parent, bool expanded) {
        auto owned = outline.createNewGroup();
        RecGroup* g = owned.get();
        g->setTitle(title);
        g->setExpanded(expanded);
        outline.addGroup(std::move(owned), parent ? parent : outline.mainGroup());
        return g;
    };
    auto item = [&](const QString& title, RecGroup* parent, const QString& descr, double seconds) {
        auto owned = outline.createNewItem();
        RecItem* i = owned.get();
        i->setTitle(title);
        i->setDescr(descr);
        i->setDate("03/14 09:26");
        i->setDuration(seconds);
        outline.addItem(std::move(owned), parent ? parent : outline.mainGroup());
        return i;
    };
    RecGroup* talks = group("Talks", nullptr, true);
    item("Keynote", talks, "Opening of the conference", 3725);
    RecGroup* interviews = group("Interviews", talks, true);
    RecItem* selected = item("Small talk", interviews, "Coffee break", 61);
    RecItem* edited = item("Guest speaker", interviews, "About the new release", 1520);
    group("Archive", nullptr, false);
    item("Voice memo", nullptr, "Ideas for the weekend", 42);

    window.show();
    window.activateWindow();
    ASSERT_TRUE(waitUntil([&] { return window.isActiveWindow(); }));
    outline.selectItem(selected);

    auto* row = static_cast<RecItemView*>(view->rowFor(edited));
    EditableLabel* title = row->titleField();
    const QPoint at = title->mapToGlobal(title->rect().center());
    XServer::instance().xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()),
                                 "click", "--repeat", "2", "--delay", "80", "1"});
    ASSERT_TRUE(waitUntil([&] { return title->isEditing(); }));
    EXPECT_EQ(title->editor()->selectedText(), "Guest speaker");
    EXPECT_EQ(outline.chiefSelectedItem(), edited); // the first click selected the row

    // The selection changed with the first click; show the other row selected as well.
    outline.addToSelection(selected);
    QElapsedTimer settle;
    settle.start();
    waitUntil([&] { return settle.elapsed() > 500; });
    const QString shot = artefact("outline_rows.png");
    ASSERT_TRUE(XServer::instance().screenshot(shot));
    const QImage screen(shot);
    ASSERT_FALSE(screen.isNull());

    // The selected row is tinted blue over the dark window.
    auto* selectedRow = view->existingRowFor(selected);
    const QColor tint = screen.pixelColor(selectedRow->mapToGlobal(QPoint(4, 20)));
    EXPECT_GT(tint.blue(), tint.red() + 40);
    // The category rows are dark grey, lighter along their top edge.
    auto* talksRow = view->existingRowFor(talks);
    const QColor body = screen.pixelColor(talksRow->mapToGlobal(QPoint(4, 12)));
    const QColor top = screen.pixelColor(talksRow->mapToGlobal(QPoint(4, 0)));
    EXPECT_LT(body.red(), 60);
    EXPECT_GT(top.red(), body.red());
}

int main(int argc, char** argv)
{
    if (!XServer::instance().isRunning()) {
        std::fprintf(stderr, "no X server\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
