// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QPalette>
#include <QString>

class QWidget;

// The dark translucent look of the pop-up window's controls: buttons, check
// boxes, sliders, scroll bars, text fields, pop-up menus and tool tips.
// Main thread only.
class DarkTheme
{
public:
    static QColor accent() { return QColor(0x3d, 0x8b, 0xff); }
    static QPalette palette();
    static QString styleSheet();
    // Applies the palette and the style sheet to the widget and its children.
    static void apply(QWidget* root);
    // Applies them to the whole application, with the Fusion style beneath
    // so that the look does not depend on the desktop's style.
    static void applyToApplication();
};
