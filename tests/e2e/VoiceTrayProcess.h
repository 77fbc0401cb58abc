// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QRect>
#include <QString>
#include <QTemporaryDir>

// The real voicetray program on the test display, recording from the test
// sound server into a private home folder.
class VoiceTrayProcess
{
public:
    explicit VoiceTrayProcess(bool ignoreHotKeys = false);
    ~VoiceTrayProcess();

    // Starts the program with the arguments and waits for its window.
    bool start(const QStringList& arguments = {});
    // Starts the program once more with the same environment and waits until
    // it ends; answers its exit status (-1 when it did not end within 10 s)
    // and, when asked, what it wrote to stderr and stdout.
    int run(const QStringList& arguments, QByteArray* errors = nullptr,
            QByteArray* output = nullptr, const QStringList& extraEnvironment = {});
    // The processes of the program running with this home folder.
    int processCount() const;
    QString outputFolder() const { return m_home.path() + "/rec"; }
    QByteArray database() const;
    // The pop-up window's frame on screen, or a null rect while it is hidden.
    QRect popupFrame() const;
    // The tray icon's frame on screen.
    QRect trayIconFrame() const;

private:
    QProcessEnvironment environment() const;

    QTemporaryDir m_home;
    QProcess m_process;
};

// Moves the pointer there and clicks the left button.
void clickAt(QPoint point);
