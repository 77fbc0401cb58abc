// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/AutostartEntry.h"
#include "app/Settings.h"
#include "hotkeys/AppHotKeys.h"

#include <QObject>
#include <memory>

class BusInterface;
class Library;
class MediaFileJobs;
class PreferencesController;
class RecordingPlans;
class RecordingSession;
class WindowController;

// The running program: makes the services, connects them and hands them the
// saved settings. Every rule lives in a service; this object holds none.
class VoiceTrayApp : public QObject
{
    Q_OBJECT
public:
    explicit VoiceTrayApp(QObject* parent = nullptr);
    ~VoiceTrayApp() override;

    // Reads the settings and the library and shows the window or tray icon.
    void start();
    // Stops what records and lets waiting imports finish before the quit.
    void quit();

    // The services, for the commands of later starts and for what drives
    // the whole program (the end-to-end tests).
    Settings& settings() { return m_settings; }
    Library& library() { return *m_library; }
    RecordingSession& session() { return *m_session; }
    WindowController& window() { return *m_window; }
    PreferencesController& preferences() { return *m_preferences; }
    RecordingPlans& plans() { return *m_plans; }

private:
    // Opens the library of the output folder the settings name.
    void openLibrary();
    void changeOutputFolder(const QString& path);
    void showPlans();

    // Declared in the order they are made, so that they go in the reverse order.
    Settings m_settings;
    AutostartEntry m_autostart;
    AppHotKeys m_hotKeys;
    std::unique_ptr<MediaFileJobs> m_jobs;
    std::unique_ptr<Library> m_library;
    std::unique_ptr<RecordingSession> m_session;
    std::unique_ptr<WindowController> m_window;
    std::unique_ptr<PreferencesController> m_preferences;
    std::unique_ptr<RecordingPlans> m_plans;
    std::unique_ptr<BusInterface> m_bus;
};
