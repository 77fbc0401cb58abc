// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/QnMessageBox.h"
#include "app/RecorderAppDelegate.h"
#include "library/LibraryPaths.h"
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "outline/RecOutlineController.h"
#include "support/QtApp.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Every test gets a fresh home, so the user defaults start empty.
class AppDelegate : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
        qtApp();
        setQnMessageBoxPresenter([this](const QString& text) { messages << text; });
        delegate = std::make_unique<RecorderAppDelegate>();
    }
    void TearDown() override
    {
        delegate.reset();
        setQnMessageBoxPresenter({});
    }

    RecItem* addRecording(const QString& title)
    {
        RecOutlineController* outline = delegate->outlineController();
        auto owned = outline->createNewItem();
        RecItem* item = owned.get();
        item->setTitle(title);
        writeFile(delegate->outputFolder() + "/" + title + ".m4a", "");
        outline->addItem(std::move(owned), outline->mainGroup());
        return item;
    }

    QTemporaryDir home;
    QStringList messages;
    std::unique_ptr<RecorderAppDelegate> delegate;
};

} // namespace

TEST_F(AppDelegate, FirstLaunchDefaults)
{
    Settings& s = delegate->settings();
    EXPECT_EQ(delegate->outputFolder(), home.path() + "/Music/Voice Recordings");
    EXPECT_FLOAT_EQ(s.soundThreshold(), 0.2f);
    EXPECT_FALSE(s.skipSilence());
    EXPECT_EQ(s.recQuality(), 2);
    EXPECT_FALSE(s.ignoreGlobalHotKeys());
    EXPECT_FALSE(s.hideDescrWnd());
    EXPECT_TRUE(s.inputDevice().isNull());

    s.setSoundThreshold(0);
    s.setRecQuality(0);
    EXPECT_FLOAT_EQ(s.soundThreshold(), 0.2f);
    EXPECT_EQ(s.recQuality(), 2);

    delegate->applicationDidFinishLaunching();
    EXPECT_FALSE(QDir(delegate->outputFolder()).exists()); // made only when needed
    EXPECT_TRUE(delegate->initialized());
}

TEST_F(AppDelegate, StartUpLoadsWithoutSavingThenEveryChangeSaves)
{
    const QString out = home.path() + "/rec";
    delegate->settings().setOutputFolder(out);
    writeFile(out + "/Talk.m4a", "");
    const QByteArray original = "<Recordings>\n<Item ID=\"4\" Title=\"Talk\" Description=\"\" "
                                "CreateDate=\"x\" Duration=\"2\"/>\n"
                                "<Item ID=\"5\" Title=\"Gone\" Description=\"\" "
                                "CreateDate=\"x\" Duration=\"2\"/></Recordings>";
    writeFile(out + "/RecordingsDB.xml", original);

    delegate->applicationDidFinishLaunching();
    RecGroup* root = delegate->outlineController()->mainGroup();
    ASSERT_EQ(root->subItems().size(), 1);
    EXPECT_EQ(readFile(out + "/RecordingsDB.xml"), original); // loading wrote nothing

    addRecording("Next");
    const QByteArray saved = readFile(out + "/RecordingsDB.xml");
    EXPECT_TRUE(saved.contains("Title=\"Next\""));
    EXPECT_FALSE(saved.contains("Gone"));
    EXPECT_EQ(delegate->restorePath(root->subItems()[1]), out + "/Next.m4a");
    EXPECT_EQ(delegate->restorePath(root), out);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(AppDelegate, AFailedSaveShowsItsMessageAndKeepsTheTree)
{
    const QString blocker = home.path() + "/not-a-folder";
    writeFile(blocker, "");
    delegate->settings().setOutputFolder(blocker + "/rec");
    delegate->applicationDidFinishLaunching();
    RecOutlineController* outline = delegate->outlineController();
    auto owned = outline->createNewGroup();
    RecGroup* cat = owned.get();
    cat->setTitle("Cat");
    outline->addGroup(std::move(owned), outline->mainGroup());
    EXPECT_EQ(messages, QStringList{"Unable to save the structure of recordings"});
    EXPECT_EQ(outline->mainGroup()->subItems().size(), 1);
}

TEST_F(AppDelegate, ChangingTheOutputFolderShowsTheOtherLibrary)
{
    const QString first = home.path() + "/first";
    const QString second = home.path() + "/second";
    delegate->settings().setOutputFolder(first);
    delegate->applicationDidFinishLaunching();
    addRecording("One");

    delegate->outputFolderChanged(first.toUpper()); // same folder in other letter case
    EXPECT_EQ(delegate->outputFolder(), first);
    EXPECT_EQ(delegate->outlineController()->mainGroup()->subItems().size(), 1);

    writeFile(second + "/Two.m4a", "");
    writeFile(second + "/RecordingsDB.xml",
              "<Recordings><Item ID=\"1\" Title=\"Two\" Description=\"\" CreateDate=\"\" "
              "Duration=\"1\"/></Recordings>");
    delegate->outputFolderChanged(second);
    RecGroup* root = delegate->outlineController()->mainGroup();
    ASSERT_EQ(root->subItems().size(), 1);
    EXPECT_EQ(root->subItems()[0]->title(), "Two");
    EXPECT_EQ(delegate->settings().store().value("OutputFolder").toString(), second);
    EXPECT_TRUE(readFile(first + "/RecordingsDB.xml").contains("One"));

    delegate->outputFolderChanged(home.path() + "/empty");
    EXPECT_TRUE(root->subItems().isEmpty());
}

TEST_F(AppDelegate, AnUnreadableDatabaseIsSetAsideNotOverwritten)
{
    const QString out = home.path() + "/rec";
    delegate->settings().setOutputFolder(out);
    const QByteArray broken = "<Recordings><Item ID=\"1\" Title=\"Talk\" Descri";
    writeFile(out + "/RecordingsDB.xml", broken);
    delegate->applicationDidFinishLaunching();
    EXPECT_TRUE(delegate->outlineController()->mainGroup()->subItems().isEmpty());
    addRecording("New");

    const QStringList aside =
        QDir(out).entryList(QStringList{"RecordingsDB.unreadable-*.xml"}, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(readFile(out + "/" + aside[0]), broken);
    EXPECT_TRUE(readFile(out + "/RecordingsDB.xml").contains("New"));
    EXPECT_TRUE(messages.isEmpty());
}
