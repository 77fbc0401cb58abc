// SPDX-License-Identifier: GPL-3.0-or-later
// Clicks go through the window system as real ones do.
#define QTEST_QPA_MOUSE_HANDLING
#include "app/MainView.h"
#include "shell/UndoBar.h"
#include "support/AppFixture.h"
#include "support/TestFiles.h"
#include "support/Wait.h"

#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <unistd.h>

namespace {

using Library = AppFixture;

// Puts a Trash entry back where its info file says it was, as a file manager
// restores it (the path in the info file is escaped as a URL path); answers that path.
QString restoreFromTrash(const QString& trash, const QString& name)
{
    const QString info = trash + "/info/" + name + ".trashinfo";
    QString path;
    for (const QByteArray& line : readFile(info).split('\n'))
        if (line.startsWith("Path="))
            path = QUrl::fromPercentEncoding(line.mid(5));
    EXPECT_TRUE(QDir().rename(trash + "/files/" + name, path)) << qPrintable(path);
    QFile::remove(info);
    return path;
}

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

TEST_F(Library, DeletesGoToTheTrashWholeAndUndoBringsBackRowsNotesAndSelection)
{
    RecGroup* talks = category("Talks");
    RecItem* a = recording("a", talks);
    a->setDescr("about");
    a->addMarkAtTime(1, "note", 0);
    recording("b", talks);
    writeFile(out + "/Talks/slides.pdf"); // not in the library, goes with its folder
    recording("keep");
    recording("Memo");
    recording("gone", nullptr, kNoFile);
    const UndoBar* bar = app->mainView()->undoBar();

    outline->selectItem(itemAt(root(), 2));
    app->removeSelected();
    EXPECT_EQ(bar->text(), "\"Memo\" moved to the Trash");
    // Several rows at once are one step; the chosen row is in the category.
    outline->selectItem(talks);
    outline->addToSelection(itemAt(root(), 2));
    outline->addToSelection(a);
    app->removeSelected();
    EXPECT_EQ(bar->text(), "2 items moved to the Trash");
    EXPECT_EQ(tree(), "keep");
    EXPECT_FALSE(database().contains("Talks"));
    EXPECT_EQ(listing(out), (QStringList{"RecordingsDB.xml", "keep.m4a"}));
    const QString trash = home.path() + "/.local/share/Trash/";
    EXPECT_EQ(listing(trash + "files"),
              (QStringList{"Memo.m4a", "Talks", "Talks/a.m4a", "Talks/b.m4a", "Talks/slides.pdf"}));
    EXPECT_EQ(listing(trash + "info"), (QStringList{"Memo.m4a.trashinfo", "Talks.trashinfo"}));

    ASSERT_TRUE(app->undoDelete());
    EXPECT_EQ(tree(), "Talks[a b] keep gone");
    EXPECT_EQ(outline->selectedItemsOfGroup(root()),
              (QList<GeneralRecItem*>{groupAt(root(), 0), itemAt(root(), 2)}));
    const RecItem* back = itemAt(groupAt(root(), 0), 0);
    EXPECT_EQ(back->descr(), "about");
    EXPECT_EQ(back->marks().size(), 1u);
    EXPECT_TRUE(QFileInfo::exists(out + "/Talks/slides.pdf"));
    ASSERT_TRUE(app->undoDelete());
    EXPECT_EQ(tree(), "Talks[a b] keep Memo gone");
    EXPECT_FALSE(app->undoDelete());
    EXPECT_EQ(listing(trash + "files"), QStringList{});
    EXPECT_EQ(listing(trash + "info"), QStringList{});
    EXPECT_TRUE(database().contains("note"));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(Library, WhatAFileManagerRestoresFromTheTrashComesBackWithItsNotes)
{
    const QString trash = home.path() + "/.local/share/Trash";
    RecGroup* talks = category("Talks");
    RecItem* memo = recording("Memo %41", talks); // a name the info file must escape
    memo->setDescr("about");
    memo->addMarkAtTime(1, "note", 0);
    recording("Other", talks);
    outline->selectItem(memo);
    app->removeSelected();
    app->applicationShouldTerminate();
    app.reset();
    EXPECT_EQ(restoreFromTrash(trash, "Memo %41.m4a"), out + "/Talks/Memo %41.m4a");
    launch();
    EXPECT_EQ(tree(), "Talks[Memo %41 Other]");
    EXPECT_EQ(itemAt(groupAt(root(), 0), 0)->descr(), "about");
    // While VoiceTray runs, and a whole category.
    outline->selectItem(groupAt(root(), 0));
    app->removeSelected();
    restoreFromTrash(trash, "Talks");
    ASSERT_TRUE(waitUntil([&] { return tree() == "Talks[Memo %41 Other]"; }));
    EXPECT_EQ(itemAt(groupAt(root(), 0), 0)->marks().size(), 1u);
    app->undoDelete(); // it is back already
    EXPECT_EQ(tree(), "Talks[Memo %41 Other]");
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(Library, WhatTheTrashNoLongerHoldsIsNamedAtUndoAndItsNotesGo)
{
    const QString records =
        QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + "/trash";
    recording("Talk");
    outline->selectItem(itemAt(root(), 0));
    app->removeSelected();
    EXPECT_EQ(listing(records).size(), 1);
    // Emptied, as a file manager empties it.
    const QString trash = home.path() + "/.local/share/Trash";
    ASSERT_TRUE(QFile::remove(trash + "/files/Talk.m4a"));
    ASSERT_TRUE(QFile::remove(trash + "/info/Talk.m4a.trashinfo"));
    app->rescanLibrary();
    EXPECT_EQ(listing(records), QStringList{});
    EXPECT_TRUE(app->undoDelete());
    EXPECT_EQ(tree(), "");
    EXPECT_EQ(messages,
              QStringList{"\"Talk\" is no longer in the Trash and cannot be brought back."});
}

TEST_F(Library, WhereNoTrashCanBeMadeTheUserIsAskedBeforeDeletingForGood)
{
    const QString drive = home.path() + "/drive";
    QDir().mkpath(drive);
    if (QProcess::execute("mount", {"-t", "tmpfs", "tmpfs", drive}) != 0)
        GTEST_SKIP() << "mounting a tmpfs is refused here";
    // Where the drive's own Trash folder would be made lies a file.
    writeFile(drive + "/.Trash-" + QString::number(getuid()));
    QDir().mkpath(drive + "/rec");
    app->outputFolderChanged(drive + "/rec");
    recording("Talk");
    recording("Memo");
    outline->selectItem(itemAt(root(), 0));
    app->removeSelected();
    EXPECT_EQ(messages, QStringList{"Delete \"Talk\" permanently? It cannot be had back."});
    EXPECT_EQ(tree(), "Talk Memo");
    EXPECT_TRUE(QFileInfo::exists(drive + "/rec/Talk.m4a"));
    confirm = true;
    outline->selectItem(itemAt(root(), 0));
    app->removeSelected();
    EXPECT_EQ(tree(), "Memo");
    EXPECT_FALSE(QFileInfo::exists(drive + "/rec/Talk.m4a"));
    EXPECT_FALSE(app->undoDelete());
    app->outputFolderChanged(out);
    QProcess::execute("umount", {drive});
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
    EXPECT_TRUE(app->removeGroup(linked)); // the link goes, not the recording behind it
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
