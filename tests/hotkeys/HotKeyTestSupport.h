// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "hotkeys/HotKeyController.h"
#include "hotkeys/HxAssertion.h"
#include "hotkeys/HxHotKeyTarget.h"

#include <QString>
#include <QStringList>

// Collects the assertion reports raised while it lives.
class AssertionRecorder
{
public:
    AssertionRecorder();
    ~AssertionRecorder();
    QStringList messages;

private:
    HxAssertion::Handler m_previous;
};

// Collects the log messages written while it lives.
class LogRecorder
{
public:
    LogRecorder();
    ~LogRecorder();
    QStringList messages() const;
    int count(const QString& message) const;
};

// The application as the hot keys see it: a recorder that starts new
// recordings and continuations, and the list of actions it received.
class RecordingController : public HotKeyController
{
public:
    bool isRecording() const override { return m_recording; }
    bool continueRecording() const override { return m_continuation; }
    void startStopRecording(QObject*) override;
    void resumeStopRecording(QObject*) override;

    void setState(bool recording, bool continuation);
    QStringList actions;

private:
    bool m_recording = false;
    bool m_continuation = false;
};

// A target that writes down every action with the event type seen during it.
class RecordingTarget : public HxHotKeyTarget
{
public:
    explicit RecordingTarget(QStringList handled = {QStringLiteral("pressed:"),
                                                    QStringLiteral("released:")});
    bool respondsToAction(const QString& action) const override
    {
        return m_handled.contains(action);
    }
    void performAction(const QString& action, HxHotKeyEvent* hotKey) override;
    bool targetWillChangeToObject(HxHotKeyTarget*, HxHotKeyEvent*) override { return allowChange; }

    QStringList received; // "action/eventType"
    bool allowChange = true;

private:
    QStringList m_handled;
};

// A second X client on the fixture's display: grabs keys and owns a window.
class OtherXClient
{
public:
    OtherXClient();
    ~OtherXClient();
    // Grabs the X key code with the X modifier mask; false when refused.
    bool grab(quint8 xKeycode, quint16 mods);
    void ungrab(quint8 xKeycode, quint16 mods);
    // Whether the combination is free for another client right now.
    bool canGrab(quint8 xKeycode, quint16 mods);
    // Maps a window of this client and gives it the input focus.
    void showFocusedWindow();

private:
    struct xcb_connection_t* m_connection;
    quint32 m_root = 0;
    quint32 m_window = 0;
};
