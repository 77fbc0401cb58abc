// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>

class WindowController;

// Carries out the command words of the voicetray command (CommandLine) on
// the running program, as the hot keys and the tray icon would. Main thread only.
class CommandDispatcher : public QObject
{
    Q_OBJECT
public:
    explicit CommandDispatcher(WindowController& window, QObject* parent = nullptr);

    // Words it does not know are left out. Answers how many it carried out.
    int perform(const QStringList& commands);
    // A later start sent these: with no words it asks for the window.
    void commandsReceived(const QStringList& commands);
    // Opens the pop-up window under the tray icon, or the plain window where
    // there is no tray (yet), and brings it to the front.
    void showWindow();

private:
    WindowController& m_window;
    int m_placingTries = 0;
};
