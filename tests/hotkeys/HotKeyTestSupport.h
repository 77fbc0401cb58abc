// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "hotkeys/HotKeyController.h"
#include "hotkeys/HxAssertion.h"
#include "hotkeys/HxHotKeyEvent.h"
#include "hotkeys/HxHotKeyTarget.h"

#include <QStringList>

// Collects the assertion reports raised while it lives.
class AssertionRecorder
{
public:
    AssertionRecorder();
    ~AssertionRecorder() { HxAssertion::setHandler(m_previous); }
    QStringList messages;

private:
    HxAssertion::Handler m_previous;
};

// Counts the log messages written while it lives.
class LogRecorder
{
public:
    LogRecorder();
    ~LogRecorder();
    int count(const QString& message) const;
};

// The application as the hot keys see it: a recorder that starts new
// recordings and continuations, and the list of actions it received.
class RecordingController : public HotKeyController
{
public:
    bool isRecording() const override { return recording; }
    bool continueRecording() const override { return continuation; }
    void startStopRecording(QObject*) override
    {
        actions << QStringLiteral("startStopRecording");
        continuation = false;
        recording = !recording;
    }
    void resumeStopRecording(QObject*) override
    {
        actions << QStringLiteral("resumeStopRecording");
        continuation = recording = !recording;
    }

    QStringList actions;
    bool recording = false;
    bool continuation = false;
};

// A target that writes down every action it takes as "action/eventType".
class RecordingTarget : public HxHotKeyTarget
{
public:
    explicit RecordingTarget(QStringList handled = {"pressed:", "released:"})
        : m_handled(std::move(handled))
    {
    }
    bool respondsToAction(const QString& action) const override
    {
        return m_handled.contains(action);
    }
    void performAction(const QString& action, HxHotKeyEvent* hotKey) override
    {
        received << action + '/' + QString::number(hotKey->currentEventType());
    }
    bool targetWillChangeToObject(HxHotKeyTarget*, HxHotKeyEvent*) override { return allowChange; }

    QStringList received;
    bool allowChange = true;

private:
    QStringList m_handled;
};

// A second X client on the test display: grabs keys and owns a window.
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
};
