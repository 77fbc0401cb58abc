// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/HxHotKeyControl.h"

#include "HotKeyTestSupport.h"
#include "hotkeys/HxModifierFlags.h"

#include <QApplication>
#include <QButtonGroup>
#include <QKeyEvent>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace HxModifierFlags;

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
    EXPECT_EQ(control.text(), QStringLiteral("Alt+R"));
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
    EXPECT_EQ(control.text(), QStringLiteral("Super+Shift+R"));
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
