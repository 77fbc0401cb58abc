// SPDX-License-Identifier: GPL-3.0-or-later
// Hot keys on the test display: the X11 grabs, the keyboard layout, the field
// that captures a combination, and combinations as the user reads them and
// the settings keep them.
#include "HotKeyTestSupport.h"
#include "hotkeys/HotKeyCombination.h"
#include "hotkeys/HotKeyField.h"
#include "hotkeys/KeyboardLayout.h"
#include "hotkeys/LegacyHotKeyArchive.h"
#include "hotkeys/X11ShortcutBackend.h"
#include "support/XServer.h"

#include <QApplication>
#include <QCborMap>
#include <QKeyEvent>
#include <gtest/gtest.h>

TEST(X11ShortcutBackend, GrabsUnderEveryLockStateAndARefusedGrabLeavesNothingGrabbed)
{
    OtherXClient other;
    ASSERT_TRUE(other.grab(kXF5, kXShift | kXSuper));
    LogRecorder log;
    X11ShortcutBackend backend;
    const QList<GlobalShortcut> shortcuts{{"free", "", Qt::CTRL | Qt::ALT | Qt::Key_F5},
                                          {"taken", "", Qt::META | Qt::SHIFT | Qt::Key_F5}};
    backend.bind(shortcuts);
    EXPECT_EQ(backend.keys("free"), "Ctrl+Alt+F5");
    for (quint16 lock : kXLockStates)
        EXPECT_FALSE(other.canGrab(kXF5, kXControl | kXAlt | lock)) << lock;
    EXPECT_TRUE(backend.isTaken("taken"));
    EXPECT_EQ(backend.keys("taken"), "");
    EXPECT_EQ(log.count("Enable Failed"), 1);
    other.ungrab(kXF5, kXShift | kXSuper);
    for (quint16 lock : kXLockStates)
        EXPECT_TRUE(other.canGrab(kXF5, kXShift | kXSuper | lock)) << lock;

    // While a field captures keys nothing is grabbed; after, everything is.
    backend.setSuspended(true);
    EXPECT_TRUE(other.canGrab(kXF5, kXControl | kXAlt));
    backend.setSuspended(false);
    EXPECT_FALSE(other.canGrab(kXF5, kXControl | kXAlt));
    EXPECT_FALSE(other.canGrab(kXF5, kXShift | kXSuper));
    EXPECT_EQ(backend.keys("taken"), "Super+Shift+F5");
    backend.unbind();
    EXPECT_TRUE(other.canGrab(kXF5, kXControl | kXAlt));
    EXPECT_TRUE(other.canGrab(kXF5, kXShift | kXSuper));
}

// A key is found where the layout puts it, and named by its label.
TEST(KeyboardLayout, UsAndFrenchLayouts)
{
    const struct
    {
        const char* layout;
        QKeyCombination key;
        quint32 xKeycode;
        bool labelled;
    } rows[] = {
        {"us", Qt::Key_R, kXR, true},
        {"us", Qt::Key_5, 14, true},
        {"us", Qt::KeypadModifier | Qt::Key_5, 84, true},
        {"us", Qt::Key_F1, kXF1, true},
        {"us", Qt::Key_Left, 113, true},
        {"us", Qt::Key_Exclam, 10, false}, // the 1 key, with Shift
        {"us", Qt::Key_Eacute, 0, false},  // no key of this layout
        {"fr", Qt::Key_A, 24, true},       // where the US layout has Q
        {"fr", Qt::Key_5, 14, false},      // with Shift only
        {"fr", Qt::Key_ParenLeft, 14, true},
    };
    for (const auto& row : rows) {
        bool ok = false;
        XServer::instance().run("setxkbmap", {row.layout}, &ok);
        ASSERT_TRUE(ok);
        const std::unique_ptr<KeyboardLayout> layout = KeyboardLayout::fromServer();
        ASSERT_TRUE(layout);
        EXPECT_EQ(layout->keycodeOf(row.key), row.xKeycode) << row.layout << row.xKeycode;
        if (row.labelled) {
            EXPECT_EQ(layout->keyAt(row.xKeycode), row.key) << row.layout << row.xKeycode;
        }
    }
    XServer::instance().run("setxkbmap", {"us"});
}

TEST(HotKeyField, CapturesTheLabelledKeyWithItsModifiers)
{
    HotKeyField field;
    QList<bool> capturing;
    QList<QKeyCombination> captured;
    QObject::connect(&field, &HotKeyField::capturingChanged, [&](bool on) { capturing << on; });
    QObject::connect(&field, &HotKeyField::captured,
                     [&](QKeyCombination combination) { captured << combination; });
    auto press = [&](quint32 xKeycode, Qt::KeyboardModifiers modifiers, const QString& text) {
        QKeyEvent event(QEvent::KeyPress, 0, modifiers, xKeycode, 0, 0, text);
        QApplication::sendEvent(&field, &event);
    };

    field.setCapturing(true);
    press(kXR, Qt::NoModifier, "r"); // a plain letter is no hot key
    EXPECT_TRUE(field.isCapturing());
    press(10, Qt::MetaModifier | Qt::ShiftModifier, "!"); // the 1 key
    EXPECT_EQ(captured, QList<QKeyCombination>{Qt::META | Qt::SHIFT | Qt::Key_1});
    EXPECT_EQ(field.text(), "Super+Shift+1");
    EXPECT_EQ(capturing, (QList<bool>{true, false}));
    // A function key needs no modifier.
    field.setCapturing(true);
    press(kXF1, Qt::NoModifier, "");
    EXPECT_EQ(field.text(), "F1");
}

TEST(HotKeyCombination, TextsValidityAndStoredForm)
{
    const struct
    {
        QKeyCombination keys;
        const char* text;
        bool valid;
    } rows[] = {
        {Qt::META | Qt::SHIFT | Qt::Key_R, "Super+Shift+R", true},
        {Qt::SHIFT | Qt::ALT | Qt::CTRL | Qt::META | Qt::Key_R, "Super+Ctrl+Alt+Shift+R", true},
        {Qt::Key_F12, "F12", true},
        {Qt::META | Qt::Key_Left, "Super+←", true},
        {Qt::CTRL | Qt::Key_Escape, "Ctrl+Esc", true},
        {Qt::CTRL | Qt::Key_Space, "Ctrl+Space", true},
        {Qt::ALT | Qt::Key_Eacute, "Alt+É", true},
        {Qt::MetaModifier | Qt::KeypadModifier | Qt::Key_5, "Super+5", true},
        {Qt::Key_R, "R", false},
        {Qt::KeypadModifier | Qt::Key_5, "5", false},
        {Qt::META | Qt::Key_Shift, nullptr, false},
        {Qt::MetaModifier | Qt::GroupSwitchModifier | Qt::Key_R, nullptr, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(HotKeyCombination::isValid(row.keys), row.valid) << row.keys.toCombined();
        if (row.text) {
            EXPECT_EQ(HotKeyCombination::text(row.keys), QString::fromUtf8(row.text));
        }
        if (row.valid) {
            EXPECT_EQ(
                HotKeyCombination::fromPortableText(HotKeyCombination::toPortableText(row.keys)),
                row.keys)
                << row.text;
        }
    }
    EXPECT_EQ(HotKeyCombination::toPortableText(Qt::META | Qt::ALT | Qt::Key_R), "Meta+Alt+R");
    EXPECT_FALSE(HotKeyCombination::fromPortableText("Meta+Alt+R, Meta+C"));
    EXPECT_FALSE(HotKeyCombination::fromPortableText("R"));
}

// What an earlier version stored is read where it holds a valid combination.
TEST(LegacyHotKeyArchive, KeyPositionsAndModifierBits)
{
    auto archive = [](qint64 keyCode, qint64 bits) {
        return QCborMap{{"KeyCodeKey", keyCode}, {"ModifierFlagsKey", bits}}.toCborValue().toCbor();
    };
    const struct
    {
        QByteArray bytes;
        std::optional<QKeyCombination> keys;
    } rows[] = {
        {archive(87, 0x100000), Qt::MetaModifier | Qt::KeypadModifier | Qt::Key_5},
        {archive(123, 0x060000), Qt::CTRL | Qt::SHIFT | Qt::Key_Left},
        {archive(15, 0), std::nullopt},        // a plain letter
        {archive(15, 0x300000), std::nullopt}, // an unknown modifier bit
        {archive(0x34, 0x100000), std::nullopt},
        {archive(-1, 0x100000), std::nullopt},
        {"not an archive", std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(readLegacyHotKeyArchive(row.bytes), row.keys) << row.bytes.toHex().constData();
}
