// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/AppHotKeys.h"

#include "HotKeyTestSupport.h"
#include "support/Wait.h"
#include "support/XServer.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

namespace {

constexpr quint16 kXSuperShift = kXSuper | kXShift;

void key(const QString& combination, const QString& command = QStringLiteral("key"))
{
    bool ok = false;
    XServer::instance().xdotool({command, combination}, &ok);
    ASSERT_TRUE(ok) << qPrintable(combination);
}

// Counts the presses of an X key code that reach this process, repeats included.
class KeyPresses : public QAbstractNativeEventFilter
{
public:
    explicit KeyPresses(quint8 keycode) : m_keycode(keycode)
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~KeyPresses() override { QCoreApplication::instance()->removeNativeEventFilter(this); }
    bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override
    {
        const auto* event = static_cast<xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) == XCB_KEY_PRESS &&
            reinterpret_cast<const xcb_key_press_event_t*>(event)->detail == m_keycode)
            ++count;
        return false;
    }
    int count = 0;

private:
    quint8 m_keycode;
};

} // namespace

TEST(GlobalHotKeys, PressesDriveTheRecordingWhileAnotherWindowHasTheFocus)
{
    OtherXClient other;
    other.showFocusedWindow();
    AppHotKeys hotKeys;
    PressLog controller(hotKeys);
    hotKeys.setupHotKeys(true);
    EXPECT_EQ(hotKeys.recordKeysText(), "Super+Shift+R");
    EXPECT_FALSE(other.canGrab(kXR, kXSuperShift));
    EXPECT_FALSE(other.canGrab(kXC, kXSuperShift));
    // NumLock on does not hide a combination.
    for (const char* combination :
         {"super+shift+r", "super+shift+c", "Num_Lock super+shift+r Num_Lock"}) {
        const qsizetype before = controller.actions.size();
        XServer::instance().xdotool(QStringList{"key"} + QString(combination).split(' '));
        ASSERT_TRUE(waitUntil([&] { return controller.actions.size() == before + 1; }));
    }
    EXPECT_EQ(controller.actions, (QStringList{"record", "continue", "record"}));
    // A held combination is one press, whatever the key repeat does, and its
    // release does nothing: the next press is the next action.
    {
        KeyPresses presses(kXR);
        key(QStringLiteral("super+shift+r"), QStringLiteral("keydown"));
        ASSERT_TRUE(waitUntil([&] { return presses.count >= 3; }));
    }
    key(QStringLiteral("super+shift+r"), QStringLiteral("keyup"));
    key(QStringLiteral("super+shift+r"));
    ASSERT_TRUE(waitUntil([&] { return controller.actions.size() >= 5; }));
    EXPECT_EQ(controller.actions.size(), 5);
    // Switched off, the combinations are free for others; shutdown frees them for good.
    hotKeys.setUseHotKeys(false);
    EXPECT_TRUE(other.canGrab(kXR, kXSuperShift));
    EXPECT_TRUE(other.canGrab(kXC, kXSuperShift));
    hotKeys.setUseHotKeys(true);
    hotKeys.release();
    EXPECT_TRUE(other.canGrab(kXR, kXSuperShift));
    EXPECT_TRUE(other.canGrab(kXC, kXSuperShift));
}

TEST(GlobalHotKeys, SetUpSwitchedOffGrabsNothingAndAHeldCombinationFailsCleanly)
{
    OtherXClient other;
    {
        AppHotKeys hotKeys;
        hotKeys.setupHotKeys(false);
        EXPECT_TRUE(other.canGrab(kXR, kXSuperShift));
        hotKeys.setUseHotKeys(true);
        EXPECT_FALSE(other.canGrab(kXR, kXSuperShift));
    }
    // Another client holds one combination: it keeps it, ours still works for the other.
    ASSERT_TRUE(other.grab(kXR, kXSuperShift));
    LogRecorder log;
    AppHotKeys hotKeys;
    PressLog controller(hotKeys);
    hotKeys.setupHotKeys(true);
    EXPECT_EQ(log.count(QStringLiteral("Enable Failed")), 1);
    EXPECT_EQ(hotKeys.recordKeysText(), "");
    EXPECT_TRUE(hotKeys.status().startsWith("Super+Shift+R is taken by another program"));
    key(QStringLiteral("super+shift+c"));
    EXPECT_TRUE(waitUntil([&] { return controller.actions.size() == 1; }));
    other.ungrab(kXR, kXSuperShift);

    // Another combination is grabbed at once, and the old one let go; the
    // other action's combination and a plain key are refused.
    EXPECT_FALSE(
        hotKeys.setCombination(AppHotKeys::Action::Record, Qt::META | Qt::SHIFT | Qt::Key_C));
    EXPECT_FALSE(hotKeys.setCombination(AppHotKeys::Action::Record, Qt::Key_R));
    EXPECT_TRUE(hotKeys.setCombination(AppHotKeys::Action::Record, Qt::META | Qt::ALT | Qt::Key_R));
    EXPECT_EQ(hotKeys.recordKeysText(), "Super+Alt+R");
    EXPECT_FALSE(other.canGrab(kXR, kXSuper | kXAlt));
    EXPECT_FALSE(other.canGrab(kXC, kXSuperShift));
    EXPECT_TRUE(other.canGrab(kXR, kXSuperShift));
}
