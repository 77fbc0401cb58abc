// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// What the preferences page asks of its controller: it stores
// every changed setting and applies it to the recorder, and it runs the
// capture that feeds the level meter. Main thread only.
class PreferencesDelegate
{
public:
    virtual ~PreferencesDelegate() = default;
    virtual void setInputDevice(const QString& name) = 0;
    // The user picked another folder for the recordings.
    virtual void outputFolderChanged(const QString& path) = 0;
    virtual void setSkipSilence(bool skip) = 0;
    virtual void setSoundThreshold(float threshold) = 0;
    virtual void setUseHotKeys(bool use) = 0;
    // 1 (low), 2 (middle) or 3 (high).
    virtual void setRecQuality(int quality) = 0;
    // Seconds kept from before a recording starts; 0 is off.
    virtual void setPreRoll(int) {}
    // A real recording runs (the meter's own capture does not count).
    virtual bool isRecording() const = 0;
    // Capture without writing, so that the input level can be shown.
    virtual void startPseudoRecord() = 0;
    virtual void stopPseudoRecord() = 0;
    // Peak-to-peak level of the last captured buffer.
    virtual float inputLevel() const = 0;
};
