// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QRect>
#include <QString>
#include <QTemporaryDir>

#include <functional>

// The real voicetray program on the test display, recording from the test
// sound server into a private home folder.
class VoiceTrayProcess
{
public:
    explicit VoiceTrayProcess(bool ignoreHotKeys = false);
    ~VoiceTrayProcess();

    bool start();
    QString outputFolder() const { return m_home.path() + "/rec"; }
    QByteArray database() const;
    // The pop-up window's frame on screen, or a null rect while it is hidden.
    QRect popupFrame() const;
    // The tray icon's frame on screen.
    QRect trayIconFrame() const;

private:
    QTemporaryDir m_home;
    QProcess m_process;
};

bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);
void pause(int ms);
QString artefact(const QString& name);
void clickAt(QPoint point);
