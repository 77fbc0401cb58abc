// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainView.h"
#include "app/QnMessageBox.h"
#include "app/RecorderAppDelegate.h"
#include "audio/KvSoundFileRecorder.h"
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "media/QTMovie.h"
#include "outline/RecOutlineController.h"
#include "playback/RecNavigController.h"
#include "support/PulseServer.h"
#include "support/QtApp.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void spin(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

// The whole controller against the private sound server, recording from its
// 440 Hz sine source into a temporary output folder.
class Recording : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PulseServer::instance().isRunning());
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
        qtApp();
        setQnMessageBoxPresenter([this](const QString& text) { messages << text; });
        delegate = std::make_unique<RecorderAppDelegate>();
        delegate->settings().setOutputFolder(out());
        delegate->settings().setInputDevice(PulseServer::instance().sineSourceDescription());
        delegate->applicationDidFinishLaunching();
        outline = delegate->outlineController();
    }
    void TearDown() override
    {
        delegate->applicationShouldTerminate();
        delegate.reset();
        setQnMessageBoxPresenter({});
    }

    QString out() const { return home.path() + "/rec"; }
    RecGroup* root() const { return outline->mainGroup(); }
    RecItem* record(int ms, bool resume = false)
    {
        resume ? delegate->resumeStopRecording() : delegate->startStopRecording();
        EXPECT_TRUE(delegate->isRecording());
        spin(ms);
        resume ? delegate->resumeStopRecording() : delegate->startStopRecording();
        EXPECT_FALSE(delegate->isRecording());
        spin(200); // the delayed refresh after a continuation
        return delegate->recNavigController()->currentFile();
    }
    RecGroup* category(const QString& title, RecGroup* parent)
    {
        auto owned = outline->createNewGroup();
        RecGroup* g = owned.get();
        g->setTitle(title);
        g->setExpanded(true);
        QDir().mkpath(delegate->restorePath(parent) + "/" + title);
        outline->addGroup(std::move(owned), parent);
        return g;
    }

    QTemporaryDir home;
    QStringList messages;
    std::unique_ptr<RecorderAppDelegate> delegate;
    RecOutlineController* outline = nullptr;
};

} // namespace

TEST_F(Recording, NewRecordingsTakeTheFirstFreeNameAndTheFileLength)
{
    QDir().mkpath(out());
    QFile(out() + "/Untitled 1.m4a").open(QIODevice::WriteOnly);
    QFile(out() + "/Untitled 3.m4a").open(QIODevice::WriteOnly);

    RecItem* item = record(1200);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->title(), "Untitled 2");
    EXPECT_EQ(item->parent(), root());
    const double length = QTMovie::fileDuration(out() + "/Untitled 2.m4a");
    EXPECT_GT(length, 0.8);
    EXPECT_DOUBLE_EQ(item->duration(), length);
    const QByteArray db = readFile(out() + "/RecordingsDB.xml");
    EXPECT_TRUE(db.contains("Title=\"Untitled 2\""));
    EXPECT_FALSE(db.contains("Duration=\"0\""));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(Recording, NewRecordingsLandInTheChosenCategory)
{
    RecGroup* talks = category("Talks", root());
    RecGroup* inner = category("Inner", talks);
    outline->selectItem(inner);
    RecItem* first = record(400);
    EXPECT_EQ(first->parent(), inner);
    EXPECT_TRUE(QFile::exists(out() + "/Talks/Inner/Untitled 1.m4a"));

    outline->selectItem(first); // a recording chosen: its category
    RecItem* second = record(400);
    EXPECT_EQ(second->parent(), inner);
    EXPECT_EQ(inner->subItems().last(), second);

    outline->deselectAll(); // nothing chosen: the library root
    RecItem* third = record(400);
    EXPECT_EQ(third->parent(), root());
    EXPECT_TRUE(QFile::exists(out() + "/Untitled 1.m4a"));
}

TEST_F(Recording, ContinuingJoinsThePartWithAMarkAtTheJoin)
{
    RecItem* talk = record(1000);
    const QString path = out() + "/Untitled 1.m4a";
    const double before = QTMovie::fileDuration(path);
    QFile(out() + "/Untitled 1 1.m4a").open(QIODevice::WriteOnly);

    outline->selectItem(talk);
    delegate->resumeStopRecording();
    ASSERT_TRUE(delegate->continueRecording());
    EXPECT_TRUE(delegate->recorder()->outputFilePath().endsWith("/Untitled 1 2.m4a"));
    // Cross-presses change nothing while a continuation runs.
    delegate->startStopRecording();
    EXPECT_TRUE(delegate->isRecording());
    EXPECT_TRUE(delegate->continueRecording());
    spin(1000);
    delegate->resumeStopRecording();
    spin(300);

    EXPECT_FALSE(QFile::exists(out() + "/Untitled 1 2.m4a"));
    const double after = QTMovie::fileDuration(path);
    EXPECT_GT(after, before + 0.7);
    EXPECT_NEAR(talk->duration(), after, 1e-6);
    ASSERT_EQ(talk->marks().size(), 1u);
    EXPECT_EQ(talk->marks()[0]->descr(), "Position in which the recording was continued");
    EXPECT_NEAR(talk->marks()[0]->offset(), before, 0.35);
    EXPECT_TRUE(QDir(out()).entryList(QStringList{".*.tmp"}, QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(Recording, AFailedJoinKeepsThePartAsItsOwnRecording)
{
    RecGroup* cat = category("Cat", root());
    outline->selectItem(cat);
    RecItem* talk = record(500);
    outline->selectItem(talk);
    delegate->resumeStopRecording();
    ASSERT_TRUE(delegate->continueRecording());
    spin(600);
    QFile::remove(out() + "/Cat/Untitled 1.m4a");
    delegate->resumeStopRecording();
    spin(300);

    EXPECT_EQ(messages, QStringList{"Unable to combine recordings"});
    EXPECT_TRUE(QFile::exists(out() + "/Cat/Untitled 1 1.m4a"));
    GeneralRecItem* part = outline->chiefSelectedItem();
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->title(), "Untitled 1 1");
    EXPECT_EQ(part->parent(), cat);
    EXPECT_TRUE(readFile(out() + "/RecordingsDB.xml").contains("Title=\"Untitled 1 1\""));
}

TEST_F(Recording, ANewRecordingIgnoresTheContinuePress)
{
    delegate->startStopRecording();
    ASSERT_TRUE(delegate->isRecording());
    delegate->resumeStopRecording();
    EXPECT_TRUE(delegate->isRecording());
    EXPECT_FALSE(delegate->continueRecording());
    delegate->startStopRecording();
    EXPECT_FALSE(delegate->isRecording());

    // A continuation needs a recording chosen.
    outline->deselectAll();
    delegate->resumeStopRecording();
    EXPECT_FALSE(delegate->isRecording());
}

TEST_F(Recording, QuittingSavesTheLengthOrJoinsFirst)
{
    delegate->startStopRecording();
    spin(800);
    delegate->applicationShouldTerminate();
    EXPECT_FALSE(delegate->isRecording());
    const QByteArray db = readFile(out() + "/RecordingsDB.xml");
    EXPECT_TRUE(db.contains("Title=\"Untitled 1\""));
    EXPECT_FALSE(db.contains("Duration=\"0\""));

    const double before = QTMovie::fileDuration(out() + "/Untitled 1.m4a");
    delegate->resumeStopRecording();
    ASSERT_TRUE(delegate->continueRecording());
    spin(800);
    delegate->applicationShouldTerminate();
    EXPECT_GT(QTMovie::fileDuration(out() + "/Untitled 1.m4a"), before + 0.5);
    EXPECT_FALSE(QFile::exists(out() + "/Untitled 1 1.m4a"));
}

TEST_F(Recording, ChangingSkipSilenceOrQualityStopsTheRecordingProperly)
{
    delegate->startStopRecording();
    spin(600);
    delegate->setSkipSilence(true);
    EXPECT_FALSE(delegate->isRecording());
    EXPECT_FALSE(readFile(out() + "/RecordingsDB.xml").contains("Duration=\"0\""));

    delegate->startStopRecording();
    spin(300);
    delegate->setRecQuality(0); // refused, the recording goes on
    EXPECT_TRUE(delegate->isRecording());
    delegate->setRecQuality(1);
    EXPECT_FALSE(delegate->isRecording());
    EXPECT_EQ(delegate->settings().recQuality(), 1);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(Recording, ARecordingStartedDuringASearchGoesToTheLibrary)
{
    RecGroup* cat = category("Cat", root());
    outline->selectItem(cat);
    record(300);
    outline->deselectAll();
    delegate->mainView()->searchField()->setText("nothing matches this");
    ASSERT_TRUE(outline->isSearchMode());
    outline->deselectAll();
    delegate->startStopRecording();
    spin(300);
    delegate->startStopRecording();
    EXPECT_EQ(root()->subItems().size(), 2);
    EXPECT_TRUE(QFile::exists(out() + "/Untitled 1.m4a"));
    EXPECT_TRUE(readFile(out() + "/RecordingsDB.xml").contains("Title=\"Untitled 1\""));
    delegate->mainView()->searchField()->clear();
    EXPECT_EQ(root()->subItems().size(), 2);
}
