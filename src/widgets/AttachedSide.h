// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

// Where an attached window lies relative to the point it is attached to; its
// arrow sits on the opposite edge and points at the point.
enum AttachedSide : qint32
{
    AttachedSideLeft = 0,
    AttachedSideBottom = 1,
    AttachedSideRight = 2,
    AttachedSideTop = 3,
    AttachedSideLeftTop = 4,
    AttachedSideLeftBottom = 5,
    AttachedSideRightTop = 6,
    AttachedSideRightBottom = 7,
    AttachedSideTopLeft = 8,
    AttachedSideTopRight = 9,
    AttachedSideBottomLeft = 10,
    AttachedSideBottomRight = 11,
    AttachedSideAutomatic = 12,
};

// The four groups of sides: the edge of the window that carries the arrow
// strip is the same within a group.
enum class AttachedSideGroup
{
    Left,
    Bottom,
    Right,
    Top
};

inline AttachedSideGroup attachedSideGroup(AttachedSide side)
{
    switch (side) {
    case AttachedSideLeft:
    case AttachedSideLeftTop:
    case AttachedSideLeftBottom:
        return AttachedSideGroup::Left;
    case AttachedSideRight:
    case AttachedSideRightTop:
    case AttachedSideRightBottom:
        return AttachedSideGroup::Right;
    case AttachedSideTop:
    case AttachedSideTopLeft:
    case AttachedSideTopRight:
        return AttachedSideGroup::Top;
    default:
        return AttachedSideGroup::Bottom;
    }
}
