// SPDX-License-Identifier: GPL-3.0-or-later
// The library's rules on a temporary folder: categories, renames, moves,
// deletes to the Trash and back, and the library file.
#include "library/LibraryFixture.h"
#include "support/TestFiles.h"
#include "support/Wait.h"

#include <QDir>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <unistd.h>

namespace {

using Rules = LibraryFixture;

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

TEST_F(Rules, NewCategoriesTakeTheFirstFreeNumberAndGetTheirFolder)
{
    const RecGroup* made = lib->addCategory(root());
    EXPECT_EQ(made, groupAt(root(), 0));
    EXPECT_EQ(titles(root()), QStringList{"Category 1"});
    EXPECT_TRUE(QFileInfo(out + "/Category 1").isDir());
    EXPECT_TRUE(database().contains("Title=\"Category 1\""));
    // Inside a collapsed category that holds "Category 1" and "category 2" (letter case ignored).
    RecGroup* parent = category("Parent");
    category("Category 1", parent);
    category("category 2", parent, false);
    parent->setExpanded(false);
    lib->addCategory(parent);
    EXPECT_EQ(parent->subItems().last()->title(), "Category 3");
    EXPECT_TRUE(QFileInfo(out + "/Parent/Category 3").isDir());
    EXPECT_TRUE(parent->isExpanded());
    // A file where the parent's folder should be: nothing is added.
    RecGroup* blocked = category("Blocked", nullptr, false);
    writeFile(out + "/Blocked");
    EXPECT_EQ(lib->addCategory(blocked), nullptr);
    EXPECT_EQ(messages, QStringList{"Unable to create a new category"});
    EXPECT_TRUE(blocked->subItems().isEmpty());
}

TEST_F(Rules, RenamesMoveTheFileOrFolderOrPutTheOldTitleBack)
{
    RecItem* talk = recording("Talk");
    recording("Other");
    const QStringList before = listing(out);

    talk->setEditedTitle("Other"); // as typed into the row
    EXPECT_FALSE(lib->rename(talk, "Other"));
    EXPECT_EQ(messages, QStringList{"Item with the same name already exists in this category"});
    EXPECT_EQ(talk->title(), "Talk");
    // Unsafe titles are refused before anything on disk changes.
    messages.clear();
    const QStringList unsafe{"", ".", "..", "a/b", "../Escaped", QString("nul") + QChar(0) + "x"};
    for (const QString& title : unsafe) {
        talk->setEditedTitle(title);
        EXPECT_FALSE(lib->rename(talk, title));
        EXPECT_EQ(talk->title(), "Talk");
    }
    EXPECT_EQ(messages, QStringList(unsafe.size(), "Unable to rename the item"));
    EXPECT_EQ(listing(out), before);
    EXPECT_EQ(listing(home.path()).filter("Escaped"), QStringList{});
    messages.clear();
    EXPECT_TRUE(lib->rename(talk, "Lecture"));
    EXPECT_EQ(listing(out), (QStringList{"Lecture.m4a", "Other.m4a", "RecordingsDB.xml"}));
    EXPECT_TRUE(database().contains("Title=\"Lecture\""));
    // A category without its folder is renamed in the library only.
    RecGroup* ghost = category("Ghost", nullptr, false);
    EXPECT_TRUE(lib->rename(ghost, "Spirit"));
    EXPECT_EQ(ghost->title(), "Spirit");
    EXPECT_FALSE(QFileInfo::exists(out + "/Spirit"));
    // A renamed category keeps its recordings, also at the next start.
    RecGroup* talks = category("Talks");
    recording("One", talks);
    recording("Two", category("Inner", talks));
    ASSERT_TRUE(lib->rename(talks, "Lectures"));
    EXPECT_EQ(lib->rowAt(out + "/Lectures/Inner/Two.m4a")->title(), "Two");
    // Paths are compared exactly: other letter case names another file.
    EXPECT_EQ(lib->rowAt(out + "/LECTURES/inner/two.M4A"), nullptr);
    EXPECT_EQ(lib->rowAt(out + "/Talks/One.m4a"), nullptr);
    reopen();
    EXPECT_EQ(tree(), "Lecture Other Spirit[] Lectures[One Inner[Two]]");
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(Rules, MovesGoBeforeOrAfterARowAndInsideAnExpandedCategory)
{
    RecItem* a = recording("A");
    recording("B");
    RecItem* c = recording("C");
    RecGroup* cat = category("Cat");
    recording("X", cat);
    // Within a category only the order changes; onto its own row nothing does.
    EXPECT_TRUE(lib->move({pathOf(c)}, a, true));
    EXPECT_FALSE(lib->move({pathOf(a)}, a, false));
    EXPECT_EQ(tree(), "C A B Cat[X]");
    EXPECT_EQ(readFile(out + "/C.m4a"), "C");
    // After an expanded category: inside it; before it: outside.
    EXPECT_TRUE(lib->move({pathOf(a)}, cat, false));
    EXPECT_EQ(tree(), "C B Cat[A X]");
    EXPECT_EQ(readFile(out + "/Cat/A.m4a"), "A");
    EXPECT_FALSE(QFileInfo::exists(out + "/A.m4a"));
    EXPECT_EQ(a->level(), 1);
    EXPECT_TRUE(lib->move({pathOf(a)}, cat, true));
    EXPECT_EQ(tree(), "C B A Cat[X]");
    EXPECT_TRUE(QFileInfo::exists(out + "/A.m4a"));
    EXPECT_LT(database().indexOf("Title=\"A\""), database().indexOf("Title=\"Cat\""));
}

TEST_F(Rules, SeveralMovesKeepTheirOrderTakenNamesGetNumbersAndNoCategoryGoesBelowItself)
{
    recording("Memo");
    RecGroup* notes = category("Notes");
    RecGroup* cat = category("Cat");
    RecItem* x = recording("X", cat);
    RecItem* memo = recording("Memo", cat);
    RecGroup* innerNotes = category("Notes", cat);
    RecItem* deep = recording("Inside", innerNotes);
    RecItem* last = recording("Last", cat);

    EXPECT_TRUE(lib->move({pathOf(memo), pathOf(innerNotes)}, notes, true));
    EXPECT_EQ(readFile(out + "/Memo 1.m4a"), "Memo");
    EXPECT_EQ(readFile(out + "/Notes 1/Inside.m4a"), "Inside");
    EXPECT_TRUE(lib->move({pathOf(x), pathOf(last)}, notes, false));
    EXPECT_EQ(tree(), "Memo Memo 1 Notes 1[Inside] Notes[X Last] Cat[]");
    // A category never goes into itself or below itself; beside its parent is fine.
    RecGroup* moved = groupAt(root(), 2);
    EXPECT_TRUE(lib->move({pathOf(cat)}, moved, false));
    EXPECT_FALSE(lib->move({pathOf(moved)}, cat, false));
    EXPECT_FALSE(lib->move({pathOf(moved)}, deep, true));
    EXPECT_FALSE(lib->move({pathOf(moved)}, moved, false));
    EXPECT_EQ(tree(moved), "Cat[] Inside");
    EXPECT_TRUE(lib->move({pathOf(cat)}, moved, true));
    EXPECT_EQ(tree(), "Memo Memo 1 Cat[] Notes 1[Inside] Notes[X Last]");
    EXPECT_EQ(readFile(out + "/Notes 1/Inside.m4a"), "Inside");
    EXPECT_EQ(deep->level(), 1);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(Rules, DeletesGoToTheTrashWholeAndUndoBringsBackRowsAndNotes)
{
    QStringList removed;
    QObject::connect(lib.get(), &Library::removed, [&](const QString& what) { removed << what; });
    RecGroup* talks = category("Talks");
    RecItem* a = recording("a", talks);
    a->setDescr("about");
    a->addMarkAtTime(1, "note", 0);
    recording("b", talks);
    writeFile(out + "/Talks/slides.pdf"); // not in the library, goes with its folder
    recording("keep");
    recording("Memo");
    RecItem* gone = recording("gone", nullptr, kNoFile);

    EXPECT_TRUE(lib->remove({itemAt(root(), 2)}));
    // Several rows at once are one step; a row in a category going too is taken once.
    EXPECT_TRUE(lib->remove({talks, gone, a}));
    EXPECT_EQ(removed, (QStringList{"\"Memo\" moved to the Trash", "2 items moved to the Trash"}));
    EXPECT_EQ(tree(), "keep");
    EXPECT_FALSE(database().contains("Talks"));
    EXPECT_EQ(listing(out), (QStringList{"RecordingsDB.xml", "keep.m4a"}));
    const QString trash = home.path() + "/.local/share/Trash/";
    EXPECT_EQ(listing(trash + "files"),
              (QStringList{"Memo.m4a", "Talks", "Talks/a.m4a", "Talks/b.m4a", "Talks/slides.pdf"}));
    EXPECT_EQ(listing(trash + "info"), (QStringList{"Memo.m4a.trashinfo", "Talks.trashinfo"}));

    ASSERT_TRUE(lib->canUndoRemove());
    const QList<GeneralRecItem*> rows = lib->undoRemove();
    EXPECT_EQ(rows, (QList<GeneralRecItem*>{groupAt(root(), 0), itemAt(root(), 2)}));
    EXPECT_EQ(tree(), "Talks[a b] keep gone");
    const RecItem* back = itemAt(groupAt(root(), 0), 0);
    EXPECT_EQ(back->descr(), "about");
    EXPECT_EQ(back->marks().size(), 1u);
    EXPECT_TRUE(QFileInfo::exists(out + "/Talks/slides.pdf"));
    EXPECT_EQ(lib->undoRemove().size(), 1);
    EXPECT_EQ(tree(), "Talks[a b] keep Memo gone");
    EXPECT_FALSE(lib->canUndoRemove());
    EXPECT_EQ(listing(trash + "files"), QStringList{});
    EXPECT_EQ(listing(trash + "info"), QStringList{});
    EXPECT_TRUE(database().contains("note"));
    EXPECT_TRUE(messages.isEmpty());
    // What went from one library stays in the Trash when another is opened.
    lib->remove({itemAt(root(), 1)});
    lib->open(home.path() + "/other", seen);
    EXPECT_FALSE(lib->canUndoRemove());
}

TEST_F(Rules, WhatAFileManagerRestoresFromTheTrashComesBackWithItsNotes)
{
    const QString trash = home.path() + "/.local/share/Trash";
    RecGroup* talks = category("Talks");
    RecItem* memo = recording("Memo %41", talks); // a name the info file must escape
    memo->setDescr("about");
    memo->addMarkAtTime(1, "note", 0);
    recording("Other", talks);
    lib->remove({memo});
    lib.reset();
    EXPECT_EQ(restoreFromTrash(trash, "Memo %41.m4a"), out + "/Talks/Memo %41.m4a");
    open();
    EXPECT_EQ(tree(), "Talks[Memo %41 Other]");
    EXPECT_EQ(itemAt(groupAt(root(), 0), 0)->descr(), "about");
    // While the library is open, and a whole category: the watcher sees it.
    lib->remove({groupAt(root(), 0)});
    restoreFromTrash(trash, "Talks");
    ASSERT_TRUE(waitUntil([&] { return tree() == "Talks[Memo %41 Other]"; }));
    EXPECT_EQ(itemAt(groupAt(root(), 0), 0)->marks().size(), 1u);
    lib->undoRemove(); // it is back already
    EXPECT_EQ(tree(), "Talks[Memo %41 Other]");
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(Rules, WhatTheTrashNoLongerHoldsIsNamedAtUndoAndItsNotesGo)
{
    const QString records =
        QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + "/trash";
    ASSERT_TRUE(records.startsWith(home.path()));
    lib->remove({recording("Talk")});
    EXPECT_EQ(listing(records).size(), 1);
    // Emptied, as a file manager empties it.
    const QString trash = home.path() + "/.local/share/Trash";
    ASSERT_TRUE(QFile::remove(trash + "/files/Talk.m4a"));
    ASSERT_TRUE(QFile::remove(trash + "/info/Talk.m4a.trashinfo"));
    rescan();
    EXPECT_EQ(listing(records), QStringList{});
    EXPECT_TRUE(lib->undoRemove().isEmpty());
    EXPECT_EQ(tree(), "");
    EXPECT_EQ(messages,
              QStringList{"\"Talk\" is no longer in the Trash and cannot be brought back."});
}

TEST_F(Rules, WhereNoTrashCanBeMadeTheUserIsAskedBeforeDeletingForGood)
{
    const QString drive = home.path() + "/drive";
    QDir().mkpath(drive);
    if (QProcess::execute("mount", {"-t", "tmpfs", "tmpfs", drive}) != 0)
        GTEST_SKIP() << "mounting a tmpfs is refused here";
    // Where the drive's own Trash folder would be made lies a file.
    writeFile(drive + "/.Trash-" + QString::number(getuid()));
    out = drive + "/rec";
    QDir().mkpath(out);
    open();
    recording("Talk");
    recording("Memo");
    EXPECT_FALSE(lib->remove({itemAt(root(), 0)}));
    EXPECT_EQ(messages, QStringList{"Delete \"Talk\" permanently? It cannot be had back."});
    EXPECT_EQ(tree(), "Talk Memo");
    EXPECT_TRUE(QFileInfo::exists(out + "/Talk.m4a"));
    confirm = true;
    EXPECT_TRUE(lib->remove({itemAt(root(), 0)}));
    EXPECT_EQ(tree(), "Memo");
    EXPECT_FALSE(QFileInfo::exists(out + "/Talk.m4a"));
    EXPECT_FALSE(lib->canUndoRemove());
    lib.reset();
    QProcess::execute("umount", {drive});
}

TEST_F(Rules, NothingOutsideTheOutputFolderIsDeletedRenamedOrMade)
{
    const QString outside = home.path() + "/outside";
    writeFile(outside + "/precious.m4a");
    // A category folder that is a link to a folder elsewhere: only the link goes.
    RecGroup* linked = category("Linked", nullptr, false);
    ASSERT_TRUE(QFile::link(outside, out + "/Linked"));
    RecItem* inner = recording("precious", linked, kNoFile);
    EXPECT_FALSE(lib->rename(inner, "moved"));
    EXPECT_EQ(lib->addCategory(linked), nullptr);
    EXPECT_TRUE(lib->newRecordingPath(linked).isNull());
    EXPECT_EQ(messages, (QStringList{"Unable to rename the item", "Unable to create a new category",
                                     "Unable to create a folder, try to change the path to the "
                                     "recordings in the preferences"}));
    EXPECT_EQ(listing(outside), QStringList{"precious.m4a"});
    EXPECT_TRUE(lib->remove({linked})); // the link goes, not the recording behind it
    EXPECT_FALSE(QFileInfo(out + "/Linked").isSymLink());
    EXPECT_TRUE(QFileInfo::exists(outside + "/precious.m4a"));
    // Titles no folder can have, as a damaged library could give them.
    for (const QString& title : {QString(".."), QString("."), QString("../outside"), QString("")}) {
        RecGroup* bad = category("x", nullptr, false);
        bad->setTitle(title);
        recording("precious", bad, kNoFile);
        EXPECT_FALSE(lib->remove({bad})) << qPrintable(title);
    }
    EXPECT_TRUE(QFileInfo::exists(outside + "/precious.m4a"));
    EXPECT_TRUE(QFileInfo::exists(out + "/RecordingsDB.xml"));
    EXPECT_TRUE(root()->subItems().isEmpty());
    // The root is never removed, nor what is being recorded.
    EXPECT_FALSE(lib->remove({root()}));
    EXPECT_TRUE(QFileInfo(out).isDir());
    RecItem* live = recording("Live");
    lib->setRecordingPaths([&] { return QStringList{pathOf(live)}; });
    EXPECT_FALSE(lib->remove({live}));
    EXPECT_FALSE(lib->rename(live, "Dead"));
    EXPECT_EQ(tree(), "Live");
}

TEST_F(Rules, StartUpLoadsWithoutSavingThenEveryChangeSaves)
{
    writeFile(out + "/Talk.m4a");
    const QByteArray original = "<Recordings>\n<Item ID=\"4\" Title=\"Talk\" Description=\"\" "
                                "CreateDate=\"x\" Duration=\"2\"/>\n"
                                "<Item ID=\"5\" Title=\"Gone\" Description=\"\" "
                                "CreateDate=\"x\" Duration=\"2\"/></Recordings>";
    writeFile(out + "/RecordingsDB.xml", original);
    open();
    ASSERT_EQ(titles(root()), QStringList({"Talk", "Gone"}));
    EXPECT_TRUE(itemAt(root(), 1)->isFileMissing());
    EXPECT_EQ(database(), original); // loading wrote nothing

    EXPECT_EQ(recording("Next")->ID(), 6);
    EXPECT_TRUE(database().contains("Title=\"Next\""));
    EXPECT_TRUE(database().contains("Gone")); // kept until its file is back
    EXPECT_EQ(pathOf(itemAt(root(), 2)), out + "/Next.m4a");
    EXPECT_EQ(lib->pathOf(root()), out);
    EXPECT_TRUE(messages.isEmpty());
    // A save that fails says so and keeps the tree.
    writeFile(home.path() + "/not-a-folder");
    out = home.path() + "/not-a-folder/rec";
    open();
    category("Cat", nullptr, false);
    EXPECT_EQ(messages, QStringList{"Unable to save the structure of recordings"});
    EXPECT_EQ(titles(root()), QStringList{"Cat"});
}

// Another program (a copy on a synced folder) saved in between, replacing
// the file or writing into it. The version this one wrote, which the changes
// are weighed against, is the file itself kept open (gone once written into:
// then nothing of either side may be lost), or a copy where the cache lies on
// another mount.
TEST_F(Rules, AnotherProgramsSaveIsMergedBeforeTheNextSave)
{
    QTemporaryDir otherMount("/dev/shm/voicetray-XXXXXX");
    const struct
    {
        bool inPlace;
        QString cache;
        const char* merged;
    } cases[] = {{false, home.path() + "/.cache", "Keep Theirs Mine New"},
                 {true, home.path() + "/.cache", "Keep Theirs Gone Mine New"},
                 {true, otherMount.path(), "Keep Theirs Mine New"}};
    for (const auto& c : cases) {
        qputenv("XDG_CACHE_HOME", c.cache.toUtf8());
        out = home.path() + "/library" + QString::number(&c - cases);
        QDir().mkpath(out);
        open();
        for (const char* title : {"Keep", "Theirs", "Gone"})
            recording(title, nullptr, kNoFile);
        // Theirs: "Gone" deleted, "New" added.
        QByteArrayList lines = database().split('\n');
        for (QByteArray& line : lines)
            if (line.contains("Title=\"Gone\""))
                line = "<Item ID=\"99\" Title=\"New\" Description=\"\" CreateDate=\"\" "
                       "Duration=\"1\"/>";
        QSaveFile replaced(out + "/RecordingsDB.xml");
        QFile written(out + "/RecordingsDB.xml");
        QFileDevice& theirs = c.inPlace ? static_cast<QFileDevice&>(written) : replaced;
        EXPECT_TRUE(theirs.open(QIODevice::WriteOnly | QIODevice::Truncate));
        theirs.write(lines.join('\n'));
        EXPECT_TRUE(c.inPlace ? (written.close(), true) : replaced.commit());

        recording("Mine", nullptr, kNoFile);
        EXPECT_EQ(titles(root()).join(' ').toStdString(), c.merged) << c.cache.toStdString();
        EXPECT_TRUE(database().contains("Title=\"New\""));
    }
    qunsetenv("XDG_CACHE_HOME");
}

TEST_F(Rules, AnUnreadableDatabaseIsSetAsideNotOverwritten)
{
    // One that only the full XML reader takes (a byte order mark) is read.
    writeFile(out + "/RecordingsDB.xml", "\xef\xbb\xbf<Recordings><Group ID=\"1\" Title=\"Cat\" "
                                         "Description=\"\" Expanded=\"true\"/></Recordings>");
    open();
    EXPECT_EQ(titles(root()).join(' '), "Cat");
    EXPECT_TRUE(messages.isEmpty());

    const QByteArray broken = "<Recordings><Item ID=\"1\" Title=\"Talk\" Descri";
    writeFile(out + "/RecordingsDB.xml", broken);
    open();
    EXPECT_TRUE(root()->subItems().isEmpty());
    recording("New");

    const QStringList aside =
        QDir(out).entryList(QStringList{"RecordingsDB.unreadable-*.xml"}, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(readFile(out + "/" + aside[0]), broken);
    EXPECT_TRUE(database().contains("New"));
    ASSERT_EQ(messages.size(), 1); // saying where the old file is
    EXPECT_TRUE(messages[0].contains(aside[0]));

    // One that cannot even be opened (a link to a drive not mounted) is never replaced.
    messages.clear();
    QFile::remove(out + "/RecordingsDB.xml");
    ASSERT_TRUE(
        QFile::link(home.path() + "/unmounted/RecordingsDB.xml", out + "/RecordingsDB.xml"));
    open();
    category("Cat");
    EXPECT_TRUE(QFileInfo(out + "/RecordingsDB.xml").isSymLink());
    EXPECT_EQ(messages.size(), 1);
}
