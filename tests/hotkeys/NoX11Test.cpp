// SPDX-License-Identifier: GPL-3.0-or-later
#include "HotKeyTestSupport.h"
#include "hotkeys/AppHotKeys.h"
#include "hotkeys/HxHotKeyControl.h"
#include "hotkeys/HxKeyboardLayout.h"

#include <gtest/gtest.h>

TEST(NoX11, HotKeysReportOnceAndEverythingElseWorks)
{
    LogRecorder log;
    RecordingController controller;
    AppHotKeys hotKeys;
    EXPECT_TRUE(hotKeys.setupHotKeys(&controller, true));
    EXPECT_EQ(hotKeys.allHotKeyResponders().size(), 2u);
    hotKeys.setUseHotKeys(false);
    hotKeys.setUseHotKeys(true);
    EXPECT_FALSE(HxHotKeyEvent::install());
    EXPECT_FALSE(hotKeys.allHotKeyResponders()[0]->hotKeyEvent()->setEnabled(true));
    // The actions still work when called directly, and the capture field stays usable.
    hotKeys.allHotKeyResponders()[0]->hotKeyEvent()->performHotKeyPressed();
    EXPECT_EQ(controller.actions, QStringList{"startStopRecording"});
    EXPECT_EQ(HxKeyboardLayout::keyboardLayout(), nullptr);
    EXPECT_TRUE(hotKeys.allHotKeyResponders()[0]->hotKeyEvent()->stringValue().isNull());
    HxHotKeyControl control;
    control.setReadyForHotKeyEvent(true);
    control.setReadyForHotKeyEvent(false);
    hotKeys.release();

    EXPECT_EQ(log.count(QStringLiteral("Could not install Event handler")), 1);
    EXPECT_EQ(log.count(QStringLiteral("Enable Failed")), 0);
    EXPECT_EQ(log.count(QStringLiteral("Disable Failed")), 0);
}
