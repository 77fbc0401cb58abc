// SPDX-License-Identifier: GPL-3.0-or-later
// The pop-up window's state against a real tray on a private X display and
// the private sound server: the toolbar in every state of the recorder, the
// player and the selection; hiding when the user turns away; the editor panel.
#include "app/MainView.h"
#include "app/QnMessageBox.h"
#include "app/RecorderAppDelegate.h"
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "outline/RecOutlineController.h"
#include "playback/RecNavigController.h"
#include "playback/RecNavigatorView.h"
#include "playback/SliderWithNotes.h"
#include "shell/CustomView.h"
#include "shell/DescrPanel.h"
#include "shell/Images.h"
#include "shell/PageContainer.h"
#include "shell/PreferencesView.h"
#include "shell/SwitchToolbarBtn.h"
#include "shell/ToolbarButton.h"
#include "support/PulseServer.h"
#include "support/XServer.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
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

class WindowState : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
        setQnMessageBoxPresenter([this](const QString& text) { messages << text; });
        app = std::make_unique<RecorderAppDelegate>();
        app->settings().setOutputFolder(home.path() + "/rec");
        app->settings().setInputDevice(PulseServer::instance().sineSourceDescription());
        app->applicationDidFinishLaunching();
        spin(300); // the start-up timer opens the window
        view = app->mainView();
        outline = app->outlineController();
        app->setPointerQuery([this] { return pointer; }, [this] { return buttons; });
    }
    void TearDown() override
    {
        app->applicationShouldTerminate();
        app.reset();
        setQnMessageBoxPresenter({});
    }

    // The enabled buttons, in toolbar order.
    QStringList enabled() const
    {
        const std::pair<const char*, ToolbarButton*> buttons[] = {
            {"record", view->recordBtn},
            {"continue", view->continueBtn},
            {"addCategory", view->addCategoryBtn},
            {"delete", view->deleteBtn},
            {"split", view->splitBtn},
            {"prefs", view->prefsBtn},
            {"jumpBackward", view->jumpBackward},
            {"play", view->playBtn},
            {"jumpForward", view->jumpForward},
            {"addMark", view->addMarkBtn},
            {"removeMark", view->removeMarkBtn}};
        QStringList names;
        for (auto [name, button] : buttons)
            if (button->isEnabled())
                names << name;
        return names;
    }
    static bool shows(const ToolbarButton* button, const char* image)
    {
        return button->image().toImage() == Images::pixmap(image).toImage();
    }
    RecItem* tone(const QString& title)
    {
        const QString file = app->outputFolder() + "/" + title + ".m4a";
        QDir().mkpath(app->outputFolder());
        QProcess::execute("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i",
                                     "sine=frequency=440:duration=3", "-c:a", "aac", file});
        auto owned = outline->createNewItem();
        RecItem* item = owned.get();
        item->setTitle(title);
        outline->addItem(std::move(owned), outline->mainGroup());
        return item;
    }

    QTemporaryDir home;
    QStringList messages;
    std::unique_ptr<RecorderAppDelegate> app;
    MainView* view = nullptr;
    RecOutlineController* outline = nullptr;
    QPoint pointer;
    Qt::MouseButtons buttons = Qt::NoButton;
};

} // namespace

TEST_F(WindowState, ToolbarFollowsSelectionPlayerAndRecorder)
{
    EXPECT_EQ(enabled(), (QStringList{"record", "addCategory", "prefs"}));

    auto owned = outline->createNewGroup();
    RecGroup* cat = owned.get();
    cat->setTitle("Cat");
    QDir().mkpath(app->outputFolder() + "/Cat");
    outline->addGroup(std::move(owned), outline->mainGroup());
    outline->selectItem(cat);
    EXPECT_EQ(enabled(), (QStringList{"record", "addCategory", "delete", "prefs"}));

    RecItem* talk = tone("Talk");
    outline->selectItem(talk);
    EXPECT_EQ(enabled(), (QStringList{"record", "continue", "addCategory", "delete", "prefs",
                                      "jumpBackward", "play", "jumpForward", "addMark"}));
    EXPECT_EQ(view->playBtn->toolTip(), "Play");
    app->play();
    EXPECT_TRUE(shows(view->playBtn, "stop_playing.png"));
    EXPECT_EQ(view->playBtn->toolTip(), "Stop");
    app->play();
    EXPECT_EQ(view->playBtn->toolTip(), "Play");

    // Marks make Split usable; a chosen mark makes Remove Mark usable.
    app->addNote();
    EXPECT_TRUE(enabled().contains("split"));
    EXPECT_FALSE(enabled().contains("removeMark"));
    RecNavigatorView* strip = app->recNavigatorView();
    const QRect marker = strip->noteRect(talk->marks().front().get());
    ASSERT_TRUE(strip->processMouseClick(marker.center()));
    app->updateButtonsState();
    EXPECT_TRUE(enabled().contains("removeMark"));

    // A new recording: only Stop, the marks and the editor switch.
    app->startStopRecording();
    ASSERT_TRUE(app->isRecording());
    EXPECT_EQ(enabled(), (QStringList{"record", "addMark"}));
    EXPECT_TRUE(shows(view->recordBtn, "stop.png"));
    EXPECT_EQ(view->recordBtn->toolTip(), "Stop Recording (Cmd+Shift+R)");
    app->startStopRecording();
    EXPECT_EQ(view->recordBtn->toolTip(), "Start a New Recording (Cmd+Shift+R)");

    // A continuation: Continue shows Stop, Record its start image, disabled.
    outline->selectItem(talk);
    app->resumeStopRecording();
    ASSERT_TRUE(app->continueRecording());
    EXPECT_EQ(enabled(), (QStringList{"continue", "addMark"}));
    EXPECT_TRUE(shows(view->continueBtn, "stop_continue.png"));
    EXPECT_EQ(view->continueBtn->toolTip(), "Stop Recording (Cmd+Shift+C)");
    EXPECT_TRUE(shows(view->recordBtn, "record.png"));
    app->resumeStopRecording();
    EXPECT_EQ(view->continueBtn->toolTip(), "Continue Recording (Cmd+Shift+C)");
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(WindowState, TheIconOpensAndClosesTheWindowOnTheMainPage)
{
    ASSERT_NE(app->statusView(), nullptr) << "no system tray";
    ASSERT_TRUE(app->window() && app->window()->isVisible());
    app->showPrefs();
    app->statusView()->mouseDown();
    EXPECT_FALSE(app->window()->isVisible());
    app->statusView()->mouseDown();
    ASSERT_TRUE(app->window()->isVisible());
    spin(400); // the slide back
    EXPECT_EQ(app->backView()->currentView(), view);
}

TEST_F(WindowState, TurningAwayHidesTheWindowUnlessThePointerIsOnIt)
{
    ASSERT_NE(app->statusView(), nullptr) << "no system tray";
    ZwAttachedWindow* window = app->window();
    ASSERT_TRUE(window && window->isVisible());
    const QRect frame = window->geometry();

    // A held left button delays the decision.
    buttons = Qt::LeftButton;
    pointer = frame.center();
    app->windowResignKey();
    app->hideTimerFire();
    EXPECT_TRUE(app->hideTimer().isActive());
    buttons = Qt::NoButton;

    // Released over the body: the window stays.
    app->hideTimerFire();
    EXPECT_FALSE(app->hideTimer().isActive());
    EXPECT_TRUE(window->isVisible());

    // The arrow's strip does not count as the window.
    pointer = QPoint(frame.center().x(), frame.top() + 8);
    app->windowResignKey();
    app->hideTimerFire();
    EXPECT_FALSE(app->window()->isVisible());
}

TEST_F(WindowState, TheEditorPanelRemembersWhenTheUserClosedIt)
{
    ASSERT_NE(app->statusView(), nullptr) << "no system tray";
    DescrPanel* panel = app->descrPanel();
    ASSERT_TRUE(panel->isVisible()); // shown at start-up by default
    EXPECT_TRUE(view->showDescrBtn->state());
    // 10 points apart, give or take the window manager's frame.
    EXPECT_NEAR(app->window()->geometry().left() - panel->frameGeometry().right() - 1, 10, 2);

    // Hiding the window with the icon keeps the panel's switch and the default.
    app->statusView()->mouseDown();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(app->settings().hideDescrWnd());
    app->statusView()->mouseDown();
    EXPECT_TRUE(panel->isVisible());

    // Its own close box turns the switch off and is remembered.
    panel->close();
    EXPECT_FALSE(view->showDescrBtn->state());
    EXPECT_EQ(view->showDescrBtn->toolTip(), "Show Recordings Editor");
    EXPECT_TRUE(app->settings().hideDescrWnd());
    app->showHideDescr(true);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_FALSE(app->settings().hideDescrWnd());
    EXPECT_EQ(view->showDescrBtn->toolTip(), "Hide Recordings Editor");
}

TEST_F(WindowState, PreferencesDriveTheRealEngine)
{
    PreferencesView* prefs = app->prefView();
    // Every source of the server is offered, the stored one chosen.
    QStringList offered;
    for (int i = 0; i < prefs->devicesPopUp()->count(); ++i)
        offered << prefs->devicesPopUp()->itemText(i);
    EXPECT_TRUE(offered.contains(PulseServer::instance().sineSourceDescription()));
    EXPECT_TRUE(offered.contains(PulseServer::instance().monoPipeSourceDescription()));
    EXPECT_EQ(prefs->devicesPopUp()->currentText(),
              PulseServer::instance().sineSourceDescription());

    // The quality is clamped on its way to the engine and the defaults.
    prefs->setRecQuality(0);
    EXPECT_EQ(app->settings().recQuality(), 1);
    prefs->setRecQuality(7);
    EXPECT_EQ(app->settings().recQuality(), 3);

    // The meter captures from the sine source while the page is shown with
    // skipping on, and stops when the page goes.
    app->showPrefs();
    prefs->skipSilenceBtn()->click();
    ASSERT_TRUE(prefs->isLevelShown());
    spin(600);
    EXPECT_GT(app->inputLevel(), 0.5f);
    prefs->setRecQuality(2); // no "Can't change output format..." while the meter runs
    spin(300);
    XServer::instance().screenshot(QString(qgetenv("VT_BINARY_DIR")) +
                                   "/test-artefacts/preferences_meter.png");
    app->showMainView();
    EXPECT_FALSE(prefs->isLevelShown());
    EXPECT_FALSE(app->isRecording());
    EXPECT_TRUE(messages.isEmpty()) << messages.join("; ").toStdString();
}

TEST_F(WindowState, AnotherOutputFolderStopsTheRecordingFirst)
{
    app->startStopRecording();
    ASSERT_TRUE(app->isRecording());
    spin(500);
    const QString first = app->outputFolder();
    app->outputFolderChanged(home.path() + "/other");
    EXPECT_FALSE(app->isRecording());
    EXPECT_TRUE(QFile::exists(first + "/Untitled 1.m4a"));
    QFile db(first + "/RecordingsDB.xml");
    ASSERT_TRUE(db.open(QIODevice::ReadOnly));
    const QByteArray saved = db.readAll();
    EXPECT_TRUE(saved.contains("Title=\"Untitled 1\""));
    EXPECT_FALSE(saved.contains("Duration=\"0\""));
    EXPECT_TRUE(outline->mainGroup()->subItems().isEmpty()); // the other folder's library
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (!XServer::instance().isRunning() || !XServer::instance().startTray()) {
        fprintf(stderr, "no X server with a tray\n");
        return 1;
    }
    PulseServer::instance();
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QApplication::setOrganizationName("VoiceTray");
    QApplication::setApplicationName("VoiceTray");
    return RUN_ALL_TESTS();
}
