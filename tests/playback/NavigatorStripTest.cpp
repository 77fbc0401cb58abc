// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/NoteTextField.h"
#include "playback/NoteView.h"
#include "playback/PlaybackFixture.h"
#include "playback/RecNavigController.h"
#include "playback/RecNavigatorView.h"
#include "playback/SliderWithNotes.h"
#include "shell/NoteWindow.h"
#include "support/QtApp.h"

#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TimeMark mark(int id, float perc, const QString& descr = QString(), float offset = 0)
{
    TimeMark m;
    m.setMarkID(id);
    m.setOffsetPerc(perc);
    m.setOffset(offset);
    m.setDescr(descr);
    return m;
}

std::unique_ptr<RecNavigatorView::NoteList> list(std::initializer_list<TimeMark> marks)
{
    return std::make_unique<RecNavigatorView::NoteList>(marks);
}

void send(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::NoButton)
{
    const QPointF global = widget->mapToGlobal(QPointF(at));
    QMouseEvent event(type, QPointF(at), global, button, type == QEvent::MouseButtonPress ? button : Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// As a click in the field does: the focus moves there.
void focus(QWidget* widget)
{
    // The pop-up is made the active window when it opens.
    EXPECT_TRUE(waitUntil([&] { return widget->isActiveWindow(); }, 1000));
    widget->setFocus(Qt::MouseFocusReason);
}

void type(QWidget* widget, const QString& text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

class NavigatorStrip : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qtApp();
        area = std::make_unique<PlaybackArea>();
        area->window.show();
        QCursor::setPos(0, 0);
        strip = area->strip;
        slider = area->slider;
    }

    // The pointer moves onto a point of the strip; the platform delivers the
    // moves, enters and leaves to the widgets under it.
    void hover(QPoint inStrip)
    {
        QCursor::setPos(strip->mapToGlobal(inStrip));
        spin(30);
    }
    void leaveStrip() { hover(QPoint(20, 250)); }
    QPoint centre(int markID) { return strip->noteRect(strip->noteByID(markID)).center(); }

    std::unique_ptr<PlaybackArea> area;
    RecNavigatorView* strip = nullptr;
    SliderWithNotes* slider = nullptr;
};

} // namespace

TEST_F(NavigatorStrip, MarkersStraddleTheSliderTopAtTheirFraction)
{
    constexpr int x = PlaybackArea::kSliderX;
    constexpr int w = PlaybackArea::kSliderWidth;
    const TimeMark start = mark(0, 0.0f);
    const TimeMark end = mark(1, 1.0f);
    const TimeMark middle = mark(2, 0.5f);
    EXPECT_EQ(strip->noteRect(&start), QRect(x + 3, PlaybackArea::kSliderY - 2, 9, 7));
    EXPECT_EQ(strip->noteRect(&end).x(), x + w - 12);
    EXPECT_EQ(strip->noteRect(&middle).x(), x + 103);
    EXPECT_TRUE(strip->noteRect(nullptr).isEmpty());
    // A recording without length places nothing.
    const TimeMark nowhere = mark(3, std::numeric_limits<float>::quiet_NaN());
    const TimeMark infinite = mark(4, std::numeric_limits<float>::infinity());
    EXPECT_TRUE(strip->noteRect(&nowhere).isEmpty());
    EXPECT_TRUE(strip->noteRect(&infinite).isEmpty());
    strip->setNotes(list({nowhere}));
    EXPECT_FALSE(strip->processMouseClick(QPoint(x + 3, PlaybackArea::kSliderY)));
}

TEST_F(NavigatorStrip, AClickInAnOverlapSelectsTheEarlierMarkWhileTheLaterIsDrawnOnTop)
{
    strip->setNotes(list({mark(7, 0.50f), mark(9, 0.52f)}));
    const QRect first = strip->noteRect(strip->noteByID(7));
    const QRect second = strip->noteRect(strip->noteByID(9));
    ASSERT_TRUE(first.intersects(second));
    const QPoint overlap = (first & second).center();

    // Through the slider, as the user clicks: the mark is selected and the knob stays.
    slider->setDoubleValue(0.1);
    int moved = 0;
    QObject::connect(slider, &SliderWithNotes::userMoved, [&] { ++moved; });
    send(slider, QEvent::MouseButtonPress, slider->mapFrom(strip, overlap), Qt::LeftButton);
    send(slider, QEvent::MouseButtonRelease, slider->mapFrom(strip, overlap), Qt::LeftButton);
    EXPECT_EQ(strip->selectedMarkID(), 7);
    EXPECT_EQ(area->delegate.buttonUpdates, 1);
    EXPECT_DOUBLE_EQ(slider->doubleValue(), 0.1);
    EXPECT_EQ(moved, 0);

    // The selected (orange) earlier marker lies under the later plain one.
    QImage image(strip->size(), QImage::Format_ARGB32);
    strip->render(&image);
    const QColor inOverlap = image.pixelColor(overlap.x(), first.y() + 2);
    const QColor onlyFirst = image.pixelColor(first.x() + 1, first.y() + 2);
    EXPECT_GT(onlyFirst.red() - onlyFirst.blue(), 80);
    EXPECT_LT(std::abs(inOverlap.red() - inOverlap.blue()), 30);

    // A press away from the markers moves the knob and scrubs on release.
    const QPoint away(slider->width() * 3 / 4, slider->height() / 2);
    send(slider, QEvent::MouseButtonPress, away, Qt::LeftButton);
    send(slider, QEvent::MouseButtonRelease, away, Qt::LeftButton);
    EXPECT_NEAR(slider->doubleValue(), 0.75, 0.06);
    EXPECT_EQ(moved, 1);
    EXPECT_EQ(strip->selectedMarkID(), 7);

    // Every new list loses the selection.
    strip->setNotes(list({mark(7, 0.50f), mark(9, 0.52f)}));
    EXPECT_EQ(strip->selectedMarkID(), -1);
}

TEST_F(NavigatorStrip, PositionTexts)
{
    EXPECT_EQ(NoteView::positionText(65), "Position: 1m 5s");
    EXPECT_EQ(NoteView::positionText(3605), "Position: 1h 0m 5s");
    EXPECT_EQ(NoteView::positionText(59), "Position: 59s");
    EXPECT_EQ(NoteView::positionText(0), "Position: 0s");
}

TEST_F(NavigatorStrip, PopUpFollowsThePointerAndIsReplacedAndHidden)
{
    strip->setNotes(list({mark(1, 0.2f, "first", 59.9f), mark(2, 0.8f, "", 65.0f)}));

    hover(centre(1));
    NoteWindow* window = strip->noteWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->shownNoteID(), 1);
    EXPECT_EQ(strip->noteView()->text(), "first");
    EXPECT_EQ(strip->noteView()->positionField()->text(), "Position: 59s");
    // Above the marker, its arrow pointing down at it.
    const QRect marker(strip->mapToGlobal(strip->noteRect(strip->noteByID(1)).topLeft()), QSize(9, 7));
    EXPECT_EQ(window->side(), AttachedSideTop);
    EXPECT_LE(window->geometry().bottom(), marker.top());
    EXPECT_NEAR(window->geometry().center().x(), marker.center().x(), 2);

    // Resting on the marker: the pop-up stays.
    spin(700);
    EXPECT_EQ(strip->noteWindow(), window);

    // On to the next marker: replaced, the empty note shows the placeholder.
    hover(centre(2));
    ASSERT_NE(strip->noteWindow(), nullptr);
    EXPECT_EQ(strip->noteWindow()->shownNoteID(), 2);
    EXPECT_EQ(strip->noteView()->text(), NoteTextField::placeholder());
    EXPECT_EQ(strip->noteView()->positionField()->text(), "Position: 1m 5s");

    // Off the marker onto the pop-up: it stays while the pointer is there.
    hover(QPoint(2, 2));
    EXPECT_TRUE(strip->hidingTimerActive());
    QCursor::setPos(strip->noteWindow()->geometry().center());
    spin(1200);
    EXPECT_TRUE(strip->hidingTimerActive());
    ASSERT_NE(strip->noteWindow(), nullptr);

    // Outside both: gone at the next tick.
    leaveStrip();
    EXPECT_TRUE(waitUntil([&] { return strip->noteWindow() == nullptr; }, 1500));
    EXPECT_FALSE(strip->hidingTimerActive());
    EXPECT_EQ(area->delegate.structChanges, 0);
}

TEST_F(NavigatorStrip, AnEditReachesTheRecordingAndIsSavedWhenThePopUpGoes)
{
    RecItem rec;
    rec.addMarkAtTime(10, "", 0);
    rec.addMarkAtTime(20, "old", 1);
    area->delegate.paths[&rec] = "/nonexistent/file.m4a";
    area->controller->setCurrentFile(&rec);
    // No file, no length: give the strip places by hand.
    strip->setNotes(list({mark(0, 0.25f, "", 10), mark(1, 0.5f, "old", 20)}));
    NoteTextField* field = strip->noteView()->noteField();

    // The placeholder goes on focus and is never stored.
    hover(centre(0));
    ASSERT_NE(strip->noteWindow(), nullptr);
    EXPECT_EQ(field->text(), "Type Note Here");
    focus(field);
    EXPECT_TRUE(field->hasFocus());
    EXPECT_EQ(field->text(), "");
    strip->hideNote();
    EXPECT_EQ(rec.markByID(0)->descr(), "");
    EXPECT_EQ(area->delegate.structChanges, 0);

    // Typing goes into the recording's mark at once; the save waits for the pop-up to go.
    hover(centre(1));
    ASSERT_NE(strip->noteWindow(), nullptr);
    focus(field);
    EXPECT_EQ(field->text(), "old");
    field->selectAll();
    type(field, "new");
    EXPECT_EQ(rec.markByID(1)->descr(), "new");
    EXPECT_EQ(strip->noteByID(1)->descr(), "new");
    EXPECT_EQ(area->delegate.structChanges, 0);

    // Replaced by another marker's pop-up: the edit is saved once.
    hover(centre(0));
    EXPECT_EQ(strip->noteWindow()->shownNoteID(), 0);
    EXPECT_EQ(area->delegate.structChanges, 1);
    leaveStrip();
    ASSERT_TRUE(waitUntil([&] { return strip->noteWindow() == nullptr; }, 1500));
    EXPECT_EQ(area->delegate.structChanges, 1);
    EXPECT_EQ(rec.markByID(0)->descr(), "");
}

TEST_F(NavigatorStrip, ARefreshUnderTheRestingPointerKeepsThePopUpWithoutReopeningIt)
{
    strip->setNotes(list({mark(1, 0.5f, "a")}));
    hover(centre(1));
    NoteWindow* window = strip->noteWindow();
    ASSERT_NE(window, nullptr);
    // The same place again (as every 0.3 s while recording): nothing changes.
    strip->setNotes(list({mark(1, 0.5f, "a")}));
    EXPECT_EQ(strip->noteWindow(), window);
    EXPECT_FALSE(strip->hidingTimerActive());
    // The marker moves away from under the pointer: the pop-up goes as if left.
    strip->setNotes(list({mark(1, 0.1f, "a")}));
    EXPECT_TRUE(strip->hidingTimerActive());
    EXPECT_TRUE(waitUntil([&] { return strip->noteWindow() == nullptr; }, 1500));
}
