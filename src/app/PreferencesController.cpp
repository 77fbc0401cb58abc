// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PreferencesController.h"

#include "app/AutostartEntry.h"
#include "app/Settings.h"
#include "audio/PulseDeviceWatcher.h"
#include "audio/RecorderEngine.h"
#include "hotkeys/HotKeyCombination.h"
#include "session/RecordingSession.h"
#include "shell/HotKeyPreferences.h"
#include "shell/PreferencesView.h"
#include "widgets/Messages.h"

PreferencesController::PreferencesController(Settings& settings, RecordingSession& session,
                                             AppHotKeys& hotKeys, AutostartEntry& autostart,
                                             PreferencesView& view, QObject* parent)
    : QObject(parent), m_settings(settings), m_session(session), m_hotKeys(hotKeys),
      m_autostart(autostart), m_view(view)
{
    m_view.setAppDelegate(this);
    connect(&m_view, &PreferencesView::startAtLoginChanged, this,
            &PreferencesController::setStartAtLogin);
    connect(m_view.hotKeys(), &HotKeyPreferences::combinationChosen, this,
            [this](int action, QKeyCombination combination) {
                setHotKey(action == 0 ? AppHotKeys::Action::Record : AppHotKeys::Action::Continue,
                          combination);
            });
    connect(m_view.hotKeys(), &HotKeyPreferences::capturingChanged, &m_hotKeys,
            &AppHotKeys::setSuspended);
    connect(&m_hotKeys, &AppHotKeys::statusChanged, this, &PreferencesController::hotKeysChanged);
}

PreferencesController::~PreferencesController() = default;

void PreferencesController::load(bool waylandSession)
{
    RecorderEngine& engine = m_session.engine();
    // Without a chosen device the recorder asks for the default one at every
    // start; a chosen one that is not connected now is still handed over.
    if (!m_settings.inputDevice().isNull())
        engine.setInputDevice(m_settings.inputDevice());
    showInputDevices();
    m_deviceWatcher = std::make_unique<PulseDeviceWatcher>();
    connect(m_deviceWatcher.get(), &PulseDeviceWatcher::devicesChanged, this, [this] {
        showInputDevices();
        m_session.engine().followDevices();
    });
    m_deviceWatcher->start();

    m_view.setOutputFolder(m_settings.outputFolder());
    // Each value goes through its control, which hands it back to its setter.
    m_view.setSoundThreshold(m_settings.soundThreshold());
    m_view.setSkipSilence(m_settings.skipSilence());
    m_view.setRecQuality(m_settings.recQuality());
    m_view.setPreRoll(m_settings.preRoll());

    // On Wayland X11 grabs see keys only while a VoiceTray window is active.
    m_hotKeys.setPreferPortal(waylandSession);
    if (const auto chosen = m_settings.hotKey(Settings::kRecordShortcut, Settings::kRecordHotKey))
        m_hotKeys.setInitialCombination(AppHotKeys::Action::Record, *chosen);
    if (const auto chosen =
            m_settings.hotKey(Settings::kContinueShortcut, Settings::kContinueHotKey))
        m_hotKeys.setInitialCombination(AppHotKeys::Action::Continue, *chosen);
    m_hotKeys.setupHotKeys(!m_settings.ignoreGlobalHotKeys());
    m_view.setUseHotKeys(!m_settings.ignoreGlobalHotKeys());
    hotKeysChanged();
    m_view.setStartAtLogin(m_autostart.isEnabled());
}

void PreferencesController::showInputDevices()
{
    const QStringList devices = RecorderEngine::availableInputDevices();
    m_view.setInputDevices(devices,
                           devices.isEmpty() ? QString() : RecorderEngine::mixedInputDevice());
    // The default is shown as the one in use, without choosing it for good;
    // with no microphone at all nothing is shown as in use.
    QString chosen = m_settings.inputDevice();
    if (chosen.isNull())
        chosen = RecorderEngine::defaultInputDevice();
    m_view.selectDevice(chosen.isNull() ? QStringLiteral("") : chosen);
}

bool PreferencesController::setHotKey(AppHotKeys::Action action, QKeyCombination combination)
{
    if (!m_hotKeys.setCombination(action, combination)) {
        hotKeysChanged();
        return false;
    }
    m_settings.setHotKey(action == AppHotKeys::Action::Record ? Settings::kRecordShortcut
                                                              : Settings::kContinueShortcut,
                         combination);
    return true;
}

void PreferencesController::hotKeysChanged()
{
    HotKeyPreferences* prefs = m_view.hotKeys();
    prefs->setStatus(m_hotKeys.status());
    prefs->setCombinationText(
        0, HotKeyCombination::text(m_hotKeys.combination(AppHotKeys::Action::Record)));
    prefs->setCombinationText(
        1, HotKeyCombination::text(m_hotKeys.combination(AppHotKeys::Action::Continue)));
}

void PreferencesController::outputFolderChanged(const QString& path)
{
    if (!path.isEmpty() && path != m_settings.outputFolder())
        emit outputFolderChosen(path);
}

void PreferencesController::setInputDevice(const QString& name)
{
    RecorderEngine& engine = m_session.engine();
    if (name != RecorderEngine::mixedInputDevice() &&
        !RecorderEngine::availableInputDevices().contains(name))
        return;
    // Changing the device ends the capture; stopped here the recording keeps
    // its duration and a continuation is joined.
    if (name != engine.inputDevice())
        m_session.stop();
    m_settings.setInputDevice(name);
    engine.setInputDevice(name);
}

void PreferencesController::setSkipSilence(bool skip)
{
    if (skip != m_settings.skipSilence())
        m_session.stop();
    m_settings.setSkipSilence(skip);
    m_session.engine().setSkipSilence(skip);
}

void PreferencesController::setSoundThreshold(float threshold)
{
    m_settings.setSoundThreshold(threshold);
    m_session.engine().setThreshold(threshold);
}

void PreferencesController::setRecQuality(int quality)
{
    if (quality < 1 || quality > 3)
        return;
    m_session.stop();
    m_session.engine().setQuality(quality);
    m_settings.setRecQuality(quality);
}

void PreferencesController::setPreRoll(int seconds)
{
    m_settings.setPreRoll(seconds);
    m_session.engine().setPreRoll(m_settings.preRoll());
}

void PreferencesController::setUseHotKeys(bool use)
{
    m_settings.setIgnoreGlobalHotKeys(!use);
    m_hotKeys.setUseHotKeys(use);
}

void PreferencesController::setStartAtLogin(bool start)
{
    if (!m_autostart.setEnabled(start))
        showMessage(start ? tr("Unable to start VoiceTray at login")
                          : tr("Unable to stop starting VoiceTray at login"));
    m_view.setStartAtLogin(m_autostart.isEnabled());
}

bool PreferencesController::isRecording() const
{
    return m_session.isRecording();
}

void PreferencesController::startPseudoRecord()
{
    m_session.startLevelMeter();
}

void PreferencesController::stopPseudoRecord()
{
    m_session.stopLevelMeter();
}

float PreferencesController::inputLevel() const
{
    return m_session.engine().inputLevel();
}
