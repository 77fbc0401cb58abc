// SPDX-License-Identifier: GPL-3.0-or-later
// VoiceTray as a user meets it: the real program in a system tray on a
// private X display, recording from the test sound server, driven by the
// pointer, the global hot keys and the voicetray command.
#include "media/AudioFile.h"
#include "support/Artefacts.h"
#include "support/Media.h"
#include "support/TestFiles.h"
#include "support/VoiceTrayProcess.h"
#include "support/Wait.h"
#include "support/XServer.h"

#include <QDir>
#include <QDrag>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QProcess>
#include <QUrl>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

void clickAt(QPoint point)
{
    XServer::instance().xdotool(
        {"mousemove", QString::number(point.x()), QString::number(point.y()), "click", "1"});
}

// Files dragged from another program, as from a file manager: the pointer
// presses on this window and moves, with the button held, to the point.
class FileDrag : public QWidget
{
public:
    explicit FileDrag(const QStringList& paths) : m_paths(paths)
    {
        setWindowTitle("Files to drag");
        // Pressed on, it does not take the focus, which would close the pop-up.
        setWindowFlag(Qt::WindowDoesNotAcceptFocus);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setGeometry(40, 400, 160, 120);
        show();
    }
    bool dropAt(QPoint to)
    {
        auto pos = [](QPoint p) {
            return QStringList{QString::number(p.x()), QString::number(p.y())};
        };
        XServer::instance().xdotool(
            {"search", "--sync", "--onlyvisible", "--name", "^Files to drag$"});
        const QPoint from = geometry().center();
        QStringList script =
            QStringList{"mousemove"} + pos(from) + QStringList{"mousedown", "1", "sleep", "0.3"};
        for (int step = 1; step <= 6; ++step)
            script += QStringList{"mousemove"} + pos(from + (to - from) * step / 6) +
                      QStringList{"sleep", "0.15"};
        script += QStringList{"sleep", "0.3", "mouseup", "1"};
        // The drag runs its own event loop: the pointer is driven from another process.
        QProcess xdotool;
        xdotool.start("xdotool", script);
        return xdotool.waitForStarted() &&
               waitUntil([&] { return xdotool.state() == QProcess::NotRunning; }) && m_dropped;
    }

protected:
    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (!(event->buttons() & Qt::LeftButton) || m_dropped)
            return;
        auto* mime = new QMimeData;
        QList<QUrl> urls;
        for (const QString& path : m_paths)
            urls << QUrl::fromLocalFile(path);
        mime->setUrls(urls);
        // Kept until the target has read the files (Qt deletes it).
        auto* drag = new QDrag(this);
        drag->setMimeData(mime);
        m_dropped = drag->exec(Qt::CopyAction) == Qt::CopyAction;
    }

private:
    QStringList m_paths;
    bool m_dropped = false;
};

} // namespace

TEST(CommandLine, HelpAndVersionNeedNoDisplay)
{
    QProcess voicetray;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    voicetray.setProcessEnvironment(env);
    auto run = [&](const QStringList& args) {
        voicetray.start(qEnvironmentVariable("VT_BINARY_DIR") + "/src/voicetray", args);
        EXPECT_TRUE(voicetray.waitForFinished(10000));
        return voicetray.exitCode();
    };
    EXPECT_EQ(run({"--help"}), 0);
    const QByteArray help = voicetray.readAllStandardOutput();
    for (const char* option :
         {"--record", "--continue", "--show", "--stop", "--mark", "--status", "--stop-after"})
        EXPECT_TRUE(help.contains(option)) << option;
    // Qt's own options, as a session manager's restart passes them, are no error.
    for (const QStringList& args :
         {QStringList{"--version"}, QStringList{"-session", "1234abcd", "-reverse", "--version"}}) {
        EXPECT_EQ(run(args), 0);
        EXPECT_EQ(voicetray.readAllStandardOutput().trimmed(), "VoiceTray 0.1.0");
    }
    EXPECT_NE(run({"--no-such-option"}), 0);
}

// FFmpeg and the ninety libraries it brings are opened for the first
// recording, not carried from the start.
TEST(EndToEnd, MediaLibrariesAreOpenedOnFirstUse)
{
    VoiceTrayProcess app;
    const auto mapsFFmpeg = [&app] {
        return readFile(QStringLiteral("/proc/%1/maps").arg(app.processId()))
            .contains("libavcodec");
    };
    ASSERT_TRUE(app.start());
    EXPECT_FALSE(mapsFFmpeg());
    ASSERT_EQ(app.run({"--record"}), 0);
    EXPECT_TRUE(waitUntil(mapsFFmpeg));
}

TEST(EndToEnd, PointerHotKeysAndCommandsDriveOneRunningVoiceTray)
{
    VoiceTrayProcess app;
    const QString rec = app.outputFolder();
    auto saved = [&](const QByteArray& title) {
        const QByteArray db = readFile(rec + "/RecordingsDB.xml");
        const int at = db.indexOf("Title=\"" + title + "\"");
        return at >= 0 && !db.mid(at, 200).contains("Duration=\"0\"");
    };
    auto recorded = [&](const QString& file, double seconds) {
        return waitUntil([&] { return AudioFile::fileDuration(file) >= seconds; });
    };
    XServer& x = XServer::instance();
    // None runs: the first start shows the window under the icon and records
    // once it is up; the record button, the first of the toolbar below the
    // arrow's strip, stops it.
    ASSERT_TRUE(app.start({"--show", "--record"}));
    const QString first = rec + "/Untitled 1.m4a";
    ASSERT_TRUE(recorded(first, 1.0));
    EXPECT_EQ(app.popupFrame().top(), app.trayIconFrame().bottom() + 1 + 5);
    clickAt(app.popupFrame().topLeft() + QPoint(8 + 13, 16 + 17));
    ASSERT_TRUE(waitUntil([&] { return saved("Untitled 1"); }));
    // The icon closes the window; a second start opens it under the icon,
    // quietly, and ends. Open already, it stays open.
    const QRect icon = app.trayIconFrame();
    ASSERT_FALSE(icon.isNull());
    clickAt(icon.center());
    ASSERT_TRUE(waitUntil([&] { return app.popupFrame().isNull(); }));
    QByteArray errors;
    EXPECT_EQ(app.run({}, &errors), 0);
    EXPECT_TRUE(errors.isEmpty()) << errors.constData();
    ASSERT_TRUE(waitUntil([&] { return !app.popupFrame().isNull(); }));
    const QRect popup = app.popupFrame();
    EXPECT_EQ(popup.top(), icon.bottom() + 1 + 5); // the arrow's tip 5 px under the icon
    EXPECT_EQ(app.run({"--show"}, &errors, {"QT_LOGGING_RULES=voicetray.app.info=true"}), 0);
    EXPECT_TRUE(errors.contains("Handed \"show\" to the running VoiceTray")) << errors.constData();
    // The command starts the next recording and the window stays as the show
    // left it; the hot key stops the recording while another window has the focus.
    const QString second = rec + "/Untitled 2.m4a";
    ASSERT_EQ(app.run({"--record"}), 0);
    ASSERT_TRUE(recorded(second, 1.0));
    EXPECT_EQ(app.popupFrame(), popup);
    QWidget other;
    other.setWindowTitle("Another application");
    other.setGeometry(100, 300, 300, 200);
    other.show();
    x.xdotool({"search", "--sync", "--name", "Another application", "windowactivate"});
    x.xdotool({"key", "super+shift+r"});
    ASSERT_TRUE(waitUntil([&] { return saved("Untitled 2"); }));
    // The command continues the selected recording, the newest; the other
    // hot key stops it and the part is joined.
    const double before = AudioFile::fileDuration(second);
    const QString part = rec + "/Untitled 2 1.m4a";
    ASSERT_EQ(app.run({"--continue"}), 0);
    ASSERT_TRUE(recorded(part, 1.0));
    x.xdotool({"key", "super+shift+c"});
    ASSERT_TRUE(waitUntil(
        [&] { return !QFile::exists(part) && AudioFile::fileDuration(second) > before + 1.0; }));
    if (HasFailure())
        x.screenshot(artefact("e2e-failure.png"));
}

// Killed while it converts two imported files: at the next start the one
// whose source is still there is converted from the start, the other's row
// goes and the user is told which file was not imported.
TEST(EndToEnd, AnImportKilledHalfwayIsFinishedOrGivenUpAtTheNextStart)
{
    VoiceTrayProcess app;
    app.setEnvironment("QT_LOGGING_RULES", "voicetray.app.info=true");
    const QString rec = app.outputFolder();
    const QString src = QFileInfo(rec).path() + "/src";
    ASSERT_TRUE(makeTone(src + "/Lecture.flac", 300));
    ASSERT_TRUE(makeTone(src + "/Gone.flac", 300));
    ASSERT_TRUE(app.start());
    FileDrag files({src + "/Lecture.flac", src + "/Gone.flac"});
    ASSERT_TRUE(files.dropAt(app.popupFrame().center()));
    // Killed while it writes the first file, some 40% of it written: the
    // file it writes is one in the library that it holds open.
    const auto writing = [&] {
        const QDir fds(QString("/proc/%1/fd").arg(app.processId()));
        for (const QFileInfo& fd : fds.entryInfoList(QDir::Files | QDir::System))
            if (fd.symLinkTarget().startsWith(rec + "/") && fd.size() > 1000000)
                return true;
        return false;
    };
    ASSERT_TRUE(waitUntil(writing, 60000));
    app.kill();
    ASSERT_TRUE(QFile::remove(src + "/Gone.flac"));
    // As a kill between writing the file and giving it its name leaves it.
    writeFile(rec + "/.import 1.m4a", "partial");

    ASSERT_TRUE(app.start({}, false));
    EXPECT_TRUE(waitUntil([&] {
        return app.errors().contains("no longer there.\n\n" + QFile::encodeName(src) +
                                     "/Gone.flac");
    }));
    const auto saved = [&] {
        const QByteArray db = readFile(rec + "/RecordingsDB.xml");
        return db.contains("Title=\"Lecture\"") && !db.contains("Gone");
    };
    ASSERT_TRUE(waitUntil(saved, 120000));
    EXPECT_NEAR(AudioFile::fileDuration(rec + "/Lecture.m4a"), 300, 0.1);
    EXPECT_EQ(listing(rec), (QStringList{"Lecture.m4a", "RecordingsDB.xml"}));
    if (HasFailure())
        XServer::instance().screenshot(artefact("e2e-import-failure.png"));
}
