// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "media/ExportOptions.h"

#include <QKeyCombination>
#include <QSettings>
#include <QString>
#include <optional>

// The user defaults with their keys and the values used when a key is absent.
class Settings
{
public:
    static constexpr const char* kOutputFolder = "OutputFolder";
    static constexpr const char* kInputDevice = "InputDevice";
    static constexpr const char* kSoundThreshold = "SoundThreshold";
    static constexpr const char* kSkipSilence = "SkipSilence";
    static constexpr const char* kRecQuality = "RecQuality";
    // Seconds kept from before a recording starts; 0 (the default) is off.
    static constexpr const char* kPreRoll = "PreRoll";
    static constexpr const char* kPlans = "RecordingPlans";
    static constexpr const char* kIgnoreGlobalHotKeys = "IgnoreGlobalHotKeys";
    static constexpr const char* kHideDescrWnd = "HideDescrWnd";
    static constexpr const char* kFirstStartDate = "FSD";
    static constexpr const char* kAppStoreOffered = "ASO";
    // The combinations the user chose for the two hot keys, as QKeySequence's
    // portable text ("Meta+Alt+R").
    static constexpr const char* kRecordShortcut = "RecordShortcut";
    static constexpr const char* kContinueShortcut = "ContinueShortcut";
    // Where earlier versions keep them, in an archive of their own: read
    // when the keys above are absent, and left to those versions.
    static constexpr const char* kRecordHotKey = "RecordHotKey";
    static constexpr const char* kContinueHotKey = "ContinueHotKey";
    // The output folder as it was last found on disk: when this folder is
    // missing later, its drive is not mounted, and it is not made anew.
    static constexpr const char* kOutputFolderSeen = "OutputFolderSeen";
    // The file system that held it then: a folder that is missing while
    // the file system where it would be is still that one was deleted, and is
    // made anew; on another one (a bare mount point), its drive is not mounted.
    static constexpr const char* kOutputFolderDevice = "OutputFolderDevice";
    // How recordings were last exported: the format's file suffix, the two
    // clean-up options and the folder.
    static constexpr const char* kExportFormat = "ExportFormat";
    static constexpr const char* kExportReduceNoise = "ExportReduceNoise";
    static constexpr const char* kExportEvenLoudness = "ExportEvenLoudness";
    static constexpr const char* kExportFolder = "ExportFolder";

    // The stored folder, else "Voice Recordings" in the user's music folder.
    QString outputFolder() const;
    void setOutputFolder(const QString& path);
    QString outputFolderSeen() const;
    // 0 when not known (set by an earlier version).
    quint64 outputFolderDevice() const;
    void setOutputFolderSeen(const QString& path, quint64 device);
    // Null when no device was ever chosen.
    QString inputDevice() const;
    void setInputDevice(const QString& name);
    // A stored 0 reads as the default 0.2.
    float soundThreshold() const;
    void setSoundThreshold(float threshold);
    bool skipSilence() const;
    void setSkipSilence(bool skip);
    // A stored 0 reads as the default 2; not clamped here.
    int recQuality() const;
    // 0, or 5 to 30 seconds.
    int preRoll() const;
    void setPreRoll(int seconds);
    void setRecQuality(int quality);
    bool ignoreGlobalHotKeys() const;
    void setIgnoreGlobalHotKeys(bool ignore);
    // The planned recordings, as RecordingPlans saves them.
    QByteArray recordingPlans() const;
    void setRecordingPlans(const QByteArray& json);
    // Opus with no clean-up and no folder (the window picks one) until chosen.
    ExportOptions exportOptions() const;
    void setExportOptions(const ExportOptions& options);
    bool hideDescrWnd() const;
    void setHideDescrWnd(bool hide);
    // Nothing when the user kept the default combination. One that only an
    // earlier version stored under legacyKey is stored anew under key.
    std::optional<QKeyCombination> hotKey(const char* key, const char* legacyKey);
    void setHotKey(const char* key, QKeyCombination combination);

    QSettings& store() { return m_store; }

    // For the one VoiceTray that runs, before it saves anything: removes the
    // lock on the settings file that a run killed while saving left behind.
    static void removeLockOfEndedRun();

private:
    mutable QSettings m_store;
};
