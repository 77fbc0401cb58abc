// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "widgets/AttachedSide.h"

#include <QPoint>
#include <QRect>
#include <optional>

// Where the main window hangs from the status icon: the point its arrow
// points at, the side of that point it lies on (away from the panel), and
// the work area of the icon's screen (the screen less the panels' strips),
// which the window must stay inside.
struct TrayAnchor
{
    QPoint point;
    AttachedSide side = AttachedSideBottom;
    QRect workArea;

    // For the icon's frame on a screen with the given geometry and work area.
    // A tray over D-Bus does not tell where its icon is (an empty frame): the
    // anchor is then, for a click, the pointer's place on the panel, and
    // otherwise the corner of the work area where trays sit on the panel's
    // edge (the right end of a horizontal panel, the bottom of a vertical
    // one), never the pointer. The panel's edge is the one whose strip the
    // icon or the pointer lies in, else the widest strip, else the top.
    static TrayAnchor compute(const QRect& icon, const std::optional<QPoint>& click,
                              const QRect& screen, const QRect& workArea);
    // The same on the screen that holds the icon (or the click, or the primary one).
    static TrayAnchor forIcon(const QRect& icon, const std::optional<QPoint>& click);
};
