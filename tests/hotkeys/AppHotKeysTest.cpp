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

} // namespace

TEST(GlobalHotKeys, PressesDriveTheRecordingWhileAnotherWindowHasTheFocus)
{
    OtherXClient other;
    other.showFocusedWindow();
    RecordingController controller;
    AppHotKeys hotKeys;
    ASSERT_TRUE(hotKeys.setupHotKeys(&controller, true));
    ASSERT_EQ(hotKeys.allHotKeyResponders().size(), 2u);
    EXPECT_FALSE(other.canGrab(kXR, kXSuperShift));
    EXPECT_FALSE(other.canGrab(kXC, kXSuperShift));
    // NumLock on does not hide a combination.
    const std::pair<const char*, bool> presses[] = {{"super+shift+r", true},
                                                    {"super+shift+r", false},
                                                    {"super+shift+c", true},
                                                    {"Num_Lock super+shift+r Num_Lock", false}};
    for (const auto& [combination, recording] : presses) {
        const qsizetype before = controller.actions.size();
        XServer::instance().xdotool(QStringList{"key"} + QString(combination).split(' '));
        ASSERT_TRUE(waitUntil([&] { return controller.actions.size() == before + 1; }));
        EXPECT_EQ(controller.isRecording(), recording) << combination;
    }
    EXPECT_EQ(controller.actions, (QStringList{"startStopRecording", "startStopRecording",
                                               "resumeStopRecording", "resumeStopRecording"}));
    // A held combination is one press, whatever the key repeat does, and its
    // release does nothing: the next press is the next action.
    {
        KeyPresses presses(kXR);
        key(QStringLiteral("super+shift+r"), QStringLiteral("keydown"));
        ASSERT_TRUE(waitUntil([&] { return presses.count >= 3; }));
    }
    key(QStringLiteral("super+shift+r"), QStringLiteral("keyup"));
    key(QStringLiteral("super+shift+r"));
    ASSERT_TRUE(waitUntil([&] { return controller.actions.size() >= 6; }));
    EXPECT_EQ(controller.actions.size(), 6);
    EXPECT_FALSE(controller.isRecording());
    // Switched off, the combinations are free for others; shutdown frees them
    // and the registry for good.
    hotKeys.setUseHotKeys(false);
    EXPECT_TRUE(other.canGrab(kXR, kXSuperShift));
    EXPECT_TRUE(other.canGrab(kXC, kXSuperShift));
    hotKeys.release();
    EXPECT_TRUE(hotKeys.allHotKeyResponders().empty());
    EXPECT_TRUE(other.canGrab(kXR, kXSuperShift));
    EXPECT_TRUE(other.canGrab(kXC, kXSuperShift));
    EXPECT_FALSE(HxHotKeyEvent::findHotKeyForId(0x12000F));
}

TEST(GlobalHotKeys, SetUpSwitchedOffGrabsNothingAndAHeldCombinationFailsCleanly)
{
    OtherXClient other;
    RecordingController controller;
    {
        AppHotKeys hotKeys;
        ASSERT_TRUE(hotKeys.setupHotKeys(&controller, false));
        EXPECT_EQ(hotKeys.allHotKeyResponders().size(), 2u);
        EXPECT_TRUE(other.canGrab(kXR, kXSuperShift));
        hotKeys.setUseHotKeys(true);
        EXPECT_FALSE(other.canGrab(kXR, kXSuperShift));
    }
    // Another client holds one combination: it keeps it, ours still works for the other.
    ASSERT_TRUE(other.grab(kXR, kXSuperShift));
    LogRecorder log;
    AppHotKeys hotKeys;
    ASSERT_TRUE(hotKeys.setupHotKeys(&controller, true));
    EXPECT_EQ(log.count(QStringLiteral("enable failed ")), 1);
    EXPECT_EQ(log.count(QStringLiteral("Enable Failed")), 1);
    EXPECT_FALSE(hotKeys.allHotKeyResponders()[0]->hotKeyEvent()->isEnabled());
    EXPECT_TRUE(hotKeys.allHotKeyResponders()[1]->hotKeyEvent()->isEnabled());
    key(QStringLiteral("super+shift+c"));
    EXPECT_TRUE(waitUntil([&] { return controller.actions.size() == 1; }));
    other.ungrab(kXR, kXSuperShift);
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
        controller.recording = row.recording;
        controller.continuation = row.continuation;
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
    RecordingController controller;
    OtherXClient other;
    HxHotKeyEventPtr hotKey = HxHotKeyEvent::getHotKeyForKeyCode(15, Command | Shift | Control);
    auto first = HotKeyResponder::hotKeyReponderWithController(&controller, hotKey);
    first->enable();
    // A second responder takes the hot key over; the first one lets go and no longer switches it.
    auto second = HotKeyResponder::hotKeyReponderWithController(&controller, hotKey);
    ASSERT_TRUE(second);
    EXPECT_EQ(first->hotKeyEvent(), nullptr);
    EXPECT_EQ(hotKey->target(), second.get());
    second->enable();
    first->disable();
    EXPECT_TRUE(hotKey->isEnabled());
    // With the last reference gone the combination is free again.
    hotKey.reset();
    second.reset();
    EXPECT_FALSE(HxHotKeyEvent::findHotKeyForId(0x16000F));
    EXPECT_TRUE(other.canGrab(kXR, XMod4 | XShift | XControl));
}
