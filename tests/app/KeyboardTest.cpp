// SPDX-License-Identifier: GPL-3.0-or-later
// VoiceTray without a mouse: key presses on the real window (offscreen, so
// the plain window stands in for the pop-up; closing it by Escape is in
// PopUpX11Test.cpp).
#include "app/MainView.h"
#include "outline/RecOutlineView.h"
#include "playback/RecNavigController.h"
#include "playback/SliderWithNotes.h"
#include "shell/SwitchToolbarBtn.h"
#include "shell/ToolbarButton.h"
#include "support/AppFixture.h"
#include "support/Wait.h"

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>

namespace {

class Keyboard : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        ASSERT_TRUE(waitUntil([this] { return app->plainWindow(); }));
        app->plainWindow()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(app->plainWindow()));
        view = app->mainView();
    }
    static void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    }

    MainView* view = nullptr;
};

} // namespace

TEST_F(Keyboard, TabGoesThroughTheUsableControlsInOrder)
{
    EXPECT_EQ(QApplication::focusWidget(), view->outlineView());
    outline->selectItem(recording("Talk", nullptr, 2));
    // Split and Remove Mark are disabled here, and skipped.
    const QList<QWidget*> order{view->recordBtn,     view->continueBtn,   view->addCategoryBtn,
                                view->deleteBtn,     view->showDescrBtn,  view->prefsBtn,
                                view->searchField(), view->outlineView(), view->jumpBackward,
                                view->playBtn,       view->jumpForward,   view->addMarkBtn,
                                app->recSlider(),    view->recordBtn};
    view->recordBtn->setFocus(Qt::TabFocusReason);
    QList<QWidget*> visited{QApplication::focusWidget()};
    for (qsizetype i = 1; i < order.size(); ++i) {
        press(Qt::Key_Tab);
        visited << QApplication::focusWidget();
    }
    EXPECT_EQ(visited, order);
    press(Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), app->recSlider());

    view->addCategoryBtn->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Return); // as Space does
    EXPECT_EQ(titles(root()), (QStringList{"Talk", "Category 1"}));
}

TEST_F(Keyboard, CtrlFFindsAndEscapeEmptiesTheFieldAndLeavesTheSearch)
{
    recording("Talk");
    recording("Walk");
    press(Qt::Key_F, Qt::ControlModifier);
    ASSERT_EQ(QApplication::focusWidget(), view->searchField());
    QTest::keyClicks(view->searchField(), "ta");
    EXPECT_EQ(titles(outline->mainItem()), QStringList{"Talk"});
    press(Qt::Key_Escape);
    EXPECT_TRUE(view->searchField()->text().isEmpty());
    EXPECT_FALSE(outline->isSearchMode());
    EXPECT_EQ(QApplication::focusWidget(), view->outlineView());
    // The plain window is the program itself: Escape leaves it open.
    press(Qt::Key_Escape);
    EXPECT_TRUE(app->plainWindow()->isVisible());
}

TEST_F(Keyboard, SpaceCtrlMAndDeleteDoWhatTheirButtonsDo)
{
    RecItem* talk = recording("Talk", nullptr, 3);
    const QString file = app->restorePath(talk);
    outline->selectItem(talk);
    press(Qt::Key_Space);
    EXPECT_TRUE(app->recNavigController()->playingNow());
    press(Qt::Key_Space);
    EXPECT_FALSE(app->recNavigController()->playingNow());
    press(Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(talk->marks().size(), 1u);

    // While recording Delete does nothing, as its button.
    app->startStopRecording();
    ASSERT_TRUE(app->isRecording());
    outline->selectItem(talk);
    press(Qt::Key_Delete);
    app->startStopRecording();
    EXPECT_EQ(titles(root()).size(), 2);

    outline->selectItem(talk);
    press(Qt::Key_Delete);
    EXPECT_EQ(titles(root()), QStringList{"Untitled 1"});
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_TRUE(messages.isEmpty());
}
