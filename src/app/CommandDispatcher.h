// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/SingleInstance.h"

#include <QObject>
#include <QStringList>

class RecordingSession;
class WindowController;

// Carries out the command words of the voicetray command (CommandLine) on
// the running program, as the hot keys and the tray icon would. Main thread only.
class CommandDispatcher : public QObject
{
    Q_OBJECT
public:
    CommandDispatcher(WindowController& window, RecordingSession& session,
                      QObject* parent = nullptr);

    // Words it does not know are left out. Answers what the command prints
    // and whether all went well ("--status" while idle, a mark while idle).
    SingleInstance::Answer perform(const QStringList& commands);
    // A later start sent these: with no words it asks for the window.
    SingleInstance::Answer commandsReceived(const QStringList& commands);
    // The answer when no VoiceTray runs to ask (CommandLine::startsProgram()
    // said not to start one for the commands).
    static SingleInstance::Answer answerWhileNotRunning(const QStringList& commands);
    // "recording 00:03:12 "Untitled 3"", with the time left when it is
    // limited, or "idle".
    static QString statusLine(const RecordingSession& session);
    // Opens the pop-up window under the tray icon, or the plain window where
    // there is no tray (yet), and brings it to the front.
    void showWindow();

private:
    WindowController& m_window;
    RecordingSession& m_session;
    int m_placingTries = 0;
};
