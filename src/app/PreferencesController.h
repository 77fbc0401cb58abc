// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "hotkeys/AppHotKeys.h"
#include "shell/PreferencesDelegate.h"

#include <QKeyCombination>
#include <QObject>
#include <memory>

class AutostartEntry;
class PreferencesView;
class PulseDeviceWatcher;
class RecordingSession;
class Settings;

// The preferences page against the saved settings: each value the user
// chooses goes to the settings and to the part it governs (the recorder,
// the hot keys, the autostart entry), and the device list follows the sound
// server live. Main thread only.
class PreferencesController : public QObject, public PreferencesDelegate
{
    Q_OBJECT
public:
    PreferencesController(Settings& settings, RecordingSession& session, AppHotKeys& hotKeys,
                          AutostartEntry& autostart, PreferencesView& view,
                          QObject* parent = nullptr);
    ~PreferencesController() override;

    // Hands the saved values to the recorder, the hot keys and the page.
    void load(bool waylandSession);
    // Gives a hot key another combination at once and keeps it in the
    // settings; false (nothing changes) for a combination it cannot take.
    bool setHotKey(AppHotKeys::Action action, QKeyCombination combination);
    // Writes or removes the autostart entry; a failure is shown and the
    // check box goes back to what the entry says.
    void setStartAtLogin(bool start);

    void outputFolderChanged(const QString& path) override;
    void setInputDevice(const QString& name) override;
    void setSkipSilence(bool skip) override;
    void setSoundThreshold(float threshold) override;
    void setUseHotKeys(bool use) override;
    void setRecQuality(int quality) override;
    void setPreRoll(int seconds) override;
    bool isRecording() const override;
    void startPseudoRecord() override;
    void stopPseudoRecord() override;
    float inputLevel() const override;

signals:
    // Another output folder was chosen; the settings do not hold it yet.
    void outputFolderChosen(const QString& path);

private:
    // Fills the device list from the server, with the device in use selected.
    void showInputDevices();
    // Shows how the hot keys are provided and their combinations.
    void hotKeysChanged();

    Settings& m_settings;
    RecordingSession& m_session;
    AppHotKeys& m_hotKeys;
    AutostartEntry& m_autostart;
    PreferencesView& m_view;
    std::unique_ptr<PulseDeviceWatcher> m_deviceWatcher;
};
