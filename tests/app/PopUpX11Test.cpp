// SPDX-License-Identifier: GPL-3.0-or-later
// Keys of the pop-up window in a real tray, with the global hot keys grabbed
// on the private X display.
#include "app/MainView.h"
#include "outline/EmptyLibraryHint.h"
#include "outline/RecOutlineView.h"
#include "shell/CustomView.h"
#include "support/AppFixture.h"
#include "support/Wait.h"

#include <QTest>

using PopUp = AppFixture;

TEST_F(PopUp, EscapeClosesThePopUpAndTheEmptyLibraryNamesTheHotKeyInUse)
{
    ASSERT_TRUE(waitUntil([this] { return app->window() && app->window()->isVisible(); }));
    ASSERT_NE(app->statusView(), nullptr) << "no system tray";
    EmptyLibraryHint* hint = app->mainView()->outlineView()->emptyHint();
    EXPECT_TRUE(hint->isVisible());
    EXPECT_TRUE(hint->text().startsWith("Press Super+Shift+R or the red button"));
    app->setUseHotKeys(false);
    EXPECT_TRUE(hint->text().startsWith("Press the red button"));
    app->setUseHotKeys(true);
    EXPECT_TRUE(hint->text().contains("Super+Shift+R"));

    QTest::keyClick(app->mainView()->outlineView(), Qt::Key_Escape);
    EXPECT_FALSE(app->window()->isVisible());
    EXPECT_FALSE(app->statusView()->clicked());
}
