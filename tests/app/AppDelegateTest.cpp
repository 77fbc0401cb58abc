// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/AppFixture.h"
#include "support/TestFiles.h"

#include <QDir>

using AppDelegate = AppFixture;

TEST_F(AppDelegate, FirstLaunchDefaults)
{
    QSettings().clear();
    RecorderAppDelegate fresh;
    Settings& s = fresh.settings();
    EXPECT_EQ(fresh.outputFolder(), home.path() + "/Music/Voice Recordings");
    EXPECT_FLOAT_EQ(s.soundThreshold(), 0.2f);
    EXPECT_FALSE(s.skipSilence());
    EXPECT_EQ(s.recQuality(), 2);
    EXPECT_FALSE(s.ignoreGlobalHotKeys());
    EXPECT_FALSE(s.hideDescrWnd());
    EXPECT_TRUE(s.inputDevice().isNull());
    // A stored 0 reads as the default.
    s.setSoundThreshold(0);
    s.setRecQuality(0);
    EXPECT_FLOAT_EQ(s.soundThreshold(), 0.2f);
    EXPECT_EQ(s.recQuality(), 2);

    fresh.applicationDidFinishLaunching();
    EXPECT_FALSE(QDir(fresh.outputFolder()).exists()); // made only when needed
    EXPECT_TRUE(fresh.initialized());
    fresh.applicationShouldTerminate();
}

TEST_F(AppDelegate, StartUpLoadsWithoutSavingThenEveryChangeSaves)
{
    writeFile(out + "/Talk.m4a");
    const QByteArray original = "<Recordings>\n<Item ID=\"4\" Title=\"Talk\" Description=\"\" "
                                "CreateDate=\"x\" Duration=\"2\"/>\n"
                                "<Item ID=\"5\" Title=\"Gone\" Description=\"\" "
                                "CreateDate=\"x\" Duration=\"2\"/></Recordings>";
    writeFile(out + "/RecordingsDB.xml", original);
    relaunch();
    ASSERT_EQ(titles(root()), QStringList{"Talk"});
    EXPECT_EQ(database(), original); // loading wrote nothing

    recording("Next");
    EXPECT_TRUE(database().contains("Title=\"Next\""));
    EXPECT_FALSE(database().contains("Gone"));
    EXPECT_EQ(app->restorePath(itemAt(root(), 1)), out + "/Next.m4a");
    EXPECT_EQ(app->restorePath(root()), out);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(AppDelegate, AFailedSaveShowsItsMessageAndKeepsTheTree)
{
    writeFile(home.path() + "/not-a-folder");
    out = home.path() + "/not-a-folder/rec";
    relaunch();
    category("Cat", nullptr, false);
    EXPECT_EQ(messages, QStringList{"Unable to save the structure of recordings"});
    EXPECT_EQ(titles(root()), QStringList{"Cat"});
}

TEST_F(AppDelegate, ChangingTheOutputFolderShowsTheOtherLibrary)
{
    const QString first = out;
    const QString second = home.path() + "/second";
    recording("One");
    app->outputFolderChanged(first.toUpper()); // same folder in other letter case
    EXPECT_EQ(app->outputFolder(), first);
    EXPECT_EQ(titles(root()), QStringList{"One"});

    writeFile(second + "/Two.m4a");
    writeFile(second + "/RecordingsDB.xml",
              "<Recordings><Item ID=\"1\" Title=\"Two\" Description=\"\" CreateDate=\"\" "
              "Duration=\"1\"/></Recordings>");
    app->outputFolderChanged(second);
    EXPECT_EQ(titles(root()), QStringList{"Two"});
    EXPECT_EQ(app->settings().store().value("OutputFolder").toString(), second);
    EXPECT_TRUE(readFile(first + "/RecordingsDB.xml").contains("One"));

    app->outputFolderChanged(home.path() + "/empty");
    EXPECT_TRUE(root()->subItems().isEmpty());
}

TEST_F(AppDelegate, AnUnreadableDatabaseIsSetAsideNotOverwritten)
{
    const QByteArray broken = "<Recordings><Item ID=\"1\" Title=\"Talk\" Descri";
    writeFile(out + "/RecordingsDB.xml", broken);
    relaunch();
    EXPECT_TRUE(root()->subItems().isEmpty());
    recording("New");

    const QStringList aside =
        QDir(out).entryList(QStringList{"RecordingsDB.unreadable-*.xml"}, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(readFile(out + "/" + aside[0]), broken);
    EXPECT_TRUE(database().contains("New"));
    EXPECT_TRUE(messages.isEmpty());
}
