// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

class RecordingSession;
class WindowController;

// VoiceTray on the session bus, for scripts, launchers and key pads: the
// service io.github.voicetray.VoiceTray with this object at kPath. Record
// and Continue do what the options --record and --continue do (and stop
// what records), Stop and Mark what --stop and --mark do. Main thread only.
class BusInterface : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.github.voicetray.VoiceTray")
    Q_PROPERTY(bool Recording READ recording)
    // Seconds, as --status counts them.
    Q_PROPERTY(double Elapsed READ elapsed)

public:
    static constexpr const char* kService = "io.github.voicetray.VoiceTray";
    static constexpr const char* kPath = "/io/github/voicetray/VoiceTray";

    BusInterface(RecordingSession& session, WindowController& window, QObject* parent = nullptr);

    // Takes the name on the session bus; false (and logged) without a bus or
    // when another program holds the name.
    bool publish();

    bool recording() const;
    double elapsed() const;

public slots:
    void Record();
    void Continue();
    void Stop();
    // False when nothing records.
    bool Mark(const QString& note);

signals:
    // A recording started or stopped.
    void RecordingChanged(bool recording);

private:
    RecordingSession& m_session;
    WindowController& m_window;
};
