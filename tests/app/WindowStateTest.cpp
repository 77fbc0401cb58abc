// SPDX-License-Identifier: GPL-3.0-or-later
#include "outline/EmptyLibraryHint.h"
#include "outline/RecOutlineView.h"
#include "playback/RecNavigController.h"
#include "playback/RecNavigatorView.h"
#include "playback/SliderWithNotes.h"
#include "shell/CustomView.h"
#include "shell/DescrPanel.h"
#include "shell/MainView.h"
#include "shell/PageContainer.h"
#include "shell/PreferencesView.h"
#include "support/AppFixture.h"
#include "support/Media.h"
#include "support/PulseServer.h"
#include "support/TestFiles.h"
#include "support/Wait.h"
#include "widgets/Images.h"
#include "widgets/SwitchToolbarBtn.h"
#include "widgets/ToolbarButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QProcess>
#include <QTest>
#include <QWidget>
#include <QWindow>

// The pop-up window's state against a real tray on a private X display and
// the private sound server: the toolbar in every state of the recorder, the
// player and the selection; hiding when the user turns away; the editor panel.

namespace {

class WindowState : public AppFixture
{
protected:
    void configure(Settings& settings) override
    {
        settings.setInputDevice(PulseServer::instance().sineSourceDescription());
    }
    void SetUp() override
    {
        AppFixture::SetUp();
        // The start-up timer opens the window at the icon.
        ASSERT_TRUE(
            waitUntil([this] { return window->window() && window->window()->isVisible(); }));
        ASSERT_NE(window->statusView(), nullptr) << "no system tray";
        view = window->mainView();
        window->setPointerQuery([this] { return pointer; }, [this] { return buttons; });
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

    MainView* view = nullptr;
    QPoint pointer;
    Qt::MouseButtons buttons = Qt::NoButton;
};

} // namespace

TEST_F(WindowState, ToolbarFollowsSelectionPlayerAndRecorder)
{
    EXPECT_EQ(enabled(), (QStringList{"record", "addCategory", "prefs"}));

    outline->selectItem(category("Cat"));
    EXPECT_EQ(enabled(), (QStringList{"record", "addCategory", "delete", "prefs"}));

    RecItem* talk = recording("Talk", nullptr, 3);
    outline->selectItem(talk);
    EXPECT_EQ(enabled(), (QStringList{"record", "continue", "addCategory", "delete", "prefs",
                                      "jumpBackward", "play", "jumpForward", "addMark"}));
    window->play();
    EXPECT_TRUE(shows(view->playBtn, "stop_playing.png"));
    EXPECT_EQ(view->playBtn->toolTip(), "Stop");
    window->play();
    // Marks make Split usable; a chosen mark makes Remove Mark usable.
    window->addNote();
    EXPECT_TRUE(enabled().contains("split"));
    EXPECT_FALSE(enabled().contains("removeMark"));
    RecNavigatorView* strip = window->recNavigatorView();
    const QRect marker = strip->noteRect(&strip->notes()->front());
    ASSERT_TRUE(strip->processMouseClick(marker.center()));
    window->updateButtonsState();
    EXPECT_TRUE(enabled().contains("removeMark"));
    // A new recording: only Stop, the marks and the editor switch.
    window->toggleRecording(false);
    ASSERT_TRUE(session->isRecording());
    EXPECT_EQ(enabled(), (QStringList{"record", "addMark"}));
    EXPECT_TRUE(shows(view->recordBtn, "stop.png"));
    EXPECT_EQ(view->recordBtn->toolTip(), "Stop Recording (Super+Shift+R)");
    window->toggleRecording(false);
    // A continuation: Continue shows Stop, Record its start image, disabled.
    outline->selectItem(talk);
    window->toggleRecording(true);
    ASSERT_TRUE(session->isContinuing());
    EXPECT_EQ(enabled(), (QStringList{"continue", "addMark"}));
    EXPECT_TRUE(shows(view->continueBtn, "stop_continue.png"));
    EXPECT_EQ(view->continueBtn->toolTip(), "Stop Recording (Super+Shift+C)");
    window->toggleRecording(true);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(WindowState, TheIconOpensAndClosesTheWindowOnTheMainPage)
{
    window->showPrefs();
    window->statusView()->mouseDown();
    EXPECT_FALSE(window->window()->isVisible());
    window->statusView()->mouseDown();
    ASSERT_TRUE(window->window()->isVisible());
    EXPECT_TRUE(waitUntil([&] { return !window->backView()->isSliding(); }));
    EXPECT_EQ(window->backView()->currentView(), view);
}

TEST_F(WindowState, TurningAwayHidesTheWindowUnlessThePointerIsOnIt)
{
    AttachedWindow* popUp = window->window();
    const QRect frame = popUp->geometry();
    // A held left button delays the decision.
    buttons = Qt::LeftButton;
    pointer = frame.center();
    window->windowResignKey();
    window->hideTimerFire();
    EXPECT_TRUE(window->hideTimer().isActive());
    buttons = Qt::NoButton;
    // Released over the body: the window stays.
    window->hideTimerFire();
    EXPECT_FALSE(window->hideTimer().isActive());
    EXPECT_TRUE(popUp->isVisible());
    // The arrow's strip does not count as the window.
    pointer = QPoint(frame.center().x(), frame.top() + 8);
    window->windowResignKey();
    window->hideTimerFire();
    EXPECT_FALSE(window->window()->isVisible());
}

TEST_F(WindowState, EscapeClosesThePopUpAndTheEmptyLibraryNamesTheHotKeyInUse)
{
    EmptyLibraryHint* hint = view->outlineView()->emptyHint();
    EXPECT_TRUE(hint->isVisible());
    EXPECT_TRUE(hint->text().startsWith("Press Super+Shift+R or the red button"));
    prefs->setUseHotKeys(false);
    EXPECT_TRUE(hint->text().startsWith("Press the red button"));
    prefs->setUseHotKeys(true);
    EXPECT_TRUE(hint->text().contains("Super+Shift+R"));

    QTest::keyClick(view->outlineView(), Qt::Key_Escape);
    EXPECT_FALSE(window->window()->isVisible());
    EXPECT_FALSE(window->statusView()->clicked());
}

TEST_F(WindowState, TheEditorPanelRemembersWhenTheUserClosedIt)
{
    DescrPanel* panel = window->descrPanel();
    ASSERT_TRUE(panel->isVisible()); // shown at start-up by default
    EXPECT_TRUE(view->showDescrBtn->state());
    // 10 points apart, give or take the window manager's frame, which comes later.
    const auto gap = [&] {
        return window->window()->geometry().left() - panel->frameGeometry().right() - 1;
    };
    EXPECT_TRUE(waitUntil([&] { return std::abs(gap() - 10) <= 2; })) << gap();
    // Hiding the window with the icon keeps the panel's switch and the default.
    window->statusView()->mouseDown();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(app->settings().hideDescrWnd());
    window->statusView()->mouseDown();
    EXPECT_TRUE(panel->isVisible());
    // Its own close box turns the switch off and is remembered.
    panel->close();
    EXPECT_FALSE(view->showDescrBtn->state());
    EXPECT_EQ(view->showDescrBtn->toolTip(), "Show Recordings Editor");
    EXPECT_TRUE(app->settings().hideDescrWnd());
    window->showHideDescr(true);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_FALSE(app->settings().hideDescrWnd());
    EXPECT_EQ(view->showDescrBtn->toolTip(), "Hide Recordings Editor");
}

TEST_F(WindowState, PreferencesDriveTheRealEngine)
{
    PreferencesView* page = window->prefView();
    // Every source of the server is offered, the stored one chosen.
    QStringList offered;
    for (int i = 0; i < page->devicesPopUp()->count(); ++i)
        offered << page->devicesPopUp()->itemText(i);
    EXPECT_TRUE(offered.contains(PulseServer::instance().monoPipeSourceDescription()));
    EXPECT_EQ(page->devicesPopUp()->currentText(), PulseServer::instance().sineSourceDescription());
    // The meter captures from the sine source while the page is shown with
    // skipping on, and stops when the page goes.
    window->showPrefs();
    page->skipSilenceBtn()->click();
    ASSERT_TRUE(page->isLevelShown());
    EXPECT_TRUE(waitUntil([&] { return prefs->inputLevel() > 0.5f; }));
    page->setRecQuality(3); // no "Can't change output format..." while the meter runs
    EXPECT_EQ(app->settings().recQuality(), 3);
    window->showMainView();
    EXPECT_FALSE(page->isLevelShown());
    EXPECT_FALSE(session->isRecording());
    EXPECT_TRUE(messages.isEmpty()) << messages.join("; ").toStdString();
}

// A row dragged with the real pointer on a private X display lands in a
// category: the tree and the disk change together.

namespace {

using DragDropX11 = AppFixture;

TEST_F(DragDropX11, ARowDraggedUnderAnExpandedCategoryMovesIntoIt)
{
    RecGroup* cat = category("Cat");
    recording("X", cat);
    RecItem* a = recording("A");
    // The window opens on its own shortly after the start.
    QWidget* shown = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        return (shown = window->plainWindow() ? window->plainWindow() : window->window());
    }));
    shown->resize(360, 420);
    ASSERT_TRUE(
        waitUntil([&] { return shown->isVisible() && shown->windowHandle()->isExposed(); }));
    RecOutlineView* view = outline->outlineView();
    ASSERT_TRUE(waitUntil([&] { return view->isVisible() && !view->frameOf(a).isNull(); }));
    // From the middle of "A" to 3 points above the bottom edge of "Cat".
    const QPoint from = view->mapToGlobal(view->frameOf(a).center());
    const QPoint to =
        view->mapToGlobal(QPoint(view->frameOf(cat).center().x(), view->frameOf(cat).bottom() - 2));
    auto pos = [](QPoint p) { return QStringList{QString::number(p.x()), QString::number(p.y())}; };
    QStringList script =
        QStringList{"mousemove"} + pos(from) + QStringList{"mousedown", "1", "sleep", "0.3"};
    for (int step = 1; step <= 6; ++step)
        script += QStringList{"mousemove"} + pos(from + (to - from) * step / 6) +
                  QStringList{"sleep", "0.15"};
    script += QStringList{"sleep", "0.3", "mouseup", "1"};
    // The drag runs its own event loop, so the pointer is driven from another process meanwhile.
    QProcess xdotool;
    xdotool.start("xdotool", script);
    ASSERT_TRUE(xdotool.waitForStarted());

    EXPECT_TRUE(waitUntil([&] { return cat->subItems().size() == 2; }));
    xdotool.waitForFinished(5000);
    EXPECT_EQ(titles(cat), (QStringList{"A", "X"}));
    EXPECT_EQ(readFile(out + "/Cat/A.m4a"), "A");
    EXPECT_FALSE(QFileInfo::exists(out + "/A.m4a"));
    EXPECT_EQ(outline->findHighlightedItem(root()), nullptr);
}

} // namespace
