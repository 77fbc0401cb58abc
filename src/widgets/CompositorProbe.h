// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Tells whether the desktop composites translucent windows. Without a
// compositor a translucent window shows black where it should be clear, so
// shaped windows fall back to a mask.
class CompositorProbe
{
public:
    // Main thread only.
    static bool isCompositing();
};
