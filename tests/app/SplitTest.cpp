// SPDX-License-Identifier: GPL-3.0-or-later
// Splitting a recording at its time marks, with real files.
#include "app/ProgressSheet.h"
#include "support/AppFixture.h"
#include "support/Media.h"
#include "support/TestFiles.h"

#include <QLabel>
#include <QProgressBar>

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
        return QTMovie::fileDuration(out + "/" + title + ".m4a");
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
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(itemAt(root(), i)->date(), "03/14 09:30");
        EXPECT_TRUE(itemAt(root(), i)->marks().empty());
        EXPECT_NEAR(itemAt(root(), i)->duration(), lengthOf(QString("Talk %1").arg(i)), 1e-6);
    }
    // Every piece is selected and the last one is the chief.
    EXPECT_EQ(outline->selectedItemsOfGroup(root()).size(), 3);
    EXPECT_EQ(outline->chiefSelectedItem(), itemAt(root(), 3));
    // The recording that was split keeps its file, marks and place.
    EXPECT_EQ(readFile(out + "/Talk.m4a"), original);
    EXPECT_EQ(item->marks().size(), 2u);
    EXPECT_EQ(root()->subItems().first(), item);
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
    const double total = QTMovie::fileDuration(out + "/Talk.m4a");
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
}

} // namespace
