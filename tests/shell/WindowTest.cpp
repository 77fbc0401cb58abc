// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/CustomView.h"
#include "shell/StatusItemController.h"
#include "widgets/AttachedWindow.h"
#include "widgets/NoteWindow.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QSystemTrayIcon>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <vector>

namespace {

std::unique_ptr<QWidget> content(int w, int h)
{
    auto view = std::make_unique<QWidget>();
    view->resize(w, h);
    return view;
}

// The arrow's tip in screen coordinates: the outline point farthest out on
// the edge that carries the arrow.
QPointF arrowTip(const AttachedWindow& window)
{
    const QPainterPath path = window._backgroundPath();
    const AttachedSideGroup group = attachedSideGroup(window.side());
    QPointF best = path.elementAt(0);
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPointF p = path.elementAt(i);
        const bool further = (group == AttachedSideGroup::Bottom && p.y() < best.y()) ||
                             (group == AttachedSideGroup::Top && p.y() > best.y()) ||
                             (group == AttachedSideGroup::Left && p.x() > best.x()) ||
                             (group == AttachedSideGroup::Right && p.x() < best.x());
        if (further)
            best = p;
    }
    return best + window.exactFrame().topLeft();
}

} // namespace

TEST(AttachedWindow, EverySidePutsTheArrowTipAtTheDistance)
{
    struct Case
    {
        AttachedSide side;
        QSizeF size;
        QPointF tipOffset;  // from the point
        QPointF viewOrigin; // inside the window
        qreal tipAlongEdge; // from the window's left or top edge
    };
    const qreal d = 5, i = 10 + 8; // arrow inset: half the base plus the radius
    const QPointF p(600, 400);
    const Case cases[] = {
        {AttachedSideLeft, {116, 60}, {-d, 0}, {0, 0}, 30},
        {AttachedSideBottom, {100, 76}, {0, d}, {0, 16}, 50},
        {AttachedSideRight, {116, 60}, {d, 0}, {16, 0}, 30},
        {AttachedSideTop, {100, 76}, {0, -d}, {0, 0}, 50},
        {AttachedSideLeftTop, {116, 60}, {-d, 0}, {0, 0}, 60 - i},
        {AttachedSideLeftBottom, {116, 60}, {-d, 0}, {0, 0}, i},
        {AttachedSideRightTop, {116, 60}, {d, 0}, {16, 0}, 60 - i},
        {AttachedSideRightBottom, {116, 60}, {d, 0}, {16, 0}, i},
        {AttachedSideTopLeft, {100, 76}, {0, -d}, {0, 0}, 100 - i},
        {AttachedSideTopRight, {100, 76}, {0, -d}, {0, 0}, i},
        {AttachedSideBottomLeft, {100, 76}, {0, d}, {0, 16}, 100 - i},
        {AttachedSideBottomRight, {100, 76}, {0, d}, {0, 16}, i},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.side));
        auto view = content(100, 60);
        auto window = AttachedWindow::create(view.get(), p, c.side, d);
        ASSERT_TRUE(window);
        EXPECT_EQ(window->side(), c.side);
        EXPECT_EQ(window->exactFrame().size(), c.size);
        EXPECT_EQ(window->viewFrame(), QRectF(c.viewOrigin, QSizeF(100, 60)));
        const QPointF tip = arrowTip(*window);
        EXPECT_EQ(tip, p + c.tipOffset);
        const AttachedSideGroup group = attachedSideGroup(c.side);
        const bool horizontalEdge =
            group == AttachedSideGroup::Top || group == AttachedSideGroup::Bottom;
        const QPointF local = tip - window->exactFrame().topLeft();
        EXPECT_EQ(horizontalEdge ? local.x() : local.y(), c.tipAlongEdge);
    }
}

TEST(AttachedWindow, AutomaticSideFitsTheScreen)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_TRUE(screen);
    const QRect v = screen->availableGeometry();
    struct Case
    {
        QPoint point;
        QSize content;
        AttachedSide expected;
    };
    const int cx = v.center().x();
    const Case cases[] = {
        // A panel along the top edge: below, shifted away from the corners.
        {{cx, v.top() + 10}, {100, 60}, AttachedSideBottom},
        {{v.left() + 20, v.top() + 10}, {100, 60}, AttachedSideBottomRight},
        {{v.right() - 10, v.top() + 10}, {100, 60}, AttachedSideBottomLeft},
        // A panel along the bottom edge: a wide window goes above.
        {{cx, v.bottom() - 10}, {v.width() - 100, 60}, AttachedSideTop},
        // Tall windows beside the left and right edges.
        {{v.left() + 10, v.center().y()}, {100, v.height() - 100}, AttachedSideRight},
        {{v.right() - 10, v.center().y()}, {100, v.height() - 100}, AttachedSideLeft},
        {{v.right() - 10, v.top() + 60}, {100, v.height() - 70}, AttachedSideLeftBottom},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.point.x() << "," << c.point.y());
        auto view = content(c.content.width(), c.content.height());
        auto window =
            AttachedWindow::create(view.get(), QPointF(c.point), AttachedSideAutomatic, 5.0);
        ASSERT_TRUE(window);
        EXPECT_EQ(window->side(), c.expected);
    }
}

TEST(AttachedWindow, ViewIsBorrowedAndFollowed)
{
    EXPECT_FALSE(AttachedWindow::create(nullptr, QPointF(10, 10)));
    EXPECT_FALSE(NoteWindow::create(nullptr, QPointF(10, 10), AttachedSideTop, 5.0));

    QWidget owner;
    auto* view = new QWidget(&owner);
    view->resize(200, 100);
    {
        auto window = AttachedWindow::create(view, QPointF(400, 100), AttachedSideBottom, 5.0);
        ASSERT_TRUE(window);
        EXPECT_EQ(view->parentWidget(), window.get());
        window->show();
        // The window follows its content's size.
        view->resize(240, 100);
        EXPECT_EQ(window->exactFrame(), QRectF(280, 105, 240, 116));
    }
    EXPECT_EQ(view->parentWidget(), &owner);
}

TEST(AttachedWindow, NoteWindowHangsAtAPointOfItsParent)
{
    QWidget parent;
    parent.setGeometry(100, 50, 400, 300);
    auto view = content(150, 40);
    auto note = NoteWindow::create(view.get(), QPointF(20, 30), AttachedSideTop, 5.0, &parent);
    ASSERT_TRUE(note);
    const QPointF p = QPointF(parent.mapToGlobal(QPoint(20, 30)));
    EXPECT_EQ(note->exactFrame(), QRectF(p.x() - 75, p.y() - 48 - 5, 150, 48));
}

namespace {

class TestController : public StatusItemController
{
public:
    void toggleAttachedWindowAtPoint(QPoint point, AttachedSide) override
    {
        points.push_back(point);
        open = !open;
    }
    bool isRecording() const override { return recording; }
    double recordingTime() const override { return seconds; }

    std::vector<QPoint> points;
    bool open = false;
    bool recording = false;
    double seconds = 0;
};

} // namespace

TEST(StatusIcon, ClicksOpenAndCloseTheWindowWithTheHighlight)
{
    TestController controller;
    QSystemTrayIcon tray;
    CustomView view(&tray, &controller);
    const QColor highlight = QGuiApplication::palette().color(QPalette::Highlight);

    view.mouseDown();
    EXPECT_TRUE(controller.open);
    EXPECT_EQ(view.renderIcon(2.0).pixelColor(4, 30), highlight);
    // The tray does not tell where the icon is offscreen, and no panel
    // reserves a strip: the window hangs from the screen's top right corner.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(controller.points.size(), 1u);
    EXPECT_EQ(controller.points[0], QPoint(area.right(), area.top()));
    // The tray reports the click.
    emit tray.activated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(controller.open);
    EXPECT_EQ(view.renderIcon(1.0).pixelColor(2, 15).alpha(), 0);
    // A quick second click arrives as a double click and still toggles.
    emit tray.activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(controller.open);
}

TEST(StatusIcon, TheWindowHangsFromTheIconAwayFromThePanel)
{
    // What the tests of the real program do not show: a panel without a
    // strip of its own, trays over D-Bus that do not tell where their icon
    // is on other edges, a click, a second screen.
    const QRect screen(0, 0, 1280, 800), bottom(0, 0, 1280, 770), left(30, 0, 1250, 800);
    const QRect second(1280, 0, 1920, 1080), secondWork(1280, 0, 1920, 1040);
    struct Row
    {
        QRect icon;
        std::optional<QPoint> click;
        QRect screen, work;
        QPoint point;
        AttachedSide side;
    } rows[] = {
        {{1250, 0, 30, 30}, {}, screen, screen, {1265, 30}, AttachedSideBottom},
        {{3170, 1040, 30, 40}, {}, second, secondWork, {3185, 1040}, AttachedSideTop},
        {{}, {}, screen, screen, {1279, 0}, AttachedSideBottom},
        {{}, {}, screen, left, {30, 799}, AttachedSideRight},
        {{}, {}, second, secondWork, {3199, 1040}, AttachedSideTop},
        {{}, QPoint(400, 785), screen, bottom, {400, 770}, AttachedSideTop},
        {{}, QPoint(400, 300), screen, bottom, {1279, 770}, AttachedSideTop},
    };
    for (const Row& row : rows) {
        const TrayAnchor anchor = TrayAnchor::compute(row.icon, row.click, row.screen, row.work);
        EXPECT_EQ(anchor.point, row.point);
        EXPECT_EQ(anchor.side, row.side) << row.point.x() << "," << row.point.y();
    }
}

TEST(StatusIcon, ShowAndHideKeepTheHighlightInStep)
{
    TestController controller;
    CustomView view(nullptr, &controller);
    view.hideWindow();
    EXPECT_TRUE(controller.points.empty());
    // Repeated drag updates over the icon open the window once.
    view.draggingUpdated();
    view.draggingUpdated();
    EXPECT_EQ(controller.points.size(), 1u);
    EXPECT_TRUE(view.clicked());
    view.showWindow();
    view.hideWindow();
    EXPECT_EQ(controller.points.size(), 2u);
    EXPECT_FALSE(controller.open);
    EXPECT_FALSE(view.clicked());
}

TEST(StatusIcon, RedMicrophonePulsesWhileRecordingAndTheToolTipTellsTheLength)
{
    TestController controller;
    QSystemTrayIcon tray;
    CustomView view(&tray, &controller);
    EXPECT_EQ(tray.toolTip(), "VoiceTray");
    const QColor before = view.renderIcon(1.0).pixelColor(15, 8);
    controller.recording = true;
    controller.seconds = 3725;
    view.recordingStarted();
    EXPECT_TRUE(view.isPulsing());
    // Red at once, then dimmed and full in turn, tick by tick.
    const auto capsule = [&view] { return view.renderIcon(1.0).pixelColor(15, 8); };
    const QColor red = capsule();
    EXPECT_GT(red.red(), 240);
    EXPECT_EQ(tray.toolTip(), "VoiceTray: recording 01:02:05");
    view.recTimerFire();
    EXPECT_NE(capsule(), red);
    EXPECT_NE(capsule(), before);
    view.recTimerFire();
    EXPECT_EQ(capsule(), red);
    // The first tick after the recording stopped clears the icon and ends the timer.
    controller.recording = false;
    view.recTimerFire();
    EXPECT_FALSE(view.isPulsing());
    EXPECT_EQ(view.renderIcon(1.0).pixelColor(15, 8), before);
    EXPECT_EQ(tray.toolTip(), "VoiceTray");
    // Listening for the pre-roll shows an amber dot in the corner and says so.
    const QPoint corner(CustomView::kWidth - 5, CustomView::kHeight - 5);
    const QColor idle = view.renderIcon(1.0).pixelColor(corner);
    view.setListening(true);
    EXPECT_NE(view.renderIcon(1.0).pixelColor(corner), idle);
    EXPECT_NE(tray.toolTip(), "VoiceTray");
}
