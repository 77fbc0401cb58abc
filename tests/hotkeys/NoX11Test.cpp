// SPDX-License-Identifier: GPL-3.0-or-later
#include "HotKeyTestSupport.h"
#include "hotkeys/AppHotKeys.h"
#include "hotkeys/HotKeyField.h"
#include "hotkeys/KeyboardLayout.h"
#include "hotkeys/LegacyHotKeyArchive.h"

#include <QApplication>
#include <QCborMap>
#include <QKeyEvent>
#include <gtest/gtest.h>

TEST(NoX11, HotKeysReportOnceAndEverythingElseWorks)
{
    LogRecorder log;
    AppHotKeys hotKeys;
    PressLog controller(hotKeys);
    hotKeys.setupHotKeys(true);
    hotKeys.setUseHotKeys(false);
    hotKeys.setUseHotKeys(true);
    EXPECT_TRUE(hotKeys.status().startsWith("Global hot keys need X11"));
    EXPECT_EQ(hotKeys.recordKeysText(), "");
    // The actions still work when called directly, and the capture field
    // takes Qt's name of the key.
    hotKeys.press(AppHotKeys::Action::Record);
    EXPECT_EQ(controller.actions, QStringList{"record"});
    EXPECT_EQ(KeyboardLayout::current(), nullptr);
    HotKeyField field;
    field.setCapturing(true);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_R, Qt::MetaModifier | Qt::AltModifier, "r");
    QApplication::sendEvent(&field, &press);
    EXPECT_EQ(field.text(), "Super+Alt+R");
    // What an earlier version stored is read on the US layout.
    const QCborMap stored{{"KeyCodeKey", 15}, {"ModifierFlagsKey", 0x120000}};
    EXPECT_EQ(readLegacyHotKeyArchive(stored.toCborValue().toCbor()),
              Qt::META | Qt::SHIFT | Qt::Key_R);
    hotKeys.release();

    EXPECT_EQ(log.count(QStringLiteral("No X11 connection: global hot keys are not grabbed")), 1);
    EXPECT_EQ(log.count(QStringLiteral("Enable Failed")), 0);
}
