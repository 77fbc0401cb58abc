// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/HxKeyboardLayout.h"

#include "hotkeys/HxModifierFlags.h"
#include "support/XServer.h"

#include <gtest/gtest.h>

using namespace HxModifierFlags;

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
    EXPECT_EQ(us->stringForCharacter(QChar('5'), Command | NumericPad), QString::fromUtf8("⌘5"));

    EXPECT_EQ(us->stringForKeyCode(123, Control | Command), QString::fromUtf8("⌃⌘←"));
    EXPECT_EQ(us->stringForKeyCode(15, 0), QStringLiteral("R"));
    EXPECT_EQ(us->stringForKeyCode(15, Command | Shift | Option | Control),
              QString::fromUtf8("⌃⌥⇧⌘R"));
    EXPECT_EQ(us->stringForKeyCode(111, Option | Command), QString::fromUtf8("⌥⌘F12"));
    EXPECT_EQ(us->stringForKeyCode(18, Shift | Command), QString::fromUtf8("⇧⌘1"));
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
              QString::fromUtf8("⌃⌥⇧⌘"));
}

TEST(HxKeyboardLayout, FrenchLayoutMovesLetters)
{
    const std::unique_ptr<HxKeyboardLayout> fr = layoutFor(QStringLiteral("fr"));
    ASSERT_TRUE(fr);
    EXPECT_EQ(fr->keyCodeForCharacter(QChar('a')), 12); // the Q position
    EXPECT_EQ(fr->keyCodeForCharacter(QChar('q')), 0);  // the A position
    EXPECT_EQ(fr->characterForKeyCode(12), QChar('A'));
    EXPECT_EQ(fr->characterForKeyCode(15), QChar('R'));
    EXPECT_EQ(fr->stringForKeyCode(13, Command), QString::fromUtf8("⌘Z"));
    // Unshifted, only the keypad gives digits here.
    EXPECT_EQ(fr->keyCodeForCharacter(QChar('5')), 87);
    layoutFor(QStringLiteral("us"));
}
