// SPDX-License-Identifier: GPL-3.0-or-later
// The voicetray command as a user or a script meets it: options, a second
// start while VoiceTray runs, and recording from the command line.
#include "e2e/VoiceTrayProcess.h"
#include "media/QTMovie.h"
#include "support/PulseServer.h"
#include "support/XServer.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

bool saved(const VoiceTrayProcess& app, const QByteArray& title)
{
    const QByteArray db = app.database();
    const int at = db.indexOf("Title=\"" + title + "\"");
    return at >= 0 && !db.mid(at, 200).contains("Duration=\"0\"");
}

// The window as it is on screen, for the software centre's screenshots.
void savePopup(const QRect& popup, const QString& name)
{
    const QString screen = artefact(name + "-screen.png");
    if (XServer::instance().screenshot(screen))
        QImage(screen).copy(popup).save(artefact(name + ".png"));
}

} // namespace

TEST(CommandLine, HelpAndVersionNeedNoDisplay)
{
    QProcess voicetray;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    voicetray.setProcessEnvironment(env);
    voicetray.start(qEnvironmentVariable("VT_BINARY_DIR") + "/src/voicetray", {"--help"});
    ASSERT_TRUE(voicetray.waitForFinished(10000));
    EXPECT_EQ(voicetray.exitCode(), 0);
    const QByteArray help = voicetray.readAllStandardOutput();
    for (const char* option : {"--record", "--continue", "--show", "--version"})
        EXPECT_TRUE(help.contains(option)) << option;

    voicetray.start(qEnvironmentVariable("VT_BINARY_DIR") + "/src/voicetray", {"--version"});
    ASSERT_TRUE(voicetray.waitForFinished(10000));
    EXPECT_EQ(voicetray.exitCode(), 0);
    EXPECT_EQ(voicetray.readAllStandardOutput().trimmed(), "VoiceTray 0.1.0");

    // Qt's own options, as a session manager's restart passes them, are no error.
    voicetray.start(qEnvironmentVariable("VT_BINARY_DIR") + "/src/voicetray",
                    {"-session", "1234abcd", "-reverse", "--version"});
    ASSERT_TRUE(voicetray.waitForFinished(10000));
    EXPECT_EQ(voicetray.exitCode(), 0);
    EXPECT_EQ(voicetray.readAllStandardOutput().trimmed(), "VoiceTray 0.1.0");

    voicetray.start(qEnvironmentVariable("VT_BINARY_DIR") + "/src/voicetray", {"--no-such-option"});
    ASSERT_TRUE(voicetray.waitForFinished(10000));
    EXPECT_NE(voicetray.exitCode(), 0);
}

TEST(CommandLine, SecondStartOpensTheWindowOfTheFirstAndEnds)
{
    VoiceTrayProcess app;
    ASSERT_TRUE(app.start());
    const QRect icon = app.trayIconFrame();
    ASSERT_FALSE(icon.isNull());
    clickAt(icon.center());
    ASSERT_TRUE(waitUntil([&] { return app.popupFrame().isNull(); }));

    // Quiet by default: a second start that works says nothing.
    QByteArray errors;
    EXPECT_EQ(app.run({}, &errors), 0);
    EXPECT_TRUE(errors.isEmpty()) << errors.constData();
    ASSERT_TRUE(waitUntil([&] { return !app.popupFrame().isNull(); }));
    EXPECT_EQ(app.popupFrame().top(), icon.bottom() + 1 + 5); // under the icon, as a click opens it
    EXPECT_EQ(app.processCount(), 1);

    // Open already: it stays open; the log rules make the hand-over visible.
    EXPECT_EQ(app.run({"--show"}, &errors, nullptr, {"QT_LOGGING_RULES=voicetray.app.info=true"}),
              0);
    EXPECT_TRUE(errors.contains("Handed \"show\" to the running VoiceTray")) << errors.constData();
    pause(300);
    EXPECT_FALSE(app.popupFrame().isNull());
    EXPECT_EQ(app.processCount(), 1);
}

TEST(CommandLine, RecordAndContinueAsTheHotKeysDo)
{
    VoiceTrayProcess app;
    // None runs: the first start records once it is up.
    ASSERT_TRUE(app.start({"--record"}));
    const QString file = app.outputFolder() + "/Untitled 1.m4a";
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(file); }));
    pause(1500);
    ASSERT_EQ(app.run({"--record"}), 0);
    ASSERT_TRUE(waitUntil([&] { return saved(app, "Untitled 1"); }));
    const double first = QTMovie::fileDuration(file);

    ASSERT_EQ(app.run({"--record"}), 0);
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(app.outputFolder() + "/Untitled 2.m4a"); }));
    pause(1000);
    ASSERT_EQ(app.run({"--record"}), 0);
    ASSERT_TRUE(waitUntil([&] { return saved(app, "Untitled 2"); }));

    // Continue the selected recording (the newest), and stop it the same way.
    const QString second = app.outputFolder() + "/Untitled 2.m4a";
    const double before = QTMovie::fileDuration(second);
    ASSERT_EQ(app.run({"--continue"}), 0);
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(app.outputFolder() + "/Untitled 2 1.m4a"); }));
    pause(1500);
    ASSERT_EQ(app.run({"--continue"}), 0);
    ASSERT_TRUE(waitUntil([&] {
        return !QFile::exists(app.outputFolder() + "/Untitled 2 1.m4a") &&
               QTMovie::fileDuration(second) > before + 1.0;
    }));
    EXPECT_TRUE(app.database().contains("Position in which the recording was continued"));
    EXPECT_DOUBLE_EQ(QTMovie::fileDuration(file), first);
    EXPECT_EQ(app.processCount(), 1);

    // The software centre's pictures: the recordings, then the preferences
    // behind the gear button at the right end of the toolbar.
    ASSERT_EQ(app.run({"--show"}), 0);
    ASSERT_TRUE(waitUntil([&] { return !app.popupFrame().isNull(); }));
    pause(300);
    const QRect popup = app.popupFrame();
    savePopup(popup, "recordings");
    clickAt(popup.topLeft() + QPoint(popup.width() - 21, 33));
    pause(800);
    savePopup(popup, "preferences");
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
