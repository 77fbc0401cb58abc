// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "widgets/AttachedSide.h"

#include <QPoint>
#include <QString>

// What the status icon needs of the window.
class StatusItemController
{
public:
    virtual ~StatusItemController() = default;
    // Opens the main window with its arrow at the point (screen coordinates),
    // on that side of it, or closes it when it is open.
    virtual void toggleAttachedWindowAtPoint(QPoint point, AttachedSide side) = 0;
    virtual bool isRecording() const = 0;
    // How long the running recording is, in seconds, as the clock shows it.
    virtual double recordingTime() const { return 0; }
    // Seconds until the running recording stops by itself; below 0 when it
    // has no length.
    virtual double recordingTimeLeft() const { return -1; }
    // The next planned recording, as the tool tip names it; empty for none.
    virtual QString nextPlanText() const { return {}; }
    // The description of the device the running recording records.
    virtual QString recordingDevice() const { return {}; }
};
