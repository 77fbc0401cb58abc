// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

// The real voicetray program on the test display, recording from the sine
// source of the test sound server into a private home folder. Main thread only.
class VoiceTrayProcess
{
public:
    VoiceTrayProcess();
    ~VoiceTrayProcess();
    // A setting of the program, before start().
    void setSetting(const QString& key, const QVariant& value);
    QString settingsFile() const { return m_home.path() + "/.config/VoiceTray/VoiceTray.conf"; }
    // An environment variable of the program (none for an empty value), before start().
    void setEnvironment(const QString& name, const QString& value);
    // Starts the program with the arguments and, unless told otherwise, waits for its window.
    bool start(const QStringList& arguments = {}, bool waitForWindow = true);
    // Starts the program once more with the same environment (and the extra
    // settings "NAME=value") and waits until it ends; answers its exit status,
    // -1 when it did not end, and what it wrote to stderr and stdout.
    int run(const QStringList& arguments, QByteArray* errors = nullptr,
            const QStringList& extraEnvironment = {}, QByteArray* output = nullptr);
    // Ends the program at once, as a crash or a power cut would, and waits for it.
    void kill();
    qint64 processId() const { return m_process.processId(); }
    // Where each of the program's threads is now, for a wait on it that ran
    // out; empty without gdb.
    QString threadStacks() const;
    // What the program wrote to its standard error so far (it also goes to
    // the test's own).
    const QByteArray& errors() const { return m_errors; }
    QString outputFolder() const { return m_home.path() + "/rec"; }
    // The frames of its large windows on screen: the pop-up or the plain window.
    QList<QRect> mainWindowFrames() const;
    // The pop-up window's frame on screen, or a null rect while it is hidden.
    QRect popupFrame() const { return mainWindowFrames().value(0); }
    // The Recordings Editor's frame, or a null rect while it is hidden.
    QRect editorFrame() const;
    // The tray icon's frame on screen.
    QRect trayIconFrame() const;

private:
    QTemporaryDir m_home;
    QProcess m_process;
    QProcessEnvironment m_environment;
    QByteArray m_errors;
};
