// SPDX-License-Identifier: GPL-3.0-or-later
// The library follows files and folders changed outside the program.
#include "library/DiskScan.h"
#include "library/LibraryFixture.h"
#include "library/LibraryWatcher.h"
#include "support/Media.h"
#include "support/TestFiles.h"
#include "support/Wait.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace {

using Disk = LibraryFixture;

QString marks(const RecItem* item)
{
    QStringList texts;
    for (const auto& mark : item->marks())
        texts << mark.descr();
    return texts.join(',');
}

TEST_F(Disk, RowsOfMissingFilesKeepTheirNotesAndAreWholeWhenTheFileIsBack)
{
    RecItem* talk = recording("Talk", category("Cat"), 2);
    talk->setDescr("about");
    talk->addMarkAtTime(1, "note", 0);
    lib->save();
    ASSERT_TRUE(QDir().rename(out + "/Cat/Talk.m4a", home.path() + "/Talk.m4a"));
    reopen();
    RecItem* row = itemAt(groupAt(root(), 0), 0);
    ASSERT_TRUE(row && row->isFileMissing());
    QList<RecItem*> returned;
    QObject::connect(lib.get(), &Library::fileReturned, [&](RecItem* r) { returned << r; });
    recording("Other"); // a change that saves
    ASSERT_TRUE(QDir().rename(home.path() + "/Talk.m4a", out + "/Cat/Talk.m4a"));
    ASSERT_TRUE(waitUntil([&] { return !row->isFileMissing(); }));
    EXPECT_EQ(returned, QList<RecItem*>{row});
    reopen();
    row = itemAt(groupAt(root(), 0), 0);
    EXPECT_EQ(row->descr(), "about");
    EXPECT_EQ(marks(row), "note");
}

TEST_F(Disk, FilesAndFoldersAddedOutsideBecomeRowsButNeverTheProgramsOwnFiles)
{
    category("Cat");
    // What the program writes itself: a recording, hidden temporary files,
    // set-aside databases.
    const QString live = lib->newRecordingPath(root());
    lib->setRecordingPaths([&] { return QStringList{live}; });
    recording("Untitled 1", nullptr, kNoFile);
    writeFile(live, "growing");
    writeFile(out + "/Cat/.1234.tmp");
    writeFile(out + "/.hidden.m4a");
    writeFile(out + "/RecordingsDB.unreadable-1.xml");
    ASSERT_TRUE(makeTone(out + "/Cat/Copied.m4a", 3, {"-c:a", "aac"}));
    QDir().mkpath(out + "/New/Sub");
    ASSERT_TRUE(waitUntil([&] { return tree() == "Cat[Copied] Untitled 1 New[Sub[]]"; }))
        << tree().toStdString();
    EXPECT_FALSE(itemAt(root(), 1)->isFileMissing());
    EXPECT_TRUE(waitUntil([&] { return itemAt(groupAt(root(), 0), 0)->duration() >= 2.9; }));
    lib->setRecordingPaths({});
    EXPECT_TRUE(waitForTimer(LibraryWatcher::kSettleMs));
    EXPECT_EQ(tree(), "Cat[Copied] Untitled 1 New[Sub[]]");
    EXPECT_TRUE(database().contains("Title=\"Copied\""));
}

TEST_F(Disk, ARowFollowsItsFileRenamedOrMovedButTwoRecordingsNeverMerge)
{
    // While open: by size and length.
    RecItem* talk = recording("Talk", nullptr, 2);
    talk->addMarkAtTime(1, "note", 0);
    rescan();
    QDir().mkpath(out + "/Moved");
    ASSERT_TRUE(QDir().rename(out + "/Talk.m4a", out + "/Moved/Renamed.m4a"));
    ASSERT_TRUE(waitUntil([&] { return tree() == "Moved[Renamed]"; })) << tree().toStdString();
    EXPECT_EQ(marks(itemAt(groupAt(root(), 0), 0)), "note");

    // While closed: by fingerprint.
    RecItem* memo = recording("Memo", nullptr, 3);
    category("Two");
    itemAt(groupAt(root(), 0), 0)->setDescr("talk notes");
    memo->setDescr("memo notes");
    rescan();
    ASSERT_TRUE(waitUntil([&] { return database().count("Fingerprint") == 2; }));
    lib.reset();
    ASSERT_TRUE(QDir().rename(out + "/Moved/Renamed.m4a", out + "/Two/Talk (final).m4a"));
    // In Memo's place a file of its size and length with other sound.
    QByteArray other = readFile(out + "/Memo.m4a");
    other[other.size() / 2] = char(other[other.size() / 2] ^ 0x55);
    ASSERT_TRUE(QFile::remove(out + "/Memo.m4a"));
    writeFile(out + "/Other.m4a", other);
    open();
    EXPECT_EQ(tree(), "Moved[] Memo Two[Talk (final)] Other");
    EXPECT_EQ(itemAt(groupAt(root(), 2), 0)->descr(), "talk notes");
    EXPECT_FALSE(itemAt(groupAt(root(), 2), 0)->isFileMissing());
    EXPECT_TRUE(itemAt(root(), 1)->isFileMissing());
    EXPECT_EQ(itemAt(root(), 3)->descr(), "");
}

// Folders beyond the inotify watches the library takes are looked at by
// their modification time: a file added there is still noticed.
TEST(Watcher, FoldersBeyondTheWatchLimitAreStillFollowed)
{
    QTemporaryDir dir;
    QDir().mkpath(dir.path() + "/A");
    QDir().mkpath(dir.path() + "/B");
    LibraryWatcher watcher;
    watcher.setWatchLimit(1);
    watcher.setFolder(dir.path());
    watcher.watch(DiskScan::of(dir.path()));
    int notices = 0;
    QObject::connect(&watcher, &LibraryWatcher::treeChanged, [&] { ++notices; });
    for (const char* folder : {"/A", "/B"}) {
        const int before = notices;
        writeFile(dir.path() + folder + "/New.m4a");
        EXPECT_TRUE(waitUntil([&] { return notices > before; })) << folder;
    }
}

TEST_F(Disk, WhatTheProgramRenamesWhileTheDiskIsListedStaysRenamed)
{
    RecGroup* cat = category("Cat");
    recording("Talk", cat, 2);
    // Reading a library this size outlasts listing its one file and folder.
    for (int i = 0; i < 5000; ++i) {
        auto row = lib->newRecording();
        row->setTitle(QString("Row %1").arg(i));
        lib->insert(std::move(row), root());
    }
    lib->save();
    lib.reset();
    open(false);
    ASSERT_TRUE(lib->rename(groupAt(root(), 0), "Talks"));
    ASSERT_TRUE(lib->rename(itemAt(groupAt(root(), 0), 0), "Renamed"));
    ASSERT_TRUE(waitUntil([this] { return !lib->isScanning(); }));
    EXPECT_EQ(treeText(groupAt(root(), 0)), "Renamed");
    EXPECT_EQ(groupAt(root(), 0)->title(), "Talks");
    EXPECT_FALSE(itemAt(groupAt(root(), 0), 0)->isFileMissing());
    EXPECT_EQ(root()->subItems().size(), 5001);
    EXPECT_TRUE(QFileInfo::exists(out + "/Talks/Renamed.m4a"));
}

TEST_F(Disk, TwoProgramsOnOneFolderKeepWhatEachAdded)
{
    Library other(&jobs);
    other.open(out, {});
    other.enableSaving();
    recording("Mine")->addMarkAtTime(1, "my note", 0);
    auto theirs = other.newRecording();
    theirs->setTitle("Theirs");
    theirs->addMarkAtTime(2, "their note", 0);
    writeFile(out + "/Theirs.m4a");
    other.add(std::move(theirs), other.root());
    itemAt(root(), 0)->setDescr("changed here");
    lib->save();
    for (const char* text : {"Mine", "Theirs", "my note", "their note", "changed here"})
        EXPECT_TRUE(database().contains(text)) << text;
    EXPECT_EQ(tree(), "Mine Theirs");
}

TEST_F(Disk, AnOutputFolderOnADriveThatGoesAndComesBack)
{
    // A drive: a tmpfs, mounted where the library lies through a bind mount
    // that can go and come back with its files.
    const QString drive = home.path() + "/drive", mount = home.path() + "/media";
    QDir().mkpath(drive);
    QDir().mkpath(mount);
    if (QProcess::execute("mount", {"-t", "tmpfs", "tmpfs", drive}) != 0)
        GTEST_SKIP() << "mounting a tmpfs is refused here";
    const auto bind = [&] { return QProcess::execute("mount", {"--bind", drive, mount}) == 0; };
    ASSERT_TRUE(bind());
    out = mount + "/rec";
    QDir().mkpath(out);
    open();
    recording("Talk", nullptr, 1)->setDescr("kept");
    lib->save();

    ASSERT_EQ(QProcess::execute("umount", {mount}), 0);
    EXPECT_TRUE(waitUntil([&] { return !lib->isAvailable(); }));
    EXPECT_EQ(tree(), "");
    EXPECT_TRUE(lib->newRecordingPath(root()).isNull());
    EXPECT_TRUE(messages.join("").contains(out));
    EXPECT_FALSE(QFileInfo::exists(out));
    // A start meanwhile finds it gone too.
    open();
    EXPECT_FALSE(lib->isAvailable());

    ASSERT_TRUE(bind());
    EXPECT_TRUE(waitUntil([&] { return lib->isAvailable() && tree() == "Talk"; }));
    EXPECT_EQ(itemAt(root(), 0)->descr(), "kept");
    EXPECT_FALSE(itemAt(root(), 0)->isFileMissing());
    lib.reset();
    QProcess::execute("umount", {mount});
    QProcess::execute("umount", {drive});
}

} // namespace
