// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AutostartEntry.h"
#include "app/SingleInstance.h"
#include "media/AudioFile.h"
#include "playback/RecNavigController.h"
#include "shell/MainView.h"
#include "shell/PreferencesView.h"
#include "support/AppFixture.h"
#include "support/Media.h"
#include "support/TestFiles.h"
#include "support/Wait.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QThread>
#include <optional>

using AppDelegate = AppFixture;

TEST_F(AppDelegate, FirstLaunchUsesTheMusicFolderAndMakesItOnlyWhenNeeded)
{
    QSettings().clear();
    VoiceTrayApp fresh;
    EXPECT_EQ(fresh.settings().outputFolder(), home.path() + "/Music/Voice Recordings");
    // A stored 0 reads as the default.
    fresh.settings().setRecQuality(0);
    EXPECT_EQ(fresh.settings().recQuality(), 2);
    fresh.start();
    EXPECT_FALSE(QDir(fresh.settings().outputFolder()).exists());
    fresh.quit();
}

TEST_F(AppDelegate, ChangingTheOutputFolderShowsTheOtherLibrary)
{
    const QString first = out;
    const QString second = home.path() + "/second";
    recording("One", category("Cat"));
    ASSERT_TRUE(makeTone(home.path() + "/Three.wav", 1, {"-ac", "2"}));
    ASSERT_TRUE(window->importFiles({home.path() + "/Three.wav"}, nullptr, true));
    window->mainView()->searchField()->setText("One"); // lists a row of the old library
    prefs->outputFolderChanged(first.toUpper());       // another folder: names are case-sensitive
    // The waiting conversion was written first, while its row was in the library.
    EXPECT_NEAR(AudioFile::fileDuration(first + "/Three.m4a"), 1.0, 0.05);
    EXPECT_EQ(library->folder(), first.toUpper());
    EXPECT_FALSE(outline->isSearchMode());
    EXPECT_TRUE(root()->subItems().isEmpty());

    writeFile(second + "/Two.m4a");
    writeFile(second + "/RecordingsDB.xml",
              "<Recordings><Item ID=\"1\" Title=\"Two\" Description=\"\" CreateDate=\"\" "
              "Duration=\"1\"/></Recordings>");
    prefs->outputFolderChanged(second);
    EXPECT_EQ(titles(root()), QStringList{"Two"});
    EXPECT_EQ(app->settings().store().value("OutputFolder").toString(), second);
    EXPECT_TRUE(readFile(first + "/RecordingsDB.xml").contains("One"));

    prefs->outputFolderChanged(home.path() + "/empty");
    EXPECT_TRUE(root()->subItems().isEmpty());
}

TEST_F(AppDelegate, PlaybackThatCannotStartSaysSo)
{
    outline->selectItem(recording("Talk", nullptr, 1));
    const QByteArray server = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", "unix:/nonexistent/vt-native");
    window->play();
    qputenv("PULSE_SERVER", server);
    EXPECT_FALSE(window->recNavigController()->playingNow());
    EXPECT_EQ(messages, QStringList{"Unable to play the recording"});
}

// Start at login and the hand-over between a running VoiceTray and a later start.

using StartAtLogin = AppFixture;

TEST(AutostartEntry, WritesAValidEntryAndRemovesIt)
{
    QTemporaryDir home;
    // A program path with the characters the Exec key must quote.
    const QString program = home.path() + "/my apps/100% \"voice\"$tray";
    AutostartEntry entry(home.path() + "/autostart/" + AutostartEntry::kFileName, program);
    EXPECT_FALSE(entry.isEnabled());
    ASSERT_TRUE(entry.setEnabled(true));
    EXPECT_TRUE(entry.isEnabled());
    const QByteArray text = readFile(entry.path());
    EXPECT_TRUE(text.contains("Exec=\"" + home.path().toUtf8() +
                              "/my apps/100%% \\\\\"voice\\\\\"\\\\$tray\"\n"))
        << text.constData();
    if (!QStandardPaths::findExecutable("desktop-file-validate").isEmpty()) {
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start("desktop-file-validate", {entry.path()});
        ASSERT_TRUE(validate.waitForFinished(10000));
        EXPECT_EQ(validate.readAll().trimmed(), "") << text.constData();
    }
    ASSERT_TRUE(entry.setEnabled(false));
    EXPECT_FALSE(QFile::exists(entry.path()));
    // An entry the desktop's own settings switched off counts as off.
    for (const char* off : {"Hidden=true", "X-GNOME-Autostart-enabled=false"}) {
        writeFile(entry.path(), QByteArray("[Desktop Entry]\nExec=voicetray\n") + off + "\n");
        EXPECT_FALSE(entry.isEnabled()) << off;
    }
    writeFile(entry.path(), "[Desktop Entry]\nExec=voicetray\n[Desktop Action x]\nHidden=true\n");
    EXPECT_TRUE(entry.isEnabled());
}

TEST_F(StartAtLogin, PreferencesCheckBoxWritesTheEntryAndShowsFailures)
{
    const QString path = home.path() + "/.config/autostart/" + AutostartEntry::kFileName;
    {
        QCheckBox* box = window->prefView()->startAtLoginBtn();
        box->click();
        EXPECT_TRUE(QFile::exists(path));
        EXPECT_TRUE(
            readFile(path).contains("Exec=" + QCoreApplication::applicationFilePath().toUtf8()));
        box->click();
        EXPECT_FALSE(QFile::exists(path));
        EXPECT_FALSE(box->isChecked());
        // The autostart folder cannot be made: the user hears of it and the box stays off.
        QDir(home.path() + "/.config").removeRecursively();
        writeFile(home.path() + "/.config/autostart", "a file, not a folder");
        box->click();
        EXPECT_FALSE(box->isChecked());
        EXPECT_EQ(messages, QStringList{"Unable to start VoiceTray at login"});
        QFile::remove(home.path() + "/.config/autostart");
    }
    // A later start shows the entry's state.
    writeFile(path, AutostartEntry(path, "voicetray").contents().toUtf8());
    relaunch();
    EXPECT_TRUE(window->prefView()->startAtLoginBtn()->isChecked());
}

TEST(SingleInstance, OneHolderPerSessionCarriesOutTheCommandsOfLaterStartsAndAnswers)
{
    QTemporaryDir runtime;
    const QString name = runtime.path() + "/voicetray-test";
    SingleInstance first(name);
    SingleInstance later(name);
    // Nobody listens yet: a later start gives up after its time.
    EXPECT_FALSE(later.sendToRunning({"record"}, 200));
    ASSERT_TRUE(first.tryLock());
    EXPECT_FALSE(later.tryLock());
    // A socket left by a process that died does not stop the holder.
    writeFile(name, "stale");
    QList<QStringList> received;
    ASSERT_TRUE(first.listen([&](const QStringList& commands) {
        received << commands;
        return SingleInstance::Answer{"recording\nline two", "a warning", commands.isEmpty()};
    }));
    // The later start blocks while it waits, so it runs on a thread of its
    // own while this one answers.
    std::optional<SingleInstance::Answer> two, none;
    QThread* sender = QThread::create([&] {
        two = later.sendToRunning({"record", "mark a note"});
        none = later.sendToRunning({});
    });
    sender->start();
    ASSERT_TRUE(waitUntil([&] { return sender->isFinished(); }));
    delete sender;
    ASSERT_TRUE(two && none);
    EXPECT_EQ(two->output, "recording\nline two\n");
    EXPECT_EQ(two->errors, "a warning\n");
    EXPECT_FALSE(two->ok);
    EXPECT_TRUE(none->ok);
    ASSERT_EQ(received.size(), 2);
    EXPECT_EQ(received[0], (QStringList{"record", "mark a note"}));
    EXPECT_EQ(received[1], QStringList());
}

TEST(SingleInstance, NamesDifferBySessionAndKeepToThePrivateFolder)
{
    QTemporaryDir runtime;
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    qputenv("DISPLAY", ":7");
    const QString seven = SingleInstance::defaultServerName();
    qputenv("DISPLAY", ":8/../../x");
    const QString eight = SingleInstance::defaultServerName();
    qputenv("XDG_RUNTIME_DIR", oldRuntime);
    qunsetenv("DISPLAY");
    EXPECT_NE(seven, eight);
    EXPECT_TRUE(seven.startsWith(runtime.path() + "/io.github.voicetray.VoiceTray-"));
    EXPECT_EQ(QFileInfo(eight).path(), runtime.path());
}
