// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/HxHotKeyEvent.h"

#include "HotKeyTestSupport.h"
#include "hotkeys/HxHotKeyTargetList.h"
#include "hotkeys/HxModifierFlags.h"

#include <QBuffer>
#include <QDataStream>
#include <QKeyEvent>
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
    EXPECT_EQ(r->hash(), 15u ^ 0x120000u);
    EXPECT_FALSE(r->isEqual(c.get()));
    EXPECT_TRUE(r->isEqual(r.get()));
    EXPECT_EQ(HxHotKeyEvent::findHotKeyForId(0x12000F), r);
    EXPECT_EQ(HxHotKeyEvent::findHotKeyForKeyCode(8, 0x120000), c);

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
        const HxHotKeyEventPtr hotKey = HxHotKeyEvent::hotKeyWithKeyCode(
            kF5, Option | Shift, nullptr, QStringLiteral("released:"));
        hotKey->setTarget(nullptr, QStringLiteral("released:"), QStringLiteral("pressed:"));
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
            << quint32(Option | Shift) << QStringLiteral("released:") << QStringLiteral("pressed:");
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
    EXPECT_TRUE(
        hotKey->setTarget(&target, QStringLiteral("released:"), QStringLiteral("pressed:")));
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
    ASSERT_TRUE(hotKey->setTarget(&deaf, QStringLiteral("released:"), QStringLiteral("pressed:")));
    hotKey->performHotKeyPressed();
    EXPECT_EQ(hotKey->currentEventType(), 0);

    // A collection passes the action to the elements that take it.
    RecordingTarget other;
    HxHotKeyTargetList list;
    list.append(&target);
    list.append(&deaf);
    list.append(&other);
    ASSERT_TRUE(hotKey->setTarget(&list, QStringLiteral("released:"), QStringLiteral("pressed:")));
    hotKey->performHotKeyPressed();
    EXPECT_EQ(target.received.last(), "pressed:/1");
    EXPECT_EQ(other.received, QStringList{"pressed:/1"});
    EXPECT_TRUE(deaf.received.isEmpty());
    list.remove(&other);

    // A target that refuses to be replaced keeps the hot key; the same target again leaves it
    // disabled.
    ASSERT_TRUE(
        hotKey->setTarget(&target, QStringLiteral("released:"), QStringLiteral("pressed:")));
    target.allowChange = false;
    EXPECT_FALSE(hotKey->setTarget(&other, QStringLiteral("x:"), QString()));
    EXPECT_EQ(hotKey->target(), &target);
    EXPECT_EQ(hotKey->selectorPressed(), "pressed:");
    target.allowChange = true;
    ASSERT_TRUE(hotKey->setEnabled(true));
    EXPECT_TRUE(hotKey->setTarget(&target, QStringLiteral("released:")));
    EXPECT_EQ(hotKey->target(), &target);
    EXPECT_EQ(hotKey->selectorPressed(), QString());
    EXPECT_FALSE(hotKey->isEnabled());
    EXPECT_FALSE(hotKey->reference());

    // A target that goes away leaves no dangling reference behind.
    {
        RecordingTarget shortLived;
        ASSERT_TRUE(hotKey->setTarget(&shortLived, QStringLiteral("released:")));
    }
    EXPECT_EQ(hotKey->target(), nullptr);
    hotKey->performHotKeyPressed();
    hotKey->performHotKeyReleased();
    EXPECT_EQ(assertions.messages.mid(2),
              (QStringList{"HxHotKeyEvent tried to perfrom press with no target",
                           "HxHotKeyEvent tried to perfrom release with no target"}));
}

TEST(HxHotKeyEvent, Description)
{
    const HxHotKeyEventPtr hotKey =
        HxHotKeyEvent::hotKeyWithKeyCode(15, Command | Shift, nullptr, "released:");
    EXPECT_EQ(hotKey->stringValue(), QString::fromUtf8("⇧⌘R"));
    EXPECT_EQ(hotKey->character(), QChar('R'));
    EXPECT_EQ(hotKey->description(), QString::fromUtf8("{\n\tKey Combination: ⇧⌘R,\n\tEnabled: no\n"
                                                       "\tKey Press Selector: (null)\n"
                                                       "\tKey Release Selector: released:\n}\n"));
    EXPECT_TRUE(HxHotKeyEvent::registryDescription().contains(hotKey->description()));
    EXPECT_TRUE(HxHotKeyEvent::allHotKeyEvents().contains(hotKey.get()));
}
