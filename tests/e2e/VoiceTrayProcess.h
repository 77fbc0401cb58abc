// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QRect>
#include <QTemporaryDir>

// The real voicetray program on the test display, recording from the sine
// source of the test sound server into a private home folder.
class VoiceTrayProcess
{
public:
    VoiceTrayProcess();
    ~VoiceTrayProcess();
    // Starts the program with the arguments and waits for its window.
    bool start(const QStringList& arguments = {});
    // Starts the program once more with the same environment (and the extra
    // settings "NAME=value") and waits until it ends; answers its exit status,
    // -1 when it did not end, and what it wrote to stderr.
    int run(const QStringList& arguments, QByteArray* errors = nullptr,
            const QStringList& extraEnvironment = {});
    QString outputFolder() const { return m_home.path() + "/rec"; }
    // The pop-up window's frame on screen, or a null rect while it is hidden.
    QRect popupFrame() const;
    // The tray icon's frame on screen.
    QRect trayIconFrame() const;

private:
    QProcessEnvironment environment() const;

    QTemporaryDir m_home;
    QProcess m_process;
};
