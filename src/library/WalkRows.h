// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/RecGroup.h"

#include <type_traits>

// What a visit of walkRows() answers for the row it was given.
enum class Walk
{
    Into, // go on, into the rows of a category
    Over, // go on, passing over the rows of a category
    Stop, // end the walk
};

// Visits the rows below the group depth first, in the order the outline
// shows them, each category before its rows. The visitor takes a
// GeneralRecItem* and answers a Walk, or nothing to go on into every
// category; it must not add or remove rows. Answers false when stopped.
template <typename Visit> bool walkRows(const RecGroup* group, Visit&& visit)
{
    if (!group)
        return true;
    for (GeneralRecItem* row : group->subItems()) {
        Walk step = Walk::Into;
        if constexpr (std::is_void_v<std::invoke_result_t<Visit&, GeneralRecItem*>>)
            visit(row);
        else
            step = visit(row);
        if (step == Walk::Stop)
            return false;
        if (step == Walk::Into && row->isGroup() &&
            !walkRows(static_cast<const RecGroup*>(row), visit))
            return false;
    }
    return true;
}
