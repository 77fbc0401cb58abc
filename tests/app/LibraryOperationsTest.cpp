// SPDX-License-Identifier: GPL-3.0-or-later
// Clicks go through the window system as real ones do.
#define QTEST_QPA_MOUSE_HANDLING
#include "app/MainView.h"
#include "support/AppFixture.h"
#include "support/TestFiles.h"

#include <QDirIterator>
#include <QLineEdit>

namespace {

// Every file and folder under a folder, relative to it, sorted.
QStringList listing(const QString& folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << QDir(folder).relativeFilePath(it.next());
    entries.sort();
    return entries;
}

using Library = AppFixture;

} // namespace

TEST_F(Library, NewCategoriesTakeTheFirstFreeNumberAndGetTheirFolder)
{
    app->addGroup();
    ASSERT_EQ(root()->subItems().size(), 1);
    RecGroup* first = static_cast<RecGroup*>(root()->subItems()[0]);
    EXPECT_EQ(first->title(), "Category 1");
    EXPECT_TRUE(QFileInfo(out + "/Category 1").isDir());
    EXPECT_EQ(outline->chiefSelectedItem(), first);
    EXPECT_TRUE(database().contains("Title=\"Category 1\""));
    // Inside a category that holds "Category 1" and "category 2" (letter case ignored).
    RecGroup* parent = category("Parent");
    category("Category 1", parent);
    category("category 2", parent, false);
    parent->setExpanded(false);
    outline->selectItem(parent);
    app->addGroup();
    RecGroup* added = static_cast<RecGroup*>(parent->subItems().last());
    EXPECT_EQ(added->title(), "Category 3");
    EXPECT_TRUE(QFileInfo(out + "/Parent/Category 3").isDir());
    EXPECT_TRUE(parent->isExpanded());
    EXPECT_TRUE(added->isExpanded());
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
    EXPECT_FALSE(QFileInfo::exists(out + "/Talks"));
    EXPECT_EQ(root()->subItems(), (QList<GeneralRecItem*>{keep, gone}));
    EXPECT_EQ(outline->chiefSelectedItem(), nullptr);
    EXPECT_FALSE(database().contains("Talks"));
    EXPECT_TRUE(messages.isEmpty());
    // A recording whose file is already missing goes silently.
    EXPECT_FALSE(app->removeItem(gone));
    EXPECT_EQ(root()->subItems(), QList<GeneralRecItem*>{keep});
    EXPECT_FALSE(database().contains("gone"));
    EXPECT_TRUE(messages.isEmpty());
    // A category that is all there deletes cleanly.
    RecGroup* notes = category("Notes");
    recording("x", category("Inner", notes));
    EXPECT_TRUE(app->removeGroup(notes));
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
    RecItem* other = recording("Other");
    const QStringList before = listing(out);

    EXPECT_TRUE(app->renameItem(talk, "Talk"));
    EXPECT_TRUE(messages.isEmpty());

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
    // A recording whose file is missing cannot be renamed.
    messages.clear();
    QFile::remove(out + "/Other.m4a");
    EXPECT_FALSE(app->renameItem(other, "Another"));
    EXPECT_EQ(messages, QStringList{"Unable to rename the item"});
    EXPECT_EQ(other->title(), "Other");

    messages.clear();
    EXPECT_TRUE(app->renameItem(talk, "Lecture"));
    EXPECT_EQ(talk->title(), "Lecture");
    EXPECT_EQ(talk->prevTitle(), "Lecture");
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
    ASSERT_EQ(root()->subItems().size(), 1);
    auto* lectures = static_cast<RecGroup*>(root()->subItems()[0]);
    EXPECT_EQ(lectures->title(), "Lectures");
    ASSERT_EQ(lectures->subItems().size(), 2);
    EXPECT_EQ(lectures->subItems()[0]->title(), "One");
    EXPECT_EQ(static_cast<RecGroup*>(lectures->subItems()[1])->subItems().size(), 1);
}

TEST_F(Library, DuringASearchNewRowsJoinTheRootAndEveryChangeIsSavedAtOnce)
{
    recording("Small talk", category("Talks"));
    QLineEdit* field = app->mainView()->searchField();
    field->setText("talk");
    ASSERT_TRUE(outline->isSearchMode());
    // Where the recording workflow puts a recording with nothing chosen.
    RecGroup* target = outline->currentGroup();
    EXPECT_EQ(app->libraryPath(target), out);
    RecItem* rec = recording("Untitled 1", target);
    EXPECT_TRUE(database().contains("Untitled 1")); // a quit now would lose nothing
    ASSERT_TRUE(app->renameItem(rec, "Meeting"));
    EXPECT_TRUE(database().contains("Title=\"Meeting\""));
    app->addGroup();
    field->clear();
    EXPECT_FALSE(outline->isSearchMode());
    EXPECT_EQ(titles(root()), (QStringList{"Talks", "Meeting", "Category 1"}));
    EXPECT_TRUE(QFileInfo(out + "/Category 1").isDir());
    EXPECT_TRUE(database().contains("Category 1"));
}
