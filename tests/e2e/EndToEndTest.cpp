// SPDX-License-Identifier: GPL-3.0-or-later
// VoiceTray as a user meets it: the real program in a system tray on a
// private X display, recording from the test sound server.
#include "e2e/VoiceTrayProcess.h"
#include "media/QTMovie.h"
#include "support/PulseServer.h"
#include "support/XServer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// The record button's centre: the first button of the toolbar, below the
// arrow strip of the window.
QPoint recordButton(const QRect& popup)
{
    return popup.topLeft() + QPoint(8 + 13, 16 + 17);
}

bool saved(const VoiceTrayProcess& app, const QByteArray& title)
{
    const QByteArray db = app.database();
    const int at = db.indexOf("Title=\"" + title + "\"");
    return at >= 0 && !db.mid(at, 200).contains("Duration=\"0\"");
}

} // namespace

TEST(EndToEnd, TrayClickRecordStopAndTheRecordingIsThere)
{
    VoiceTrayProcess app;
    ASSERT_TRUE(app.start());
    const QRect icon = app.trayIconFrame();
    ASSERT_FALSE(icon.isNull());

    // Two clicks on the icon close the window opened at start-up and open it again.
    clickAt(icon.center());
    ASSERT_TRUE(waitUntil([&] { return app.popupFrame().isNull(); }));
    clickAt(icon.center());
    ASSERT_TRUE(waitUntil([&] { return !app.popupFrame().isNull(); }));
    const QRect popup = app.popupFrame();
    EXPECT_EQ(popup.top(), icon.bottom() + 1 + 5); // the arrow's tip 5 px under the icon
    EXPECT_LE(popup.left(), icon.center().x());
    EXPECT_GE(popup.right(), icon.center().x());

    QElapsedTimer clock;
    clickAt(recordButton(popup));
    clock.start();
    const QString file = app.outputFolder() + "/Untitled 1.m4a";
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(file); }));
    pause(1000);
    XServer::instance().screenshot(artefact("e2e_recording.png"));
    pause(std::max<qint64>(0, 2000 - clock.elapsed()));
    clickAt(recordButton(popup));
    const double seconds = clock.elapsed() / 1000.0;
    ASSERT_TRUE(waitUntil([&] { return saved(app, "Untitled 1"); }));
    // The test's sine source runs ahead of the clock, so the file may be
    // longer than the time the recording ran, never shorter.
    EXPECT_GT(QTMovie::fileDuration(file), seconds - 0.3);
    XServer::instance().screenshot(artefact("e2e_window.png"));
}

TEST(EndToEnd, HotKeysRecordAndContinueFromAnotherWindow)
{
    VoiceTrayProcess app;
    ASSERT_TRUE(app.start());
    QWidget other;
    other.setWindowTitle("Another application");
    other.setGeometry(100, 300, 300, 200);
    other.show();
    XServer::instance().xdotool({"search", "--name", "Another application", "windowactivate"});

    XServer& x = XServer::instance();
    const QString file = app.outputFolder() + "/Untitled 1.m4a";
    x.xdotool({"key", "super+shift+r"});
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(file); }));
    pause(1500);
    x.xdotool({"key", "super+shift+r"});
    ASSERT_TRUE(waitUntil([&] { return saved(app, "Untitled 1"); }));
    const double first = QTMovie::fileDuration(file);

    // Continue the selected recording, then stop it with the other combination.
    x.xdotool({"key", "super+shift+c"});
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(app.outputFolder() + "/Untitled 1 1.m4a"); }));
    pause(1500);
    x.xdotool({"key", "super+shift+r"});
    ASSERT_TRUE(waitUntil([&] {
        return !QFile::exists(app.outputFolder() + "/Untitled 1 1.m4a") &&
               QTMovie::fileDuration(file) > first + 1.0;
    }));
    EXPECT_TRUE(app.database().contains("Position in which the recording was continued"));
}

TEST(EndToEnd, WithHotKeysSwitchedOffNothingHappens)
{
    VoiceTrayProcess app(true);
    ASSERT_TRUE(app.start());
    XServer::instance().xdotool({"key", "super+shift+r"});
    pause(1500);
    EXPECT_FALSE(QFile::exists(app.outputFolder() + "/Untitled 1.m4a"));
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (!XServer::instance().isRunning() || !XServer::instance().startTray()) {
        fprintf(stderr, "no X server with a tray\n");
        return 1;
    }
    PulseServer::instance();
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
