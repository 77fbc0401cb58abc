// SPDX-License-Identifier: GPL-3.0-or-later
// Hot keys on the test display: registration and dispatch, the keyboard
// layout, and the field that captures a combination.
#include "HotKeyTestSupport.h"
#include "hotkeys/HxHotKeyControl.h"
#include "hotkeys/HxHotKeyTargetList.h"
#include "hotkeys/HxKeyboardLayout.h"
#include "hotkeys/HxModifierFlags.h"
#include "support/XServer.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDataStream>
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

TEST(HxHotKeyEvent, IdentifiersAndModifierMappings)
{
    const HxHotKeyEventPtr r = HxHotKeyEvent::hotKeyWithKeyCode(15, Command | Shift);
    const HxHotKeyEventPtr c = HxHotKeyEvent::hotKeyWithKeyCode(8, 0x120000);
    ASSERT_TRUE(r && c);
    EXPECT_EQ(r->hotKeyId(), 0x12000Fu);
    EXPECT_EQ(c->hotKeyId(), 0x120008u);
    EXPECT_FALSE(r->isEqual(c.get()));
    EXPECT_TRUE(r->isEqual(r.get()));
    EXPECT_EQ(HxHotKeyEvent::findHotKeyForId(0x12000F), r);
    EXPECT_EQ(HxHotKeyEvent::findHotKeyForKeyCode(8, 0x120000), c);
    EXPECT_TRUE(HxHotKeyEvent::allHotKeyEvents().contains(r.get()));
    EXPECT_EQ(r->stringValue(), "⇧⌘R");
    EXPECT_EQ(r->character(), QChar('R'));
    r->setTarget(nullptr, "released:");
    EXPECT_EQ(r->description(), "{\n\tKey Combination: ⇧⌘R,\n\tEnabled: no\n"
                                "\tKey Press Selector: (null)\n"
                                "\tKey Release Selector: released:\n}\n");
    EXPECT_TRUE(HxHotKeyEvent::registryDescription().contains(r->description()));

    EXPECT_EQ(HxCarbonModifierFlagsForCocoaModifierFlags(0x120000), 0x300u);
    EXPECT_EQ(HxCocoaModifierFlagsForCarbonModifierFlags(0x1900), 0x1C0000u);
    // Caps lock (Carbon 0x400, Cocoa 1 << 16) and the numeric pad bit are dropped either way.
    EXPECT_EQ(HxCarbonModifierFlagsForCocoaModifierFlags(0x120000 | NumericPad | (1u << 16)),
              0x300u);
    EXPECT_EQ(HxCocoaModifierFlagsForCarbonModifierFlags(0x1900 | 0x400), 0x1C0000u);
}

TEST(HxHotKeyEvent, SignatureIsSetOnce)
{
    AssertionRecorder assertions;
    EXPECT_EQ(HxHotKeyEvent::signature(), hxFourCharCode("HxHK"));
    HxHotKeyEvent::setSignature(hxFourCharCode("HxHK"));
    EXPECT_TRUE(assertions.messages.isEmpty());
    HxHotKeyEvent::setSignature(hxFourCharCode("Hxhk"));
    EXPECT_EQ(assertions.messages,
              QStringList{"The signature used by HxHotKeyEvent can only be set once safely"});
    EXPECT_EQ(HxHotKeyEvent::signature(), hxFourCharCode("HxHK"));
}

TEST(HxHotKeyEvent, RegisteredExactlyWhenBothSwitchesAreOn)
{
    OtherXClient other;
    HxHotKeyEventPtr hotKey = HxHotKeyEvent::getHotKeyForKeyCode(kF5, kCtrlOpt);
    ASSERT_TRUE(hotKey);
    EXPECT_TRUE(hotKey->collectiveEnable());
    EXPECT_FALSE(hotKey->isEnabled());
    EXPECT_FALSE(hotKey->reference());
    EXPECT_TRUE(other.canGrab(kXF5, kXCtrlOpt));

    EXPECT_TRUE(hotKey->setEnabled(true));
    EXPECT_TRUE(hotKey->setEnabled(true));
    EXPECT_TRUE(hotKey->isEnabled());
    EXPECT_TRUE(hotKey->reference());
    EXPECT_TRUE(HxHotKeyEvent::isEnabledKeyCode(kF5, kCtrlOpt));
    // Held under every Lock and NumLock state.
    for (quint16 lock : {quint16(0), XLock, XMod2, quint16(XLock | XMod2)})
        EXPECT_FALSE(other.canGrab(kXF5, kXCtrlOpt | lock)) << lock;

    EXPECT_TRUE(hotKey->setCollectiveEnabled(false));
    EXPECT_FALSE(hotKey->reference());
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
    EXPECT_TRUE(idle->collectiveEnable());
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
    EXPECT_FALSE(hotKey->isEnabled());
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
    EXPECT_EQ(log.count(QStringLiteral("enable failed")), 1);
    EXPECT_FALSE(hotKey->collectiveEnable());
    other.ungrab(kXF5, XShift | XMod4);
}

TEST(HxHotKeyEvent, GetOrCreateAndDuplicates)
{
    AssertionRecorder assertions;
    const HxHotKeyEventPtr first = HxHotKeyEvent::getHotKeyForKeyCode(kF5, Command);
    EXPECT_EQ(HxHotKeyEvent::getHotKeyForKeyCode(kF5, Command), first);
    EXPECT_EQ(HxHotKeyEvent::getHotKeyForKeyCode(kF5, QChar('x'), Command), first);
    EXPECT_TRUE(assertions.messages.isEmpty());

    EXPECT_FALSE(HxHotKeyEvent::hotKeyWithKeyCode(kF5, Command));
    ASSERT_EQ(assertions.messages.size(), 1);
    EXPECT_TRUE(assertions.messages[0].startsWith("Invalid parameter not satisfying: "));
    EXPECT_EQ(HxHotKeyEvent::findHotKeyForKeyCode(kF5, Command), first);

    EXPECT_FALSE(HxHotKeyEvent::create());
    EXPECT_EQ(assertions.messages.last(), "You can not initialize a Hot Key with the init method");

    first->removeHotKey();
    EXPECT_FALSE(HxHotKeyEvent::findHotKeyForKeyCode(kF5, Command));
    first->removeHotKey();
    EXPECT_TRUE(assertions.messages.last().startsWith("Invalid parameter not satisfying: "));
    EXPECT_EQ(assertions.messages.size(), 3);
}

TEST(HxHotKeyEvent, CharactersAndKeyEventsNameKeysOfTheLayout)
{
    const HxHotKeyEventPtr byCharacter =
        HxHotKeyEvent::getHotKeyForKeyCharacter(QChar('r'), Command | Option);
    ASSERT_TRUE(byCharacter);
    EXPECT_EQ(byCharacter->keyCode(), 15);
    EXPECT_EQ(HxHotKeyEvent::getHotKeyForKeyCode(15, Command | Option), byCharacter);
    EXPECT_EQ(HxHotKeyEvent::findHotKeyForKeyCharacter(QChar('R'), Command | Option), byCharacter);
    EXPECT_FALSE(HxHotKeyEvent::isEnabledKeyCharacter(QChar('r'), Command | Option));
    ASSERT_TRUE(byCharacter->setEnabled(true));
    EXPECT_TRUE(HxHotKeyEvent::isEnabledKeyCharacter(QChar('r'), Command | Option));
    const HxHotKeyEventPtr keypad =
        HxHotKeyEvent::hotKeyWithKeyCharacter(QChar('5'), Control | NumericPad);
    ASSERT_TRUE(keypad);
    EXPECT_EQ(keypad->keyCode(), 87);
    // X key code 27 is R; Qt's Meta is Command; the keypad bit is not part of a combination.
    const QKeyEvent press(QEvent::KeyPress, Qt::Key_R,
                          Qt::MetaModifier | Qt::ShiftModifier | Qt::KeypadModifier, 27, 0, 0);
    const HxHotKeyEventPtr byEvent = HxHotKeyEvent::hotKeyWithEvent(press);
    ASSERT_TRUE(byEvent);
    EXPECT_EQ(byEvent->hotKeyId(), 0x12000Fu);
}

TEST(HxHotKeyEvent, ArchivesRoundTrip)
{
    QVariantMap plist;
    QCborMap keyed;
    QByteArray sequential;
    {
        const HxHotKeyEventPtr hotKey =
            HxHotKeyEvent::hotKeyWithKeyCode(kF5, Option | Shift, nullptr, "released:");
        hotKey->setTarget(nullptr, "released:", "pressed:");
        plist = hotKey->propertyList();
        hotKey->encodeWithCoder(keyed);
        QDataStream out(&sequential, QIODevice::WriteOnly);
        hotKey->encodeWithCoder(out);
    }
    EXPECT_EQ(plist.value("KeyCodeKey").toUInt(), kF5);
    EXPECT_EQ(plist.value("ModifierFlagsKey").toUInt(), Option | Shift);
    EXPECT_EQ(plist.value("SelectorPressedCodeKey").toString(), "pressed:");
    EXPECT_EQ(plist.value("SelectorReleasedCodeKey").toString(), "released:");

    const auto check = [](const HxHotKeyEventPtr& h, bool archived) {
        ASSERT_TRUE(h);
        EXPECT_EQ(h->keyCode(), kF5);
        EXPECT_EQ(h->modifierFlags(), Option | Shift);
        EXPECT_EQ(h->selectorPressed(), "pressed:");
        EXPECT_EQ(h->selectorReleased(), "released:");
        EXPECT_EQ(h->target(), nullptr);
        EXPECT_EQ(h->collectiveEnable(), !archived); // archives start with both switches clear
    };
    check(HxHotKeyEvent::hotKeyWithPropertyList(plist), false);
    check(HxHotKeyEvent::hotKeyWithCoder(keyed), true);
    QDataStream in(sequential);
    check(HxHotKeyEvent::hotKeyWithCoder(in), true);
    EXPECT_FALSE(HxHotKeyEvent::hotKeyWithPropertyList({}));
    // The old class name at version 0 has a character after the key code.
    QByteArray old;
    {
        QDataStream out(&old, QIODevice::WriteOnly);
        out << QStringLiteral("HxHotKeyNoEvent") << qint32(0) << kF5 << quint16('x')
            << quint32(Option | Shift) << QString("released:") << QString("pressed:");
    }
    QDataStream oldIn(old);
    check(HxHotKeyEvent::hotKeyWithCoder(oldIn), true);
    // A cut-off archive gives no hot key.
    QDataStream truncated(sequential.left(sequential.size() - 6));
    EXPECT_FALSE(HxHotKeyEvent::hotKeyWithCoder(truncated));
}

TEST(HxHotKeyEvent, DispatchAndTargets)
{
    AssertionRecorder assertions;
    RecordingTarget target;
    const HxHotKeyEventPtr hotKey = HxHotKeyEvent::getHotKeyForKeyCode(kF5, Control | Shift);
    EXPECT_TRUE(hotKey->setTarget(&target, "released:", "pressed:"));
    hotKey->performHotKeyPressed();
    hotKey->performHotKeyReleased();
    EXPECT_EQ(target.received, (QStringList{"pressed:/1", "released:/2"}));
    EXPECT_EQ(hotKey->currentEventType(), 0);
    // Events come in by signature and identifier.
    const quint32 sig = HxHotKeyEvent::signature();
    const quint32 keyb = HxHotKeyEvent::kEventClassKeyboard;
    EXPECT_EQ(HxHotKeyEvent::eventHandlerCallback({keyb, 5, true, sig, hotKey->hotKeyId()}), 0);
    EXPECT_EQ(HxHotKeyEvent::eventHandlerCallback({keyb, 6, true, sig, hotKey->hotKeyId()}), 0);
    EXPECT_EQ(HxHotKeyEvent::eventHandlerCallback({keyb, 7, true, sig, hotKey->hotKeyId()}), 0);
    EXPECT_EQ(HxHotKeyEvent::eventHandlerCallback({keyb, 5, true, sig, 0x7777}), 0);
    EXPECT_EQ(HxHotKeyEvent::eventHandlerCallback({keyb, 5, false, 0, 0}),
              HxHotKeyEvent::kEventParameterNotFound);
    EXPECT_EQ(target.received.size(), 4);
    EXPECT_TRUE(assertions.messages.isEmpty());
    HxHotKeyEvent::eventHandlerCallback({hxFourCharCode("mous"), 5, true, sig, hotKey->hotKeyId()});
    HxHotKeyEvent::eventHandlerCallback({keyb, 5, true, sig + 1, hotKey->hotKeyId()});
    EXPECT_EQ(assertions.messages, (QStringList{"Got event that is not a hot key event",
                                                "Got hot key event with wrong signature"}));
    EXPECT_EQ(target.received.size(), 4);
    // A target that does not take the action and is no collection: nothing happens.
    RecordingTarget deaf{QStringList()};
    ASSERT_TRUE(hotKey->setTarget(&deaf, "released:", "pressed:"));
    hotKey->performHotKeyPressed();
    EXPECT_EQ(hotKey->currentEventType(), 0);
    // A collection passes the action to the elements that take it.
    RecordingTarget other;
    HxHotKeyTargetList list;
    list.append(&target);
    list.append(&deaf);
    list.append(&other);
    ASSERT_TRUE(hotKey->setTarget(&list, "released:", "pressed:"));
    hotKey->performHotKeyPressed();
    EXPECT_EQ(target.received.last(), "pressed:/1");
    EXPECT_EQ(other.received, QStringList{"pressed:/1"});
    EXPECT_TRUE(deaf.received.isEmpty());
    list.remove(&other);
    // A target that refuses to be replaced keeps the hot key; the same target again leaves it
    // disabled.
    ASSERT_TRUE(hotKey->setTarget(&target, "released:", "pressed:"));
    target.allowChange = false;
    EXPECT_FALSE(hotKey->setTarget(&other, QStringLiteral("x:"), QString()));
    EXPECT_EQ(hotKey->target(), &target);
    EXPECT_EQ(hotKey->selectorPressed(), "pressed:");
    target.allowChange = true;
    ASSERT_TRUE(hotKey->setEnabled(true));
    EXPECT_TRUE(hotKey->setTarget(&target, "released:"));
    EXPECT_EQ(hotKey->target(), &target);
    EXPECT_EQ(hotKey->selectorPressed(), QString());
    EXPECT_FALSE(hotKey->isEnabled());
    EXPECT_FALSE(hotKey->reference());
    // A target that goes away leaves no dangling reference behind.
    {
        RecordingTarget shortLived;
        ASSERT_TRUE(hotKey->setTarget(&shortLived, "released:"));
    }
    EXPECT_EQ(hotKey->target(), nullptr);
    hotKey->performHotKeyPressed();
    hotKey->performHotKeyReleased();
    EXPECT_EQ(assertions.messages.mid(2),
              (QStringList{"HxHotKeyEvent tried to perfrom press with no target",
                           "HxHotKeyEvent tried to perfrom release with no target"}));
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

TEST(HxKeyboardLayout, UsLayout)
{
    const std::unique_ptr<HxKeyboardLayout> us = layoutFor(QStringLiteral("us"));
    ASSERT_TRUE(us);
    EXPECT_EQ(us->characterForKeyCode(15), QChar('R'));
    EXPECT_EQ(us->keyCodeForCharacter(QChar('r')), 15);
    EXPECT_EQ(us->keyCodeForCharacter(QChar('R')), 15);
    EXPECT_EQ(us->keyCodeForCharacter(QChar('c')), 8);
    EXPECT_EQ(us->keyCodeForCharacter(QChar('5')), 23);       // main row
    EXPECT_EQ(us->keyCodeForCharacter(QChar('5'), true), 87); // keypad
    EXPECT_EQ(us->keyCodeForCharacter(QChar('/')), 44);
    EXPECT_EQ(us->keyCodeForCharacter(QChar('/'), true), 75);
    EXPECT_EQ(us->keyCodeForCharacter(QChar('.'), true),
              65);                                        // of three keys, the lowest keypad one
    EXPECT_EQ(us->keyCodeForCharacter(QChar(0x00E9)), 0); // é: no key on this layout
    EXPECT_EQ(us->keyCodeForCharacter(QChar(0xF704)), 122);
    EXPECT_EQ(us->characterForKeyCode(122), QChar(0xF704));
    EXPECT_EQ(us->stringForCharacter(QChar('5'), Command | NumericPad), "⌘5");

    EXPECT_EQ(us->stringForKeyCode(123, Control | Command), "⌃⌘←");
    EXPECT_EQ(us->stringForKeyCode(15, 0), QStringLiteral("R"));
    EXPECT_EQ(us->stringForKeyCode(15, Command | Shift | Option | Control), "⌃⌥⇧⌘R");
    EXPECT_EQ(us->stringForKeyCode(111, Option | Command), "⌥⌘F12");
    EXPECT_EQ(us->stringForKeyCode(18, Shift | Command), "⇧⌘1");
    EXPECT_TRUE(us->stringForKeyCode(0x34, 0).isNull()); // a key code no keyboard has
    // The reverse table: sorted, one entry per key.
    const auto& mappings = us->mappings();
    ASSERT_GT(mappings.size(), 60u);
    for (size_t i = 1; i < mappings.size(); ++i) {
        const auto& a = mappings[i - 1];
        const auto& b = mappings[i];
        EXPECT_TRUE(a.character < b.character ||
                    (a.character == b.character && a.isKeyPad <= b.isKeyPad));
        EXPECT_NE(a.keyCode, b.keyCode);
    }
}

TEST(HxKeyboardLayout, SpecialKeys)
{
    const auto* first = HxKeyboardLayout::unmappedEntryForKeyCode(51);
    const auto* last = HxKeyboardLayout::unmappedEntryForKeyCode(126);
    ASSERT_TRUE(first && last);
    EXPECT_EQ(first->character, 0xF728);
    EXPECT_EQ(last->character, 0xF700);
    EXPECT_EQ(HxKeyboardLayout::unmappedEntryForKeyCode(52), nullptr);
    EXPECT_EQ(HxKeyboardLayout::unmappedEntryForKeyCode(0), nullptr);
    EXPECT_EQ(HxKeyboardLayout::unmappedEntryForKeyCode(127), nullptr);
    EXPECT_EQ(HxKeyboardLayout::characterForModifierFlags(Command | Shift | Option | Control),
              "⌃⌥⇧⌘");
}

TEST(HxKeyboardLayout, FrenchLayoutMovesLetters)
{
    const std::unique_ptr<HxKeyboardLayout> fr = layoutFor(QStringLiteral("fr"));
    ASSERT_TRUE(fr);
    EXPECT_EQ(fr->keyCodeForCharacter(QChar('a')), 12); // the Q position
    EXPECT_EQ(fr->keyCodeForCharacter(QChar('q')), 0);  // the A position
    EXPECT_EQ(fr->characterForKeyCode(12), QChar('A'));
    EXPECT_EQ(fr->characterForKeyCode(15), QChar('R'));
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
    ASSERT_TRUE(registered->reference());

    HxHotKeyControl control;
    QPushButton toggle;
    toggle.setCheckable(true);
    QObject::connect(&toggle, &QPushButton::toggled, &control,
                     [&] { control.readyForHotKeyEventChanged(&toggle); });
    int activated = 0;
    QObject::connect(&control, &HxHotKeyControl::activated, [&] { ++activated; });
    EXPECT_TRUE(control.isReadOnly());
    EXPECT_TRUE(control.requiresModifierKeys());
    EXPECT_FALSE(control.readyForHotKeyEvent());

    control.setText(QStringLiteral("old"));
    toggle.setChecked(true);
    EXPECT_TRUE(control.readyForHotKeyEvent());
    EXPECT_TRUE(control.text().isEmpty());
    EXPECT_FALSE(registered->reference()); // silenced while capturing
    EXPECT_TRUE(registered->individualEnable());

    press(&control, kXR, Qt::NoModifier, QStringLiteral("r")); // a plain letter is not a hot key
    EXPECT_EQ(activated, 0);
    EXPECT_TRUE(control.readyForHotKeyEvent());

    press(&control, kXR, Qt::AltModifier, QStringLiteral("r"));
    EXPECT_EQ(activated, 1);
    EXPECT_EQ(control.keyCode(), 15);
    EXPECT_EQ(control.modifierFlags(), Option);
    EXPECT_EQ(control.text(), "Alt+R");
    EXPECT_EQ(control.character(), QChar('R'));
    EXPECT_FALSE(control.readyForHotKeyEvent());
    EXPECT_FALSE(toggle.isChecked());
    EXPECT_TRUE(registered->reference()); // awake again
    EXPECT_EQ(control.hotKeyEvent(), HxHotKeyEvent::getHotKeyForKeyCode(15, Option));
    // Function keys need no modifier; staying ready takes several combinations.
    control.setStayReadyForEvent(true);
    toggle.setChecked(true);
    press(&control, kXF1, Qt::NoModifier);
    EXPECT_EQ(control.keyCode(), 122);
    EXPECT_EQ(control.text(), QStringLiteral("F1"));
    press(&control, kXR, Qt::MetaModifier | Qt::ShiftModifier, QStringLiteral("R"));
    EXPECT_EQ(control.text(), "Super+Shift+R");
    EXPECT_EQ(activated, 3);
    EXPECT_TRUE(control.readyForHotKeyEvent());
    toggle.setChecked(false);
    EXPECT_FALSE(control.readyForHotKeyEvent());
    EXPECT_TRUE(registered->reference());
    // Without modifier requirement a plain letter is taken.
    control.setRequiresModifierKeys(false);
    control.setStayReadyForEvent(false);
    control.setReadyForHotKeyEvent(true);
    press(&control, kXR, Qt::NoModifier, QStringLiteral("r"));
    EXPECT_EQ(control.text(), QStringLiteral("R"));
    EXPECT_FALSE(control.readyForHotKeyEvent());
}

TEST(HxHotKeyControl, ButtonGroupAndOtherSenders)
{
    HxHotKeyControl control;
    QButtonGroup group;
    QPushButton a;
    QPushButton b;
    a.setCheckable(true);
    b.setCheckable(true);
    group.addButton(&a);
    group.addButton(&b);
    group.setExclusive(false);
    b.setChecked(true);
    control.readyForHotKeyEventChanged(&group);
    EXPECT_TRUE(control.readyForHotKeyEvent());
    control.setReadyForHotKeyEvent(false);
    EXPECT_FALSE(b.isChecked()); // the button that started capturing is switched off

    QObject unrelated;
    control.readyForHotKeyEventChanged(&unrelated);
    EXPECT_FALSE(control.readyForHotKeyEvent());
}
