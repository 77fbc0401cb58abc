// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QObject;

// What the application hot keys need of the application: whether it records,
// whether that recording continues an existing one, and the two recording
// actions. The application controller implements it.
class HotKeyController
{
public:
    virtual ~HotKeyController();

    virtual bool isRecording() const = 0;
    virtual bool continueRecording() const = 0;
    // Starts a new recording, or stops the running new recording.
    virtual void startStopRecording(QObject* sender = nullptr) = 0;
    // Continues the chief selected recording, or stops the running continuation.
    virtual void resumeStopRecording(QObject* sender = nullptr) = 0;
};
