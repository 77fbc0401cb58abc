// SPDX-License-Identifier: GPL-3.0-or-later
// Importing, converting, splitting and marks files, with real audio files.
#include "library/LibraryFixture.h"
#include "support/Media.h"
#include "support/TestFiles.h"
#include "support/Wait.h"

#include <QDir>
#include <algorithm>

namespace {

class Import : public LibraryFixture
{
protected:
    // Files from outside the library.
    QString src() const { return home.path() + "/src"; }
    bool ogg(const QString& name, double seconds = 2)
    {
        return makeTone(src() + "/" + name, seconds, {"-ac", "2", "-c:a", "libvorbis"});
    }
};

TEST_F(Import, FilesFromOutsideTheLibraryAreImportedFromInsideMoved)
{
    EXPECT_TRUE(lib->isImport({src() + "/a.mp3", out + "/b.m4a"}));
    EXPECT_FALSE(lib->isImport({out + "/b.m4a", src() + "/a.mp3"}));
    EXPECT_FALSE(lib->isImport({out}));
    EXPECT_TRUE(lib->isImport({out.toUpper() + "/B.M4A"})); // another folder
    // A folder whose name merely begins like the library's is outside it.
    EXPECT_TRUE(lib->isImport({out + "2/a.mp3"}));
    EXPECT_FALSE(lib->isImport({}));
}

TEST_F(Import, ConvertsOtherFormatsUnderAFreeNameAndCopiesM4aUnchanged)
{
    recording("Song");
    RecGroup* copies = category("Copies");
    recording("song 1", nullptr, 2); // another file than "Song 1.m4a"
    ASSERT_TRUE(makeTone(src() + "/Song.mp3", 3, {"-ac", "2"}));
    ASSERT_TRUE(makeTone(src() + "/song\x01.M4A", 2, {"-ac", "2", "-c:a", "aac", "-f", "mp4"}));
    writeFile(src() + "/notes.mp3", "not audio at all");

    EXPECT_EQ(lib->import({src() + "/Song.mp3", src() + "/notes.mp3"}, nullptr, true).size(), 1);
    ASSERT_EQ(titles(root()), (QStringList{"Song", "Copies", "song 1", "Song 1"}));
    EXPECT_EQ(lib->pendingImports(), QStringList{out + "/Song 1.m4a"});
    ASSERT_TRUE(waitForConversions());
    EXPECT_NEAR(itemAt(root(), 3)->duration(), 3.0, 0.05);
    EXPECT_EQ(itemAt(root(), 2)->duration(), 0); // untouched
    EXPECT_NEAR(ffprobeSeconds(out + "/Song 1.m4a"), 3.0, 0.05);
    EXPECT_EQ(probe(out + "/Song 1.m4a", "codec_name"), "aac");
    EXPECT_FALSE(QFileInfo::exists(out + "/notes.m4a"));
    // Dropped under the expanded category: it goes inside, copied byte for
    // byte, under a name the library file can store.
    ASSERT_EQ(lib->import({src() + "/song\x01.M4A"}, copies, false).size(), 1);
    EXPECT_EQ(titles(copies), QStringList{"song_"});
    EXPECT_EQ(readFile(out + "/Copies/song_.m4a"), readFile(src() + "/song\x01.M4A"));
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

    ASSERT_FALSE(lib->import({outer}, nullptr, true).isEmpty());
    ASSERT_TRUE(waitForConversions());

    EXPECT_EQ(tree(), "Interviews[] outer[Interviews[Empty[] Later[second] first linked]]");
    RecGroup* interviews = groupAt(groupAt(root(), 1), 0);
    EXPECT_TRUE(groupAt(root(), 1)->isExpanded() && interviews->isExpanded() &&
                groupAt(interviews, 1)->isExpanded());
    EXPECT_TRUE(QFileInfo(out + "/outer/Interviews/Empty").isDir());
    EXPECT_NEAR(ffprobeSeconds(out + "/outer/Interviews/Later/second.m4a"), 1.0, 0.05);
    // The library was not copied into itself and the link was not followed.
    EXPECT_FALSE(QFileInfo::exists(out + "/outer/rec"));
    EXPECT_FALSE(QFileInfo::exists(out + "/outer/Interviews/Later/loop"));
    // A folder whose name is taken gets the first free number.
    lib->import({outer + "/Interviews/Later"}, nullptr, true);
    lib->import({outer + "/Interviews/Later"}, nullptr, true);
    ASSERT_TRUE(waitForConversions());
    EXPECT_EQ(titles(root()), (QStringList{"Interviews", "outer", "Later", "Later 1"}));
}

// Each waiting conversion follows its row; the progress runs once across three imports.
TEST_F(Import, AWaitingConversionFollowsItsRowAndGoesWithIt)
{
    RecGroup* cat = category("Cat");
    RecGroup* other = category("Other");
    RecGroup* doomed = category("Doomed");
    for (const char* name : {"a", "b", "c", "d", "e"})
        ASSERT_TRUE(ogg(QString(name) + ".ogg"));
    QList<double> bar;
    int started = 0, ended = 0;
    QObject::connect(lib.get(), &Library::jobProgress, [&](double v) { bar << v; });
    QObject::connect(lib.get(), &Library::jobStarted, [&](const QString& title) {
        EXPECT_EQ(title, "Importing...");
        ++started;
    });
    QObject::connect(lib.get(), &Library::jobEnded, [&] { ++ended; });
    lib->import({src() + "/a.ogg", src() + "/b.ogg", src() + "/c.ogg"}, cat, false);
    lib->import({src() + "/d.ogg"}, doomed, false);
    lib->import({src() + "/e.ogg"}, nullptr, true);
    EXPECT_TRUE(lib->isBusy());
    itemAt(cat, 0)->setDescr("Notes of a");
    // Before any conversion is reported: renamed, moved, deleted.
    EXPECT_TRUE(lib->rename(cat, "Renamed"));
    EXPECT_TRUE(lib->move({pathOf(itemAt(cat, 1))}, other, false));
    lib->remove({itemAt(cat, 1)});
    lib->remove({doomed});
    EXPECT_TRUE(lib->rename(itemAt(root(), 2), "E2"));
    EXPECT_TRUE(lib->move({pathOf(cat)}, other, false));
    EXPECT_EQ(lib->pendingImports(),
              (QStringList{out + "/Other/Renamed/a.m4a", out + "/Other/b.m4a", out + "/E2.m4a"}));
    reopen(); // the waiting conversions are written first

    EXPECT_DOUBLE_EQ(bar.value(bar.size() - 1), 100);
    EXPECT_TRUE(std::is_sorted(bar.begin(), bar.end())) << bar.size();
    EXPECT_EQ(started, 1);
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(tree(), "Other[Renamed[a] b] E2");
    EXPECT_EQ(itemAt(groupAt(groupAt(root(), 0), 0), 0)->descr(), "Notes of a");
    EXPECT_NEAR(itemAt(root(), 1)->duration(), 2.0, 0.05);
    EXPECT_EQ(listing(out), (QStringList{"E2.m4a", "Other", "Other/Renamed", "Other/Renamed/a.m4a",
                                         "Other/b.m4a", "RecordingsDB.xml"}));
}

TEST_F(Import, UndoingTheDeleteOfACategoryStartsTheImportsItCutShortAgain)
{
    RecGroup* cat = category("Cat");
    ASSERT_TRUE(ogg("a.ogg"));
    lib->import({src() + "/a.ogg"}, cat, false);
    EXPECT_TRUE(lib->remove({cat}));
    ASSERT_EQ(lib->undoRemove().size(), 1);
    ASSERT_TRUE(waitForConversions());
    EXPECT_EQ(tree(), "Cat[a]");
    EXPECT_NEAR(ffprobeSeconds(out + "/Cat/a.m4a"), 2.0, 0.05);
}

TEST_F(Import, ConversionsCutShortAreFinishedOrGivenUpAtTheNextOpen)
{
    ASSERT_TRUE(ogg("a.ogg", 30));
    ASSERT_TRUE(ogg("b.ogg", 30));
    recording("Gone", nullptr, kNoFile);
    lib->import({src() + "/a.ogg", src() + "/b.ogg"}, nullptr, true);
    lib.reset(); // as a crash ends the program, with both still waiting
    ASSERT_TRUE(QFile::remove(src() + "/b.ogg"));
    writeFile(out + "/.import 1.m4a", "partial");
    open();
    EXPECT_EQ(tree(), "Gone a");
    // Shown missing at once, while the conversion runs again.
    EXPECT_TRUE(itemAt(root(), 0)->isFileMissing());
    ASSERT_TRUE(waitForConversions());
    EXPECT_NEAR(itemAt(root(), 1)->duration(), 30.0, 0.05);
    EXPECT_EQ(listing(out), (QStringList{"RecordingsDB.xml", "a.m4a"}));
    ASSERT_TRUE(waitUntil([&] { return !messages.isEmpty(); }));
    EXPECT_EQ(messages, QStringList{"These files were not imported: VoiceTray was stopped while "
                                    "it converted them, and they are no longer there.\n\n" +
                                    src() + "/b.ogg"});
}

// One AAC frame at 44100 Hz, and a little for rounding: each cut lands
// within a frame of its mark, so a piece between two cuts is within two.
constexpr double kFrame = 1024.0 / 44100.0 + 0.002;
constexpr double kTwoFrames = 2 * kFrame;

class Split : public LibraryFixture
{
protected:
    // A recording "Talk" with a description.
    RecItem* talk(double seconds = 40)
    {
        RecItem* item = recording("Talk", nullptr, seconds);
        item->setDescr("Lecture notes");
        item->setDate("03/14 09:30");
        return item;
    }
    double lengthOf(const QString& title) const
    {
        return ffprobeSeconds(out + "/" + title + ".m4a");
    }
};

TEST_F(Split, MarksCutPiecesBesideTheRecordingWhichStaysAsItWas)
{
    RecItem* item = talk();
    item->addMarkAtTime(10.4f, "Introduction ends", 0);
    item->addMarkAtTime(25.0f, "Questions", 1);
    const QByteArray original = readFile(out + "/Talk.m4a");
    QStringList titlesShown;
    QList<double> progress;
    int ended = 0;
    QObject::connect(lib.get(), &Library::jobStarted, [&](const QString& t) { titlesShown << t; });
    QObject::connect(lib.get(), &Library::jobProgress, [&](double v) { progress << v; });
    QObject::connect(lib.get(), &Library::jobEnded, [&] { ++ended; });
    // Not while anything is being recorded.
    lib->setRecordingPaths([&] { return QStringList{out + "/Untitled 1.m4a"}; });
    EXPECT_TRUE(lib->split(item).isEmpty());
    lib->setRecordingPaths({});

    const QList<RecItem*> pieces = lib->split(item);

    EXPECT_TRUE(messages.isEmpty());
    ASSERT_EQ(titles(root()), (QStringList{"Talk", "Talk 1", "Talk 2", "Talk 3"}));
    EXPECT_EQ(pieces, (QList<RecItem*>{itemAt(root(), 1), itemAt(root(), 2), itemAt(root(), 3)}));
    EXPECT_NEAR(lengthOf("Talk 1"), 10.4, kFrame);
    EXPECT_NEAR(lengthOf("Talk 2"), 14.6, kTwoFrames);
    EXPECT_NEAR(lengthOf("Talk 3"), 15.0, kFrame);
    EXPECT_NEAR(pieces[2]->duration(), 15.0, kFrame);
    EXPECT_EQ(pieces[0]->descr(), "Lecture notes");
    EXPECT_EQ(pieces[1]->descr(), "Introduction ends\nLecture notes");
    EXPECT_EQ(pieces[2]->descr(), "Questions\nLecture notes");
    EXPECT_EQ(pieces[2]->date(), "03/14 09:30");
    EXPECT_TRUE(pieces[2]->marks().empty());
    // The recording that was split keeps its file, marks and place.
    EXPECT_EQ(readFile(out + "/Talk.m4a"), original);
    EXPECT_EQ(item->marks().size(), 2u);
    // "Splitting...", counted up by thirds, and the end.
    EXPECT_EQ(titlesShown, QStringList{"Splitting..."});
    ASSERT_EQ(progress.size(), 3);
    EXPECT_NEAR(progress[0], 33.3, 0.1);
    EXPECT_NEAR(progress[1], 66.7, 0.1);
    EXPECT_EQ(ended, 1);
    EXPECT_TRUE(database().contains("Title=\"Talk 3\""));
}

TEST_F(Split, CutsAreInTimeOrderAtWholeSecondsUpToTheEndAndNamesSkipTakenFiles)
{
    // Marks out of order; one at 0 (no piece, no note); two in second 12, of
    // which the first listed wins; one past the whole seconds of the file (40.5
    // of 40.7) and one past its end.
    RecItem* item = talk(40.7);
    const double total = ffprobeSeconds(out + "/Talk.m4a");
    const std::pair<float, const char*> marks[] = {{30.0f, "Third"},  {0.0f, "At the start"},
                                                   {12.9f, "Second"}, {12.2f, "Never cut"},
                                                   {40.5f, "Fourth"}, {55.0f, "Beyond"}};
    for (int id = 0; const auto& [offset, note] : marks)
        item->addMarkAtTime(offset, note, id++);
    writeFile(out + "/Talk 1.m4a", "someone else's");

    lib->split(item);

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
    QObject::connect(lib.get(), &Library::jobProgress,
                     [&] { writeFile(out + "/Talk.m4a", "no longer audio"); });

    EXPECT_EQ(lib->split(item).size(), 1);

    EXPECT_EQ(messages, QStringList{"Unable to split recording"});
    ASSERT_EQ(titles(root()), (QStringList{"Talk", "Talk 1"}));
    EXPECT_NEAR(lengthOf("Talk 1"), 10.0, kFrame);
    EXPECT_FALSE(QFileInfo::exists(out + "/Talk 2.m4a"));
    EXPECT_TRUE(database().contains("Title=\"Talk 1\""));
    // Nor can a recording whose file is gone.
    messages.clear();
    QFile::remove(out + "/Talk.m4a");
    EXPECT_TRUE(lib->split(item).isEmpty());
    EXPECT_EQ(messages, QStringList{"Unable to split recording"});
}

using Marks = LibraryFixture;

TEST_F(Marks, LabelFilesComeInAndLabelFilesAndCueSheetsGoOut)
{
    RecItem* talk = recording("Talk", category("Cat"));
    talk->setDuration(70);
    const QString labels = home.path() + "/labels.txt";
    writeFile(labels, "1.500000\t1.500000\tStart\n62.000000\t62.000000\tEnd\n");
    ASSERT_TRUE(lib->importMarks(labels, talk));
    ASSERT_EQ(talk->marks().size(), 2u);
    EXPECT_TRUE(database().contains("End"));

    ASSERT_TRUE(lib->exportMarks(talk, home.path() + "/out.txt", false));
    EXPECT_EQ(readFile(home.path() + "/out.txt"), readFile(labels));
    ASSERT_TRUE(lib->exportMarks(talk, home.path() + "/sheet.cue", true));
    // The sheet names the sound file from its own folder.
    EXPECT_TRUE(readFile(home.path() + "/sheet.cue").contains("FILE \"outer/rec/Cat/Talk.m4a\""));

    writeFile(labels, "1\t1\tFine\nnot a label\n");
    EXPECT_FALSE(lib->importMarks(labels, talk));
    EXPECT_FALSE(lib->importMarks(home.path() + "/none.txt", talk));
    EXPECT_FALSE(lib->exportMarks(talk, home.path() + "/none/out.txt", false));
    EXPECT_EQ(talk->marks().size(), 2u);
    EXPECT_EQ(
        messages,
        (QStringList{"Line 2 of \"labels.txt\" is not a label: each line holds a start and "
                     "an end in seconds and a note, separated by tabs. No marks were added.",
                     "The label file \"none.txt\" could not be read.",
                     "The marks could not be written to \"" + home.path() + "/none/out.txt\"."}));
}

} // namespace
