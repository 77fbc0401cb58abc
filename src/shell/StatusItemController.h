// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>

// What the status icon needs of the application controller.
class StatusItemController
{
public:
    virtual ~StatusItemController() = default;
    // Opens the main window with its arrow at the point (screen coordinates),
    // or closes it when it is open.
    virtual void toggleAttachedWindowAtPoint(QPoint point) = 0;
    virtual bool isRecording() const = 0;
};
