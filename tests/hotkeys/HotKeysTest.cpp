// SPDX-License-Identifier: GPL-3.0-or-later
// Hot keys on the test display: registration and dispatch, the keyboard
// layout, and the field that captures a combination.
#include "HotKeyTestSupport.h"
#include "hotkeys/HxHotKeyControl.h"
#include "hotkeys/HxKeyboardLayout.h"
#include "hotkeys/HxModifierFlags.h"
#include "support/XServer.h"

#include <QApplication>
#include <QCborMap>
#include <QKeyEvent>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace HxModifierFlags;

namespace {

constexpr quint16 kF5 = 96; // X key code 71
constexpr quint8 kXF5 = 71;
constexpr quint32 kCtrlOpt = Control | Option;
constexpr quint16 kXCtrlOpt = XControl | XMod1;

} // namespace

TEST(HxHotKeyEvent, RegisteredExactlyWhenBothSwitchesAreOn)
{
    OtherXClient other;
    HxHotKeyEventPtr hotKey = HxHotKeyEvent::getHotKeyForKeyCode(kF5, kCtrlOpt);
    ASSERT_TRUE(hotKey);
    EXPECT_FALSE(hotKey->reference());
    EXPECT_TRUE(other.canGrab(kXF5, kXCtrlOpt));

    EXPECT_TRUE(hotKey->setEnabled(true));
    EXPECT_TRUE(hotKey->reference());
    EXPECT_TRUE(HxHotKeyEvent::isEnabledKeyCode(kF5, kCtrlOpt));
    // Held under every Lock and NumLock state.
    for (quint16 lock : {quint16(0), XLock, XMod2, quint16(XLock | XMod2)})
        EXPECT_FALSE(other.canGrab(kXF5, kXCtrlOpt | lock)) << lock;

    EXPECT_TRUE(hotKey->setCollectiveEnabled(false));
    EXPECT_TRUE(other.canGrab(kXF5, kXCtrlOpt));
    EXPECT_TRUE(hotKey->setEnabled(false));
    EXPECT_TRUE(hotKey->setEnabled(true)); // collective clear: accepted, nothing grabbed
    EXPECT_FALSE(hotKey->reference());
    EXPECT_TRUE(hotKey->setCollectiveEnabled(true));
    EXPECT_TRUE(hotKey->reference());
    // The collective switch leaves individually disabled hot keys alone.
    const HxHotKeyEventPtr idle = HxHotKeyEvent::getHotKeyForKeyCode(kF5, Control);
    EXPECT_TRUE(HxHotKeyEvent::setAllEnabled(false));
    EXPECT_FALSE(hotKey->reference());
    EXPECT_TRUE(HxHotKeyEvent::setAllEnabled(true));
    EXPECT_TRUE(hotKey->reference());
    EXPECT_FALSE(idle->reference());
    // Letting go of the last reference ungrabs and leaves the registry.
    hotKey.reset();
    EXPECT_TRUE(other.canGrab(kXF5, kXCtrlOpt));
    EXPECT_FALSE(HxHotKeyEvent::findHotKeyForKeyCode(kF5, kCtrlOpt));
}

TEST(HxHotKeyEvent, RefusedGrabIsAFailedRegistration)
{
    OtherXClient other;
    ASSERT_TRUE(other.grab(kXF5, XShift | XMod4));
    LogRecorder log;
    const HxHotKeyEventPtr hotKey = HxHotKeyEvent::getHotKeyForKeyCode(kF5, Shift | Command);
    EXPECT_FALSE(hotKey->setEnabled(true));
    EXPECT_FALSE(hotKey->reference());
    EXPECT_EQ(log.count(QStringLiteral("enable failed ")), 1);
    // Nothing of the refused registration is left half-grabbed.
    other.ungrab(kXF5, XShift | XMod4);
    for (quint16 lock : {quint16(0), XLock, XMod2, quint16(XLock | XMod2)})
        EXPECT_TRUE(other.canGrab(kXF5, XShift | XMod4 | lock));
    EXPECT_TRUE(hotKey->setEnabled(true));
    EXPECT_TRUE(hotKey->setCollectiveEnabled(false));
    ASSERT_TRUE(other.grab(kXF5, XShift | XMod4));
    EXPECT_FALSE(hotKey->setCollectiveEnabled(true));
    EXPECT_FALSE(hotKey->collectiveEnable());
    other.ungrab(kXF5, XShift | XMod4);
}

// The archive the settings keep a combination in.
TEST(HxHotKeyEvent, ArchivesRoundTrip)
{
    QCborMap keyed;
    {
        const HxHotKeyEventPtr hotKey = HxHotKeyEvent::hotKeyWithKeyCode(kF5, Option | Shift);
        hotKey->setTarget(nullptr, "released:", "pressed:");
        hotKey->encodeWithCoder(keyed);
    }
    const HxHotKeyEventPtr h = HxHotKeyEvent::hotKeyWithCoder(keyed);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->keyCode(), kF5);
    EXPECT_EQ(h->modifierFlags(), Option | Shift);
    EXPECT_EQ(h->selectorPressed(), "pressed:");
    EXPECT_EQ(h->selectorReleased(), "released:");
}

TEST(HxHotKeyEvent, DispatchAndTargets)
{
    AssertionRecorder assertions;
    RecordingTarget target;
    const HxHotKeyEventPtr hotKey = HxHotKeyEvent::getHotKeyForKeyCode(kF5, Control | Shift);
    EXPECT_TRUE(hotKey->setTarget(&target, "released:", "pressed:"));
    // Events come in by signature and identifier; others are refused.
    const quint32 sig = HxHotKeyEvent::signature();
    const quint32 keyb = HxHotKeyEvent::kEventClassKeyboard;
    const struct
    {
        HxHotKeyNotice event;
        QString received;
    } events[] = {
        {{keyb, 5, true, sig, hotKey->hotKeyId()}, "pressed:/1"},
        {{keyb, 6, true, sig, hotKey->hotKeyId()}, "released:/2"},
        {{keyb, 5, true, sig, 0x7777}, ""},
        {{keyb, 5, true, sig + 1, hotKey->hotKeyId()}, ""},
        {{hxFourCharCode("mous"), 5, true, sig, hotKey->hotKeyId()}, ""},
    };
    for (const auto& e : events) {
        target.received.clear();
        HxHotKeyEvent::eventHandlerCallback(e.event);
        EXPECT_EQ(target.received.join(""), e.received);
    }
    EXPECT_EQ(hotKey->currentEventType(), 0);
    // A target that refuses to be replaced keeps the hot key.
    RecordingTarget other;
    target.allowChange = false;
    EXPECT_FALSE(hotKey->setTarget(&other, QStringLiteral("x:"), QString()));
    EXPECT_EQ(hotKey->target(), &target);
    target.allowChange = true;
    // A target that goes away leaves no dangling reference behind.
    {
        RecordingTarget shortLived;
        ASSERT_TRUE(hotKey->setTarget(&shortLived, "released:"));
    }
    EXPECT_EQ(hotKey->target(), nullptr);
    hotKey->performHotKeyPressed();
    hotKey->performHotKeyReleased();
}

namespace {

std::unique_ptr<HxKeyboardLayout> layoutFor(const QString& name)
{
    bool ok = false;
    XServer::instance().run(QStringLiteral("setxkbmap"), {name}, &ok);
    EXPECT_TRUE(ok) << qPrintable(name);
    return HxKeyboardLayout::fromCurrentLayout();
}

} // namespace

// Key codes name the same key on every layout; characters follow the layout.
TEST(HxKeyboardLayout, UsAndFrenchLayouts)
{
    const std::unique_ptr<HxKeyboardLayout> us = layoutFor(QStringLiteral("us"));
    ASSERT_TRUE(us);
    EXPECT_EQ(us->characterForKeyCode(15), QChar('R'));
    EXPECT_EQ(us->keyCodeForCharacter(QChar('r')), 15);
    EXPECT_EQ(us->keyCodeForCharacter(QChar('5')), 23);       // main row
    EXPECT_EQ(us->keyCodeForCharacter(QChar('5'), true), 87); // keypad
    EXPECT_EQ(us->keyCodeForCharacter(QChar('.'), true),
              65);                                        // of three keys, the lowest keypad one
    EXPECT_EQ(us->keyCodeForCharacter(QChar(0x00E9)), 0); // é: no key on this layout
    EXPECT_EQ(us->stringForKeyCode(123, Control | Command), "⌃⌘←");
    EXPECT_EQ(us->stringForKeyCode(15, Command | Shift | Option | Control), "⌃⌥⇧⌘R");
    EXPECT_EQ(us->stringForKeyCode(111, Option | Command), "⌥⌘F12");
    EXPECT_TRUE(us->stringForKeyCode(0x34, 0).isNull()); // a key code no keyboard has

    const std::unique_ptr<HxKeyboardLayout> fr = layoutFor(QStringLiteral("fr"));
    ASSERT_TRUE(fr);
    EXPECT_EQ(fr->keyCodeForCharacter(QChar('a')), 12); // the Q position
    EXPECT_EQ(fr->characterForKeyCode(12), QChar('A'));
    EXPECT_EQ(fr->stringForKeyCode(13, Command), "⌘Z");
    // Unshifted, only the keypad gives digits here.
    EXPECT_EQ(fr->keyCodeForCharacter(QChar('5')), 87);
    layoutFor(QStringLiteral("us"));
}

namespace {

constexpr quint32 kXR = 27; // X key codes of the fixture's keyboard
constexpr quint32 kXF1 = 67;

void press(QWidget* widget, quint32 xKeycode, Qt::KeyboardModifiers modifiers,
           const QString& text = {})
{
    QKeyEvent event(QEvent::KeyPress, 0, modifiers, xKeycode, 0, 0, text);
    QApplication::sendEvent(widget, &event);
}

} // namespace

TEST(HxHotKeyControl, CapturesCombinationsWhileSilencingHotKeys)
{
    const HxHotKeyEventPtr registered = HxHotKeyEvent::getHotKeyForKeyCode(8, Control | Option);
    ASSERT_TRUE(registered->setEnabled(true));

    HxHotKeyControl control;
    QPushButton toggle;
    toggle.setCheckable(true);
    QObject::connect(&toggle, &QPushButton::toggled, &control,
                     [&] { control.readyForHotKeyEventChanged(&toggle); });
    int activated = 0;
    QObject::connect(&control, &HxHotKeyControl::activated, [&] { ++activated; });

    toggle.setChecked(true);
    EXPECT_TRUE(control.readyForHotKeyEvent());
    EXPECT_FALSE(registered->reference()); // silenced while capturing

    press(&control, kXR, Qt::NoModifier, QStringLiteral("r")); // a plain letter is not a hot key
    EXPECT_EQ(activated, 0);
    press(&control, kXR, Qt::AltModifier, QStringLiteral("r"));
    EXPECT_EQ(activated, 1);
    EXPECT_EQ(control.keyCode(), 15);
    EXPECT_EQ(control.modifierFlags(), Option);
    EXPECT_EQ(control.text(), "Alt+R");
    EXPECT_FALSE(control.readyForHotKeyEvent());
    EXPECT_FALSE(toggle.isChecked());
    EXPECT_TRUE(registered->reference()); // awake again
    // Function keys need no modifier.
    toggle.setChecked(true);
    press(&control, kXF1, Qt::NoModifier);
    EXPECT_EQ(control.text(), QStringLiteral("F1"));
}
