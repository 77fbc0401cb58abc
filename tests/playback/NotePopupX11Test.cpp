// SPDX-License-Identifier: GPL-3.0-or-later
// A note pop-up on a real X display: the pointer rests on a marker, the
// pop-up opens above it, and a click into it empties the placeholder.
#include "library/RecItem.h"
#include "playback/NoteTextField.h"
#include "playback/NoteView.h"
#include "playback/PlaybackFixture.h"
#include "playback/RecNavigController.h"
#include "playback/RecNavigatorView.h"
#include "playback/SliderWithNotes.h"
#include "shell/DarkTheme.h"
#include "shell/NoteWindow.h"
#include "support/XServer.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QWindow>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

QString artefact(const QString& name)
{
    const QString dir =
        qEnvironmentVariable("VT_BINARY_DIR", QDir::tempPath()) + QStringLiteral("/test-artefacts");
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + name;
}

void pointerTo(QPoint global)
{
    XServer::instance().xdotool(
        {"mousemove", QString::number(global.x()), QString::number(global.y())});
}

bool isPaleYellow(const QColor& c)
{
    return c.red() > 200 && c.green() > 200 && c.blue() < c.red() - 25;
}

} // namespace

TEST(NotePopupX11, OpensOverTheMarkerAndAClickEmptiesThePlaceholder)
{
    ToneFiles files;
    const QString file = files.make("talk.m4a", 10.0);
    ASSERT_FALSE(file.isEmpty());
    RecItem rec;
    rec.setDuration(10.0);
    rec.addMarkAtTime(3.0f, "Buy milk", 0);
    rec.addMarkAtTime(65.0f / 10.0f, "", 1);

    PlaybackArea area;
    area.delegate.paths[&rec] = file;
    DarkTheme::apply(&area.window);
    area.window.setWindowTitle(QStringLiteral("VoiceTray"));
    area.window.move(200, 300);
    area.window.show();
    ASSERT_TRUE(waitUntil(
        [&] { return area.window.isVisible() && area.window.windowHandle()->isExposed(); }));
    area.controller->setCurrentFile(&rec);
    ASSERT_EQ(area.strip->notes()->size(), 2u);
    const int saves = area.delegate.structChanges;
    spin(300);

    const QRect first = area.strip->noteRect(area.strip->noteByID(0));
    pointerTo(area.strip->mapToGlobal(first.center()));
    ASSERT_TRUE(waitUntil(
        [&] { return area.strip->noteWindow() && area.strip->noteWindow()->isVisible(); }));
    NoteWindow* window = area.strip->noteWindow();
    EXPECT_EQ(window->shownNoteID(), 0);
    EXPECT_EQ(area.strip->noteView()->text(), "Buy milk");
    EXPECT_EQ(area.strip->noteView()->positionField()->text(), "Position: 3s");
    spin(700);

    const QString shot = artefact(QStringLiteral("playback_note_popup.png"));
    ASSERT_TRUE(XServer::instance().screenshot(shot));
    const QImage screen(shot);
    ASSERT_FALSE(screen.isNull());
    // The pale body sits above the marker; the arrow's tip is just over it.
    const QRect frame = window->geometry();
    const QPoint marker = area.strip->mapToGlobal(first.topLeft());
    EXPECT_LE(frame.bottom(), marker.y());
    EXPECT_TRUE(isPaleYellow(screen.pixelColor(frame.left() + 12, frame.bottom() - 12)));
    EXPECT_TRUE(isPaleYellow(screen.pixelColor(frame.center().x(), frame.bottom() - 6)));
    EXPECT_FALSE(isPaleYellow(screen.pixelColor(frame.left() + 1, frame.bottom() - 1)));

    // Onto the empty note, then up into its pop-up and a click into the field.
    const QRect second = area.strip->noteRect(area.strip->noteByID(1));
    pointerTo(area.strip->mapToGlobal(second.center()));
    ASSERT_TRUE(waitUntil(
        [&] { return area.strip->noteWindow() && area.strip->noteWindow()->shownNoteID() == 1; }));
    NoteTextField* field = area.strip->noteView()->noteField();
    EXPECT_EQ(field->text(), "Type Note Here");
    spin(300);
    const QPoint inField = field->mapToGlobal(field->rect().center());
    XServer::instance().xdotool(
        {"mousemove", QString::number(inField.x()), QString::number(inField.y()), "click", "1"});
    ASSERT_TRUE(waitUntil([&] { return field->hasFocus(); }));
    EXPECT_EQ(field->text(), "");

    pointerTo(QPoint(10, 10));
    EXPECT_TRUE(waitUntil([&] { return area.strip->noteWindow() == nullptr; }, 2000));
    EXPECT_EQ(rec.markByID(1)->descr(), "");
    EXPECT_EQ(area.delegate.structChanges, saves);
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
