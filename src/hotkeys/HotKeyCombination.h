// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// A key combination of an application hot key as the user chooses and the
// settings keep it: a virtual key code and the Shift, Control, Option
// (Alt) and Command (Super) bits. Main thread only (the texts read the
// keyboard layout).
struct HotKeyCombination
{
    quint16 keyCode = 0;
    quint32 modifierFlags = 0;

    bool operator==(const HotKeyCombination&) const = default;

    // A key the keyboard has, with modifier bits only, and with a modifier
    // unless the key gives no character (a function key).
    bool isValid() const;
    // As the user reads it: "Super+Shift+R".
    QString text() const;
    // As the desktop's shortcuts portal takes it: "LOGO+SHIFT+r".
    QString portalTrigger() const;
    // The hot key registry's keyed archive of the combination, as bytes.
    QByteArray archive() const;
    // The combination of such bytes, or nothing when they hold no valid one.
    static std::optional<HotKeyCombination> fromArchive(const QByteArray& bytes);
};
