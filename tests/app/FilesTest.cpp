// SPDX-License-Identifier: GPL-3.0-or-later
// Importing, converting, moving and splitting, with real files.
#include "app/ProgressSheet.h"
#include "support/AppFixture.h"
#include "support/Media.h"
#include "support/TestFiles.h"

#include <QLabel>
#include <QProgressBar>

namespace {

class Import : public AppFixture
{
protected:
    // Files from outside the library.
    const QString src = home.path() + "/src";
};

TEST_F(Import, FilesFromOutsideTheLibraryAreImportedFromInsideMoved)
{
    EXPECT_TRUE(app->isFilesForImport({src + "/a.mp3", out + "/b.m4a"}));
    EXPECT_FALSE(app->isFilesForImport({out + "/b.m4a", src + "/a.mp3"}));
    EXPECT_FALSE(app->isFilesForImport({out}));
    EXPECT_TRUE(app->isFilesForImport({out.toUpper() + "/B.M4A"})); // another folder
    // A folder whose name merely begins like the library's is outside it.
    EXPECT_TRUE(app->isFilesForImport({out + "2/a.mp3"}));
    EXPECT_FALSE(app->isFilesForImport({}));
}

TEST_F(Import, ConvertsOtherFormatsUnderAFreeNameAndCopiesM4aUnchanged)
{
    recording("Song");
    RecGroup* copies = category("Copies");
    recording("song 1", nullptr, 2); // another file than "Song 1.m4a"
    ASSERT_TRUE(makeTone(src + "/Song.mp3", 3, {"-ac", "2"}));
    ASSERT_TRUE(makeTone(src + "/song\x01.M4A", 2, {"-ac", "2", "-c:a", "aac", "-f", "mp4"}));
    writeFile(src + "/notes.mp3", "not audio at all");

    ASSERT_TRUE(app->importFiles({src + "/Song.mp3", src + "/notes.mp3"}, nullptr, true));
    ASSERT_EQ(titles(root()), (QStringList{"Song", "Copies", "song 1", "Song 1"}));
    ASSERT_TRUE(waitForConversions());
    EXPECT_NEAR(itemAt(root(), 3)->duration(), 3.0, 0.05);
    EXPECT_EQ(itemAt(root(), 2)->duration(), 0); // untouched
    EXPECT_NEAR(AudioFile::fileDuration(out + "/Song 1.m4a"), 3.0, 0.05);
    EXPECT_FALSE(QFileInfo::exists(out + "/notes.m4a"));
    // Dropped under the expanded category: it goes inside, copied byte for
    // byte, under a name the library file can store.
    ASSERT_TRUE(app->importFiles({src + "/song\x01.M4A"}, copies, false));
    EXPECT_EQ(titles(copies), QStringList{"song_"});
    EXPECT_EQ(readFile(out + "/Copies/song_.m4a"), readFile(src + "/song\x01.M4A"));
    EXPECT_TRUE(database().contains("Title=\"song_\""));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(Import, FolderTreesKeepTheirNestingAndNeverLoop)
{
    // outer holds the library itself, a folder tree, a link back up and an empty folder.
    const QString outer = home.path() + "/outer";
    ASSERT_TRUE(makeTone(outer + "/Interviews/first.wav", 1, {"-ac", "2"}));
    ASSERT_TRUE(makeTone(outer + "/Interviews/Later/second.flac", 1, {"-ac", "2"}));
    QDir().mkpath(outer + "/Interviews/Empty");
    ASSERT_TRUE(QFile::link(outer, outer + "/Interviews/Later/loop"));
    ASSERT_TRUE(QFile::link(outer + "/Interviews/first.wav", outer + "/Interviews/linked.wav"));
    category("Interviews");

    ASSERT_TRUE(app->importFiles({outer}, nullptr, true));
    ASSERT_TRUE(waitForConversions());

    EXPECT_EQ(tree(), "Interviews[] outer[Interviews[Empty[] Later[second] first linked]]");
    RecGroup* interviews = groupAt(groupAt(root(), 1), 0);
    EXPECT_TRUE(groupAt(root(), 1)->isExpanded() && interviews->isExpanded() &&
                groupAt(interviews, 1)->isExpanded());
    EXPECT_TRUE(QFileInfo(out + "/outer/Interviews/Empty").isDir());
    EXPECT_NEAR(AudioFile::fileDuration(out + "/outer/Interviews/Later/second.m4a"), 1.0, 0.05);
    // The library was not copied into itself and the link was not followed.
    EXPECT_FALSE(QFileInfo::exists(out + "/outer/rec"));
    EXPECT_FALSE(QFileInfo::exists(out + "/outer/Interviews/Later/loop"));
    // A folder whose name is taken gets the first free number.
    ASSERT_TRUE(app->importFiles({outer + "/Interviews/Later"}, nullptr, true));
    ASSERT_TRUE(app->importFiles({outer + "/Interviews/Later"}, nullptr, true));
    ASSERT_TRUE(waitForConversions());
    EXPECT_EQ(titles(root()), (QStringList{"Interviews", "outer", "Later", "Later 1"}));
}

// Each waiting conversion follows its row; the bar runs once across three imports.
TEST_F(Import, AWaitingConversionFollowsItsRowAndGoesWithIt)
{
    RecGroup* cat = category("Cat");
    RecGroup* other = category("Other");
    RecGroup* doomed = category("Doomed");
    for (const char* name : {"a", "b", "c", "d", "e"})
        ASSERT_TRUE(makeTone(src + "/" + name + ".ogg", 2, {"-ac", "2", "-c:a", "libvorbis"}));
    QList<int> bar;
    QObject::connect(app->progressBar(), &QProgressBar::valueChanged, [&](int v) { bar << v; });
    ASSERT_TRUE(app->importFiles({src + "/a.ogg", src + "/b.ogg", src + "/c.ogg"}, cat, false));
    ASSERT_TRUE(app->importFiles({src + "/d.ogg"}, doomed, false));
    ASSERT_TRUE(app->importFiles({src + "/e.ogg"}, nullptr, true));
    itemAt(cat, 0)->setDescr("Notes of a");
    // Before any conversion is reported: renamed, moved, deleted.
    EXPECT_TRUE(app->renameItem(cat, "Renamed"));
    EXPECT_TRUE(app->moveFiles({app->restorePath(itemAt(cat, 1))}, other, false));
    app->removeItem(itemAt(cat, 1));
    app->removeGroup(doomed);
    EXPECT_TRUE(app->renameItem(itemAt(root(), 2), "E2"));
    EXPECT_TRUE(app->moveFiles({app->restorePath(cat)}, other, false));
    relaunch(); // quitting writes the waiting conversions first

    EXPECT_EQ(bar.value(bar.size() - 1), 100);
    EXPECT_TRUE(std::is_sorted(bar.begin() + 1, bar.end())) << bar.size();
    EXPECT_EQ(tree(), "Other[Renamed[a] b] E2");
    EXPECT_EQ(itemAt(groupAt(groupAt(root(), 0), 0), 0)->descr(), "Notes of a");
    EXPECT_NEAR(itemAt(root(), 1)->duration(), 2.0, 0.05);
    EXPECT_EQ(listing(out), (QStringList{"E2.m4a", "Other", "Other/Renamed", "Other/Renamed/a.m4a",
                                         "Other/b.m4a", "RecordingsDB.xml"}));
}

TEST_F(Import, UndoingTheDeleteOfACategoryStartsTheImportsItCutShortAgain)
{
    RecGroup* cat = category("Cat");
    ASSERT_TRUE(makeTone(src + "/a.ogg", 2, {"-ac", "2", "-c:a", "libvorbis"}));
    ASSERT_TRUE(app->importFiles({src + "/a.ogg"}, cat, false));
    EXPECT_TRUE(app->removeGroup(cat));
    ASSERT_TRUE(app->undoDelete());
    ASSERT_TRUE(waitForConversions());
    EXPECT_EQ(tree(), "Cat[a]");
    EXPECT_NEAR(AudioFile::fileDuration(out + "/Cat/a.m4a"), 2.0, 0.05);
}

class Move : public AppFixture
{
protected:
    QString pathOf(const GeneralRecItem* item) const { return app->restorePath(item); }
};

TEST_F(Move, BeforeOrAfterARowAndInsideAnExpandedCategory)
{
    RecItem* a = recording("A");
    recording("B");
    RecItem* c = recording("C");
    RecGroup* cat = category("Cat");
    recording("X", cat);
    // Within a category only the order changes; onto its own row nothing does.
    EXPECT_TRUE(app->moveFiles({pathOf(c)}, a, true));
    EXPECT_FALSE(app->moveFiles({pathOf(a)}, a, false));
    EXPECT_EQ(tree(), "C A B Cat[X]");
    EXPECT_EQ(readFile(out + "/C.m4a"), "C");
    // After an expanded category: inside it; before it: outside.
    EXPECT_TRUE(app->moveFiles({pathOf(a)}, cat, false));
    EXPECT_EQ(tree(), "C B Cat[A X]");
    EXPECT_EQ(readFile(out + "/Cat/A.m4a"), "A");
    EXPECT_FALSE(QFileInfo::exists(out + "/A.m4a"));
    EXPECT_EQ(a->level(), 1);
    EXPECT_TRUE(app->moveFiles({pathOf(a)}, cat, true));
    EXPECT_EQ(tree(), "C B A Cat[X]");
    EXPECT_TRUE(QFileInfo::exists(out + "/A.m4a"));
    EXPECT_LT(database().indexOf("Title=\"A\""), database().indexOf("Title=\"Cat\""));
}

TEST_F(Move, SeveralKeepTheirOrderTakenNamesGetNumbersAndNoCategoryGoesBelowItself)
{
    recording("Memo");
    RecGroup* notes = category("Notes");
    RecGroup* cat = category("Cat");
    RecItem* x = recording("X", cat);
    RecItem* memo = recording("Memo", cat);
    RecGroup* innerNotes = category("Notes", cat);
    RecItem* deep = recording("Inside", innerNotes);
    RecItem* last = recording("Last", cat);

    EXPECT_TRUE(app->moveFiles({pathOf(memo), pathOf(innerNotes)}, notes, true));
    EXPECT_EQ(readFile(out + "/Memo 1.m4a"), "Memo");
    EXPECT_EQ(readFile(out + "/Notes 1/Inside.m4a"), "Inside");
    EXPECT_TRUE(app->moveFiles({pathOf(x), pathOf(last)}, notes, false));
    EXPECT_EQ(tree(), "Memo Memo 1 Notes 1[Inside] Notes[X Last] Cat[]");
    // A category never goes into itself or below itself; beside its parent is fine.
    RecGroup* moved = groupAt(root(), 2);
    EXPECT_TRUE(app->moveFiles({pathOf(cat)}, moved, false));
    EXPECT_FALSE(app->moveFiles({pathOf(moved)}, cat, false));
    EXPECT_FALSE(app->moveFiles({pathOf(moved)}, deep, true));
    EXPECT_FALSE(app->moveFiles({pathOf(moved)}, moved, false));
    EXPECT_EQ(tree(moved), "Cat[] Inside");
    EXPECT_TRUE(app->moveFiles({pathOf(cat)}, moved, true));
    EXPECT_EQ(tree(), "Memo Memo 1 Cat[] Notes 1[Inside] Notes[X Last]");
    EXPECT_EQ(readFile(out + "/Notes 1/Inside.m4a"), "Inside");
    EXPECT_EQ(deep->level(), 1);
    EXPECT_TRUE(messages.isEmpty());
}

} // namespace

// Splitting a recording at its time marks, with real files.

namespace {

// One AAC frame at 44100 Hz, and a little for rounding: each cut lands
// within a frame of its mark, so a piece between two cuts is within two.
constexpr double kFrame = 1024.0 / 44100.0 + 0.002;
constexpr double kTwoFrames = 2 * kFrame;

class Split : public AppFixture
{
protected:
    // A 40-second recording "Talk" with a description, opened in the player.
    RecItem* talk(double seconds = 40)
    {
        RecItem* item = recording("Talk", nullptr, seconds);
        item->setDescr("Lecture notes");
        item->setDate("03/14 09:30");
        return item;
    }
    void splitOpen(RecItem* item)
    {
        outline->selectItem(item);
        app->split();
    }
    double lengthOf(const QString& title) const
    {
        return AudioFile::fileDuration(out + "/" + title + ".m4a");
    }
};

TEST_F(Split, MarksCutPiecesBesideTheRecordingWhichStaysAsItWas)
{
    RecItem* item = talk();
    item->addMarkAtTime(10.4f, "Introduction ends", 0);
    item->addMarkAtTime(25.0f, "Questions", 1);
    const QByteArray original = readFile(out + "/Talk.m4a");
    QList<int> barValues;
    QObject::connect(app->progressBar(), &QProgressBar::valueChanged,
                     [&](int v) { barValues << v; });

    splitOpen(item);

    EXPECT_TRUE(messages.isEmpty());
    ASSERT_EQ(titles(root()), (QStringList{"Talk", "Talk 1", "Talk 2", "Talk 3"}));
    EXPECT_NEAR(lengthOf("Talk 1"), 10.4, kFrame);
    EXPECT_NEAR(lengthOf("Talk 2"), 14.6, kTwoFrames);
    EXPECT_NEAR(lengthOf("Talk 3"), 15.0, kFrame);
    EXPECT_EQ(itemAt(root(), 1)->descr(), "Lecture notes");
    EXPECT_EQ(itemAt(root(), 2)->descr(), "Introduction ends\nLecture notes");
    EXPECT_EQ(itemAt(root(), 3)->descr(), "Questions\nLecture notes");
    EXPECT_EQ(itemAt(root(), 3)->date(), "03/14 09:30");
    EXPECT_TRUE(itemAt(root(), 3)->marks().empty());
    EXPECT_EQ(outline->chiefSelectedItem(), itemAt(root(), 3));
    // The recording that was split keeps its file, marks and place.
    EXPECT_EQ(readFile(out + "/Talk.m4a"), original);
    EXPECT_EQ(item->marks().size(), 2u);
    // The sheet said "Splitting...", counted up by thirds, and went away.
    EXPECT_EQ(app->progressTitle()->text(), "Splitting...");
    EXPECT_EQ(barValues, (QList<int>{0, 33, 67}));
    EXPECT_FALSE(app->progressPanel()->isSheetShown());
    EXPECT_TRUE(database().contains("Title=\"Talk 3\""));
}

TEST_F(Split, CutsAreInTimeOrderAtWholeSecondsUpToTheEndAndNamesSkipTakenFiles)
{
    // Marks out of order; one at 0 (no piece, no note); two in second 12, of
    // which the first listed wins; one past the whole seconds of the file (40.5
    // of 40.7) and one past its end.
    RecItem* item = talk(40.7);
    const double total = AudioFile::fileDuration(out + "/Talk.m4a");
    const std::pair<float, const char*> marks[] = {{30.0f, "Third"},  {0.0f, "At the start"},
                                                   {12.9f, "Second"}, {12.2f, "Never cut"},
                                                   {40.5f, "Fourth"}, {55.0f, "Beyond"}};
    for (int id = 0; const auto& [offset, note] : marks)
        item->addMarkAtTime(offset, note, id++);
    writeFile(out + "/Talk 1.m4a", "someone else's");

    splitOpen(item);

    EXPECT_TRUE(messages.isEmpty());
    ASSERT_EQ(titles(root()), (QStringList{"Talk", "Talk 2", "Talk 3", "Talk 4", "Talk 5"}));
    EXPECT_EQ(readFile(out + "/Talk 1.m4a"), "someone else's");
    const double lengths[] = {12.9, 17.1, 10.5, total - 40.5};
    const double tolerances[] = {kFrame, kTwoFrames, kTwoFrames, kFrame};
    const char* notes[] = {"", "Second\n", "Third\n", "Fourth\n"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(lengthOf(QString("Talk %1").arg(i + 2)), lengths[i], tolerances[i]) << i;
        EXPECT_EQ(itemAt(root(), i + 1)->descr(), QString(notes[i]) + "Lecture notes");
    }
}

TEST_F(Split, AFailureHalfWayKeepsThePiecesMadeAndSaysSo)
{
    RecItem* item = talk();
    item->addMarkAtTime(10.0f, "", 0);
    item->addMarkAtTime(30.0f, "", 1);
    // Once the first piece is written the recording's file is damaged, as
    // another program might do: the next piece cannot be cut.
    QObject::connect(app->progressBar(), &QProgressBar::valueChanged, [&](int v) {
        if (v > 0)
            writeFile(out + "/Talk.m4a", "no longer audio");
    });

    splitOpen(item);

    EXPECT_EQ(messages, QStringList{"Unable to split recording"});
    EXPECT_FALSE(app->progressPanel()->isSheetShown());
    ASSERT_EQ(titles(root()), (QStringList{"Talk", "Talk 1"}));
    EXPECT_NEAR(lengthOf("Talk 1"), 10.0, kFrame);
    EXPECT_FALSE(QFileInfo::exists(out + "/Talk 2.m4a"));
    EXPECT_TRUE(database().contains("Title=\"Talk 1\""));
    // Nor can a recording whose file is gone.
    messages.clear();
    QFile::remove(out + "/Talk.m4a");
    splitOpen(item);
    EXPECT_EQ(messages, QStringList{"Unable to split recording"});
}

} // namespace
