// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/AppHotKeys.h"

#include "HotKeyTestSupport.h"
#include "hotkeys/HxModifierFlags.h"
#include "support/Wait.h"
#include "support/XServer.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

using namespace HxModifierFlags;

namespace {

constexpr quint8 kXR = 27;
constexpr quint8 kXC = 54;
constexpr quint16 kXSuperShift = XMod4 | XShift;

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

// A sentinel combination (Ctrl+Shift+F6) pressed after another one shows,
// once it arrives, that whatever the other one does has been done. It is made
// on first use: the application's hot keys must be the first to set the
// signature.
class GlobalHotKeys : public ::testing::Test
{
protected:
    void pressAndSettle(const QString& combination)
    {
        key(combination);
        settle();
    }
    void settle()
    {
        if (!m_sentinel) {
            m_sentinel = HxHotKeyEvent::getHotKeyForKeyCode(97, Control | Shift);
            ASSERT_TRUE(m_sentinel->setTarget(&m_target, QStringLiteral("released:"),
                                              QStringLiteral("pressed:")));
            ASSERT_TRUE(m_sentinel->setEnabled(true));
        }
        const qsizetype before = m_target.received.size();
        key(QStringLiteral("ctrl+shift+F6"));
        ASSERT_TRUE(waitUntil([&] { return m_target.received.size() > before; }));
    }

    RecordingTarget m_target{{QStringLiteral("pressed:")}};
    HxHotKeyEventPtr m_sentinel;
};

} // namespace

TEST_F(GlobalHotKeys, PressesDriveTheRecordingWhileAnotherWindowHasTheFocus)
{
    OtherXClient other;
    other.showFocusedWindow();
    RecordingController controller;
    AppHotKeys hotKeys;
    ASSERT_TRUE(hotKeys.setupHotKeys(&controller, true));
    ASSERT_EQ(hotKeys.allHotKeyResponders().size(), 2u);
    EXPECT_EQ(hotKeys.allHotKeyResponders()[0]->hotKeyEvent()->hotKeyId(), 0x12000Fu);
    EXPECT_EQ(hotKeys.allHotKeyResponders()[1]->hotKeyEvent()->hotKeyId(), 0x120008u);
    EXPECT_EQ(HxHotKeyEvent::signature(), hxFourCharCode("Hxhk"));
    EXPECT_FALSE(other.canGrab(kXR, kXSuperShift));
    EXPECT_FALSE(other.canGrab(kXC, kXSuperShift));

    key(QStringLiteral("super+shift+r"));
    ASSERT_TRUE(waitUntil([&] { return controller.actions.size() == 1; }));
    EXPECT_TRUE(controller.isRecording());
    key(QStringLiteral("super+shift+r"));
    ASSERT_TRUE(waitUntil([&] { return controller.actions.size() == 2; }));
    EXPECT_FALSE(controller.isRecording());
    key(QStringLiteral("super+shift+c"));
    ASSERT_TRUE(waitUntil([&] { return controller.actions.size() == 3; }));
    EXPECT_TRUE(controller.continueRecording());
    // NumLock on does not hide the combination.
    key(QStringLiteral("Num_Lock"));
    key(QStringLiteral("super+shift+r"));
    ASSERT_TRUE(waitUntil([&] { return controller.actions.size() == 4; }));
    key(QStringLiteral("Num_Lock"));
    EXPECT_EQ(controller.actions, (QStringList{"startStopRecording", "startStopRecording",
                                               "resumeStopRecording", "resumeStopRecording"}));
    EXPECT_FALSE(controller.isRecording());

    // A held combination is one press, whatever the key repeat does; releases do nothing.
    {
        KeyPresses presses(kXR);
        key(QStringLiteral("super+shift+r"), QStringLiteral("keydown"));
        ASSERT_TRUE(waitUntil([&] { return presses.count >= 3; }));
    }
    key(QStringLiteral("super+shift+r"), QStringLiteral("keyup"));
    settle();
    EXPECT_EQ(controller.actions.size(), 5);
    EXPECT_TRUE(controller.isRecording());
    pressAndSettle(QStringLiteral("super+shift+r"));
    EXPECT_EQ(controller.actions.size(), 6);

    // Switched off, the combinations are free and nothing happens.
    hotKeys.setUseHotKeys(false);
    EXPECT_TRUE(other.canGrab(kXR, kXSuperShift));
    pressAndSettle(QStringLiteral("super+shift+r"));
    pressAndSettle(QStringLiteral("super+shift+c"));
    EXPECT_EQ(controller.actions.size(), 6);
    hotKeys.setUseHotKeys(true);
    pressAndSettle(QStringLiteral("super+shift+c"));
    EXPECT_EQ(controller.actions.size(), 7);

    // Shutdown releases the grabs and the registry entries.
    hotKeys.release();
    EXPECT_TRUE(hotKeys.allHotKeyResponders().empty());
    EXPECT_TRUE(other.canGrab(kXR, kXSuperShift));
    EXPECT_TRUE(other.canGrab(kXC, kXSuperShift));
    EXPECT_FALSE(HxHotKeyEvent::findHotKeyForId(0x12000F));
    pressAndSettle(QStringLiteral("super+shift+r"));
    EXPECT_EQ(controller.actions.size(), 7);
}

TEST_F(GlobalHotKeys, SetUpSwitchedOffGrabsNothing)
{
    OtherXClient other;
    RecordingController controller;
    AppHotKeys hotKeys;
    ASSERT_TRUE(hotKeys.setupHotKeys(&controller, false));
    EXPECT_EQ(hotKeys.allHotKeyResponders().size(), 2u);
    EXPECT_TRUE(other.canGrab(kXR, kXSuperShift));
    pressAndSettle(QStringLiteral("super+shift+r"));
    EXPECT_TRUE(controller.actions.isEmpty());
    hotKeys.setUseHotKeys(true);
    EXPECT_FALSE(other.canGrab(kXR, kXSuperShift));
}

TEST_F(GlobalHotKeys, CombinationHeldByAnotherClientFailsCleanly)
{
    OtherXClient other;
    ASSERT_TRUE(other.grab(kXR, kXSuperShift));
    RecordingController controller;
    LogRecorder log;
    AppHotKeys hotKeys;
    ASSERT_TRUE(hotKeys.setupHotKeys(&controller, true));
    EXPECT_EQ(log.count(QStringLiteral("enable failed ")), 1);
    EXPECT_EQ(log.count(QStringLiteral("Enable Failed")), 1);
    EXPECT_FALSE(hotKeys.allHotKeyResponders()[0]->hotKeyEvent()->isEnabled());
    EXPECT_TRUE(hotKeys.allHotKeyResponders()[1]->hotKeyEvent()->isEnabled());

    // The other client keeps its combination; ours still works for the other key.
    pressAndSettle(QStringLiteral("super+shift+r"));
    EXPECT_TRUE(controller.actions.isEmpty());
    key(QStringLiteral("super+shift+c"));
    EXPECT_TRUE(waitUntil([&] { return controller.actions.size() == 1; }));
    other.ungrab(kXR, kXSuperShift);
}

TEST_F(GlobalHotKeys, ReleasesReachTheReleaseAction)
{
    RecordingTarget target;
    const HxHotKeyEventPtr hotKey = HxHotKeyEvent::getHotKeyForKeyCode(122, Option);
    ASSERT_TRUE(
        hotKey->setTarget(&target, QStringLiteral("released:"), QStringLiteral("pressed:")));
    ASSERT_TRUE(hotKey->setEnabled(true));
    key(QStringLiteral("alt+F1"), QStringLiteral("keydown"));
    ASSERT_TRUE(waitUntil([&] { return target.received.size() == 1; }));
    EXPECT_EQ(target.received, QStringList{"pressed:/1"});
    // The release counts even when the modifier goes up first.
    key(QStringLiteral("alt"), QStringLiteral("keyup"));
    key(QStringLiteral("F1"), QStringLiteral("keyup"));
    ASSERT_TRUE(waitUntil([&] { return target.received.size() == 2; }));
    EXPECT_EQ(target.received.last(), "released:/2");
}

TEST(HotKeyResponder, PressTable)
{
    struct Row
    {
        quint16 keyCode;
        bool recording;
        bool continuation;
        const char* action;
    };
    const Row rows[] = {{15, false, false, "startStopRecording"},
                        {15, true, true, "resumeStopRecording"},
                        {15, true, false, "startStopRecording"},
                        {8, false, false, "resumeStopRecording"},
                        {8, true, true, "resumeStopRecording"},
                        {8, true, false, "startStopRecording"},
                        {9, false, false, nullptr},
                        {9, true, false, nullptr}};
    for (const Row& row : rows) {
        RecordingController controller;
        controller.setState(row.recording, row.continuation);
        const HxHotKeyEventPtr hotKey =
            HxHotKeyEvent::getHotKeyForKeyCode(row.keyCode, Command | Option);
        const auto responder = HotKeyResponder::hotKeyReponderWithController(&controller, hotKey);
        ASSERT_TRUE(responder);
        hotKey->performHotKeyPressed();
        hotKey->performHotKeyReleased();
        responder->hotKeyPressed(nullptr);
        EXPECT_EQ(controller.actions, row.action ? QStringList{row.action} : QStringList())
            << row.keyCode;
    }
}

TEST(HotKeyResponder, HandsItsHotKeyOnAndLetsGoOfIt)
{
    AssertionRecorder assertions;
    RecordingController controller;
    OtherXClient other;
    HxHotKeyEventPtr hotKey = HxHotKeyEvent::getHotKeyForKeyCode(15, Command | Shift | Control);
    auto first = HotKeyResponder::hotKeyReponderWithController(&controller, hotKey);
    first->enable();
    EXPECT_TRUE(hotKey->isEnabled());

    // A second responder takes the hot key over; the first one lets go and no longer switches it.
    auto second = HotKeyResponder::hotKeyReponderWithController(&controller, hotKey);
    ASSERT_TRUE(second);
    EXPECT_EQ(first->hotKeyEvent(), nullptr);
    EXPECT_EQ(hotKey->target(), second.get());
    EXPECT_FALSE(hotKey->isEnabled());
    second->enable();
    first->disable();
    EXPECT_TRUE(hotKey->isEnabled());

    EXPECT_FALSE(second->targetWillChangeToObject(second.get(), hotKey.get()));
    EXPECT_FALSE(second->targetWillChangeToObject(first.get(), nullptr));
    ASSERT_EQ(assertions.messages.size(), 2);
    EXPECT_TRUE(assertions.messages[0].startsWith("Invalid parameter not satisfying: "));

    // With the last reference gone the combination is free again.
    hotKey.reset();
    second.reset();
    EXPECT_FALSE(HxHotKeyEvent::findHotKeyForId(0x16000F));
    EXPECT_TRUE(other.canGrab(kXR, XMod4 | XShift | XControl));
}
