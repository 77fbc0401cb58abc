// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class GeneralRecItem;
class QWidget;

// What the playback controller, the navigator strip and the clock ask of the
// window that shows it. Main thread only.
class PlaybackDelegate
{
public:
    virtual ~PlaybackDelegate() = default;
    // The path of a recording's file; empty when it has none.
    virtual QString restorePath(const GeneralRecItem* item) const = 0;
    // A saved value changed: save the library.
    virtual void structChanged() = 0;
    // The player, the recorder or the marks changed: refresh the toolbar.
    virtual void updateButtonsState() = 0;
    // A recording is being made or continued.
    virtual bool isRecording() const = 0;
    // The engine is dropping silence right now, so the recording does not grow.
    virtual bool isSkipSilence() const = 0;
    // The loudest level written to the recording since the last call (largest
    // minus smallest sample of a buffer), for the live waveform; negative
    // when nothing was written since.
    virtual float takeRecordedLevel() { return -1; }
    // The main pop-up window; note pop-ups are attached to it. May be null.
    virtual QWidget* window() const = 0;
};
