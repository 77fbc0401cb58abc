// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/NoteTextField.h"
#include "playback/NoteView.h"
#include "playback/PlaybackFixture.h"
#include "playback/RecNavigController.h"
#include "playback/RecNavigatorView.h"
#include "playback/SliderWithNotes.h"
#include "playback/TimeView.h"
#include "support/Wait.h"
#include "widgets/NoteWindow.h"
#include "widgets/TickPace.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QSlider>
#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>

TEST(TimeView, ShowsHoursMinutesAndTruncatedSeconds)
{
    EXPECT_EQ(TimeView::timeText(0), "00:00:00");
    EXPECT_EQ(TimeView::timeText(65.9f), "00:01:05");
    EXPECT_EQ(TimeView::timeText(3600 + 2 * 60 + 5.9f), "01:02:05");
    EXPECT_EQ(TimeView::timeText(100 * 3600), "100:00:00");
}

// The slider keeps its last picture: it must still look like a plain slider
// after its value and its style sheet change.
TEST(SliderWithNotes, DrawsAsAPlainSliderAfterItsValueAndStyleSheetChange)
{
    SliderWithNotes slider;
    QSlider plain(Qt::Horizontal);
    plain.setRange(slider.minimum(), slider.maximum());
    slider.resize(200, 24);
    plain.resize(slider.size());
    auto sameAsPlain = [&] {
        const QImage a = slider.grab().toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage b = plain.grab().toImage().convertToFormat(QImage::Format_ARGB32);
        if (a.size() != b.size())
            return false;
        // Drawn over a picture instead of straight onto the window: rounding
        // at the knob's soft edges may differ by a step.
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x) {
                const QRgb p = a.pixel(x, y);
                const QRgb q = b.pixel(x, y);
                if (std::abs(qRed(p) - qRed(q)) > 2 || std::abs(qGreen(p) - qGreen(q)) > 2 ||
                    std::abs(qBlue(p) - qBlue(q)) > 2)
                    return false;
            }
        return true;
    };
    slider.setDoubleValue(0.25);
    plain.setValue(SliderWithNotes::kSteps / 4);
    EXPECT_TRUE(sameAsPlain());
    slider.setDoubleValue(0.75);
    plain.setValue(SliderWithNotes::kSteps * 3 / 4);
    EXPECT_TRUE(sameAsPlain());
    const QString sheet = QStringLiteral(
        "QSlider::groove:horizontal { background: #e02020; height: 8px; }"
        "QSlider::handle:horizontal { background: #20e020; width: 14px; margin: -4px 0; }");
    slider.setStyleSheet(sheet);
    plain.setStyleSheet(sheet);
    EXPECT_TRUE(sameAsPlain());
}

TEST(TimeView, CountsOnFromAContinuedLengthInRedAndPausesDuringSkippedSilence)
{
    TestDelegate delegate;
    TimeView view;
    view.resize(160, 32);
    view.setAppDelegate(&delegate);
    auto backgroundRed = [&] {
        QImage image(view.size(), QImage::Format_ARGB32);
        view.render(&image);
        return image.pixelColor(2, 16).red();
    };
    const int idleRed = backgroundRed();
    // The clock never runs ahead of the time that passed.
    delegate.recording = true;
    view.setTime(95);
    QElapsedTimer clock;
    clock.start();
    view.startRecording();
    EXPECT_GT(backgroundRed(), idleRed + 40);
    EXPECT_EQ(view.text(), "00:01:35");
    ASSERT_TRUE(waitUntil([&] { return view.time() > 95.0f; }));
    EXPECT_LE(view.time(), 95.0f + clock.elapsed() / 1000.0f + 0.05f);
    // Skipped silence pauses it over the ticks that follow (once a second:
    // the clock does not show).
    delegate.skipSilence = true;
    ASSERT_TRUE(waitUntil([&] { return !view.isCounting(); }));
    const float paused = view.time();
    ASSERT_TRUE(waitForTimer(TickPace::kHiddenIntervalMs, 2));
    EXPECT_EQ(view.time(), paused);
    // Sound again: counting resumes without the silence.
    delegate.skipSilence = false;
    clock.restart();
    ASSERT_TRUE(waitUntil([&] { return view.time() > paused; }));
    EXPECT_LE(view.time() - paused, clock.elapsed() / 1000.0f + 0.05f);
    // Stopped, the last value stays on the normal background while another clock ticks on.
    view.stopRecording();
    const float last = view.time();
    TimeView other;
    other.setAppDelegate(&delegate);
    other.startRecording();
    ASSERT_TRUE(waitForTimer(TickPace::kHiddenIntervalMs, 2));
    EXPECT_EQ(view.time(), last);
    EXPECT_EQ(backgroundRed(), idleRed);
}

namespace {

StripNote mark(int id, float perc, const QString& descr = QString(), float offset = 0)
{
    StripNote m;
    m.setMarkID(id);
    m.setOffsetPerc(perc);
    m.setOffset(offset);
    m.setDescr(descr);
    return m;
}

std::unique_ptr<RecNavigatorView::NoteList> list(std::initializer_list<StripNote> marks)
{
    return std::make_unique<RecNavigatorView::NoteList>(marks);
}

void click(QWidget* widget, QPoint at)
{
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }
}

class NavigatorStrip : public ::testing::Test
{
protected:
    void SetUp() override
    {
        area = std::make_unique<PlaybackArea>();
        area->window.show();
        strip = area->strip;
        slider = area->slider;
    }
    // The platform delivers the pointer's moves, enters and leaves to the widgets under it.
    void hover(QPoint inStrip)
    {
        QCursor::setPos(strip->mapToGlobal(inStrip));
        QApplication::processEvents();
    }
    void leaveStrip() { hover(QPoint(20, 250)); }
    QPoint centre(int markID) { return strip->noteRect(strip->noteByID(markID)).center(); }

    std::unique_ptr<PlaybackArea> area;
    RecNavigatorView* strip = nullptr;
    SliderWithNotes* slider = nullptr;
};

} // namespace

TEST_F(NavigatorStrip, AClickOnAMarkerSelectsTheEarlierOfTwoAndAClickBesideScrubs)
{
    // Markers sit at their fraction of the slider; a recording without length places nothing.
    const StripNote start = mark(0, 0.0f), end = mark(1, 1.0f);
    const StripNote nowhere = mark(3, std::numeric_limits<float>::infinity());
    EXPECT_LT(strip->noteRect(&start).right(), PlaybackArea::kSliderX + 20);
    EXPECT_GT(strip->noteRect(&end).left(),
              PlaybackArea::kSliderX + PlaybackArea::kSliderWidth - 20);
    EXPECT_TRUE(strip->noteRect(&nowhere).isEmpty());

    strip->setNotes(list({mark(7, 0.50f), mark(9, 0.52f)}));
    const QRect overlap = strip->noteRect(strip->noteByID(7)) & strip->noteRect(strip->noteByID(9));
    ASSERT_FALSE(overlap.isEmpty());
    // Through the slider, as the user clicks: the mark is selected and the knob stays.
    slider->setDoubleValue(0.1);
    int scrubs = 0;
    QObject::connect(slider, &SliderWithNotes::userMoved, [&] { ++scrubs; });
    click(slider, slider->mapFrom(strip, overlap.center()));
    EXPECT_EQ(strip->selectedMarkID(), 7);
    EXPECT_EQ(area->delegate.buttonUpdates, 1);
    EXPECT_DOUBLE_EQ(slider->doubleValue(), 0.1);
    EXPECT_EQ(scrubs, 0);
    // A click away from the markers moves the knob there and scrubs.
    click(slider, QPoint(slider->width() * 3 / 4, slider->height() / 2));
    EXPECT_NEAR(slider->doubleValue(), 0.75, 0.06);
    EXPECT_EQ(scrubs, 1);
    // Every new list loses the selection.
    strip->setNotes(list({mark(7, 0.50f)}));
    EXPECT_EQ(strip->selectedMarkID(), -1);
}

TEST_F(NavigatorStrip, PopUpFollowsThePointerAndIsReplacedAndHidden)
{
    strip->setNotes(list({mark(1, 0.2f, "first", 59.9f), mark(2, 0.8f, "", 65.0f)}));
    hover(centre(1));
    NoteWindow* window = strip->noteWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(strip->noteView()->text(), "first");
    EXPECT_EQ(strip->noteView()->positionField()->text(), "Position: 59s");
    const QPoint marker = strip->mapToGlobal(strip->noteRect(strip->noteByID(1)).topLeft());
    EXPECT_LE(window->geometry().bottom(), marker.y());

    hover(centre(2));
    ASSERT_NE(strip->noteWindow(), nullptr);
    EXPECT_EQ(strip->noteWindow()->shownNoteID(), 2);
    EXPECT_EQ(strip->noteView()->text(), "Type Note Here");
    EXPECT_EQ(strip->noteView()->positionField()->text(), "Position: 1m 5s");
    // Off the marker onto the pop-up: it stays while the pointer is there.
    hover(QPoint(2, 2));
    QCursor::setPos(strip->noteWindow()->geometry().center());
    ASSERT_TRUE(waitForTimer(RecNavigatorView::kHidingInterval, 2));
    ASSERT_NE(strip->noteWindow(), nullptr);
    EXPECT_TRUE(strip->hidingTimerActive());
    leaveStrip();
    EXPECT_TRUE(waitUntil([&] { return strip->noteWindow() == nullptr; }));
    EXPECT_EQ(area->delegate.structChanges, 0);
}

TEST_F(NavigatorStrip, AnEditReachesTheRecordingAndIsSavedWhenThePopUpGoes)
{
    RecItem rec;
    rec.addMarkAtTime(10, "", 0);
    rec.addMarkAtTime(20, "old", 1);
    area->controller->setCurrentFile(&rec);
    // No file, no length: the strip gets its places by hand.
    strip->setNotes(list({mark(0, 0.25f, "", 10), mark(1, 0.5f, "old", 20)}));
    NoteTextField* field = strip->noteView()->noteField();
    auto focusField = [&] {
        ASSERT_TRUE(waitUntil([&] { return field->isActiveWindow(); }));
        field->setFocus(Qt::MouseFocusReason);
    };
    // The placeholder goes on focus and is never stored.
    hover(centre(0));
    focusField();
    EXPECT_EQ(field->text(), "");
    strip->hideNote();
    EXPECT_EQ(rec.markByID(0)->descr(), "");
    EXPECT_EQ(area->delegate.structChanges, 0);
    // Typing goes into the recording's mark at once; the save waits for the pop-up to go.
    hover(centre(1));
    focusField();
    field->selectAll();
    for (QChar c : QStringLiteral("new")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &press);
    }
    EXPECT_EQ(rec.markByID(1)->descr(), "new");
    EXPECT_EQ(area->delegate.structChanges, 0);
    // Replaced by another marker's pop-up: the edit is saved, once.
    hover(centre(0));
    EXPECT_EQ(strip->noteWindow()->shownNoteID(), 0);
    EXPECT_EQ(area->delegate.structChanges, 1);
    leaveStrip();
    ASSERT_TRUE(waitUntil([&] { return strip->noteWindow() == nullptr; }));
    EXPECT_EQ(area->delegate.structChanges, 1);
}

TEST_F(NavigatorStrip, ARefreshUnderTheRestingPointerKeepsThePopUpWithoutReopeningIt)
{
    strip->setNotes(list({mark(1, 0.5f, "a")}));
    hover(centre(1));
    NoteWindow* window = strip->noteWindow();
    ASSERT_NE(window, nullptr);
    strip->setNotes(list({mark(1, 0.5f, "a")}));
    EXPECT_EQ(strip->noteWindow(), window);
    EXPECT_FALSE(strip->hidingTimerActive());
    // The marker moves away from under the pointer: the pop-up goes as if left.
    strip->setNotes(list({mark(1, 0.1f, "a")}));
    EXPECT_TRUE(waitUntil([&] { return strip->noteWindow() == nullptr; }));
}
