// SPDX-License-Identifier: GPL-3.0-or-later
// Clicks go through the window system as real ones do.
#define QTEST_QPA_MOUSE_HANDLING
#include "support/AppFixture.h"
#include "support/TestFiles.h"

namespace {

using Library = AppFixture;

} // namespace

TEST_F(Library, NewCategoriesTakeTheFirstFreeNumberAndGetTheirFolder)
{
    app->addGroup();
    EXPECT_EQ(titles(root()), QStringList{"Category 1"});
    EXPECT_TRUE(QFileInfo(out + "/Category 1").isDir());
    EXPECT_EQ(outline->chiefSelectedItem(), groupAt(root(), 0));
    EXPECT_TRUE(database().contains("Title=\"Category 1\""));
    // Inside a collapsed category that holds "Category 1" and "category 2" (letter case ignored).
    RecGroup* parent = category("Parent");
    category("Category 1", parent);
    category("category 2", parent, false);
    parent->setExpanded(false);
    outline->selectItem(parent);
    app->addGroup();
    EXPECT_EQ(parent->subItems().last()->title(), "Category 3");
    EXPECT_TRUE(QFileInfo(out + "/Parent/Category 3").isDir());
    EXPECT_TRUE(parent->isExpanded());
    // A file where the parent's folder should be: nothing is added.
    RecGroup* blocked = category("Blocked", nullptr, false);
    writeFile(out + "/Blocked");
    outline->selectItem(blocked);
    app->addGroup();
    EXPECT_EQ(messages, QStringList{"Unable to create a new category"});
    EXPECT_TRUE(blocked->subItems().isEmpty());
}

TEST_F(Library, DeletingRemovesRowsFilesAndFoldersAndSaves)
{
    RecGroup* talks = category("Talks");
    RecItem* a = recording("a", talks);
    recording("b", talks);
    writeFile(out + "/Talks/stray.txt"); // not in the library, goes with its folder
    RecItem* keep = recording("keep");
    RecItem* gone = recording("gone", nullptr, kNoFile);

    outline->selectItem(a);
    outline->addToSelection(talks);
    app->removeSelected();
    EXPECT_EQ(root()->subItems(), (QList<GeneralRecItem*>{keep, gone}));
    EXPECT_FALSE(database().contains("Talks"));
    // A recording whose file is already missing goes silently.
    EXPECT_FALSE(app->removeItem(gone));
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(listing(out), (QStringList{"RecordingsDB.xml", "keep.m4a"}));
}

TEST_F(Library, NothingOutsideTheOutputFolderIsDeleted)
{
    const QString outside = home.path() + "/outside";
    writeFile(outside + "/precious.m4a");
    // A category folder that is a link to a folder elsewhere: only the link goes.
    RecGroup* linked = category("Linked", nullptr, false);
    ASSERT_TRUE(QFile::link(outside, out + "/Linked"));
    RecItem* inner = recording("precious", linked, kNoFile);
    EXPECT_FALSE(app->renameItem(inner, "moved"));
    outline->selectItem(linked);
    app->addGroup();
    EXPECT_EQ(messages,
              (QStringList{"Unable to rename the item", "Unable to create a new category"}));
    EXPECT_EQ(listing(outside), QStringList{"precious.m4a"});
    EXPECT_FALSE(app->removeGroup(linked)); // the recording behind the link stays
    EXPECT_FALSE(QFileInfo(out + "/Linked").isSymLink());
    EXPECT_TRUE(QFileInfo::exists(outside + "/precious.m4a"));
    // Titles no folder can have, as a damaged library could give them.
    for (const QString& title : {QString(".."), QString("."), QString("../outside"), QString("")}) {
        RecGroup* bad = category("x", nullptr, false);
        bad->setTitle(title);
        recording("precious", bad, kNoFile);
        EXPECT_FALSE(app->removeGroup(bad)) << qPrintable(title);
    }
    EXPECT_TRUE(QFileInfo::exists(outside + "/precious.m4a"));
    EXPECT_TRUE(QFileInfo::exists(out + "/RecordingsDB.xml"));
    EXPECT_TRUE(root()->subItems().isEmpty());
    // The roots are never removed.
    EXPECT_FALSE(app->removeGroup(root()));
    EXPECT_TRUE(QFileInfo(out).isDir());
}

TEST_F(Library, RenamesMoveTheFileOrFolderOrPutTheOldTitleBack)
{
    RecItem* talk = recording("Talk");
    recording("Other");
    const QStringList before = listing(out);

    talk->setEditedTitle("Other"); // as typed into the row
    EXPECT_FALSE(app->renameItem(talk, "Other"));
    EXPECT_EQ(messages, QStringList{"Item with the same name already exists in this category"});
    EXPECT_EQ(talk->title(), "Talk");
    EXPECT_EQ(listing(out), before);
    // Unsafe titles are refused before anything on disk changes.
    messages.clear();
    const QStringList unsafe{"", ".", "..", "a/b", "../Escaped", QString("nul") + QChar(0) + "x"};
    for (const QString& title : unsafe) {
        talk->setEditedTitle(title);
        EXPECT_FALSE(app->renameItem(talk, title));
        EXPECT_EQ(talk->title(), "Talk");
    }
    EXPECT_EQ(messages, QStringList(unsafe.size(), "Unable to rename the item"));
    EXPECT_EQ(listing(out), before);
    EXPECT_EQ(listing(home.path()).filter("Escaped"), QStringList{});
    messages.clear();
    EXPECT_TRUE(app->renameItem(talk, "Lecture"));
    EXPECT_TRUE(QFileInfo::exists(out + "/Lecture.m4a"));
    EXPECT_FALSE(QFileInfo::exists(out + "/Talk.m4a"));
    EXPECT_TRUE(database().contains("Title=\"Lecture\""));
    // A category without its folder is renamed in the library only.
    RecGroup* ghost = category("Ghost", nullptr, false);
    EXPECT_TRUE(app->renameItem(ghost, "Spirit"));
    EXPECT_EQ(ghost->title(), "Spirit");
    EXPECT_FALSE(QFileInfo::exists(out + "/Spirit"));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(Library, ARenamedCategoryKeepsItsRecordingsAcrossARestart)
{
    RecGroup* talks = category("Talks");
    recording("One", talks);
    recording("Two", category("Inner", talks));
    ASSERT_TRUE(app->renameItem(talks, "Lectures"));
    EXPECT_EQ(app->findItemByPath(out + "/Lectures/Inner/Two.m4a", root())->title(), "Two");
    // Paths are compared exactly: other letter case names another file.
    EXPECT_EQ(app->findItemByPath(out + "/LECTURES/inner/two.M4A", root()), nullptr);
    EXPECT_EQ(app->findItemByPath(out + "/Talks/One.m4a", root()), nullptr);

    relaunch();
    EXPECT_EQ(tree(), "Lectures[One Inner[Two]]");
}
