// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QPainter;
class QWidget;

// The ring an image button of the dark toolbar draws around itself while it
// has the keyboard focus, in the theme's highlight colour. Main thread only.
class FocusRing
{
public:
    static void paint(QPainter& painter, const QWidget* widget);
};
