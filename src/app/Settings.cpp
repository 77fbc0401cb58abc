// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Settings.h"

#include "hotkeys/HotKeyCombination.h"
#include "hotkeys/LegacyHotKeyArchive.h"
#include "media/AudioExporter.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <algorithm>

QString Settings::outputFolder() const
{
    const QString stored = m_store.value(kOutputFolder).toString();
    if (!stored.isEmpty())
        return stored;
    QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (music.isEmpty())
        music = QDir::homePath() + "/Music";
    return music + "/Voice Recordings";
}

void Settings::setOutputFolder(const QString& path)
{
    m_store.setValue(kOutputFolder, path);
}

QString Settings::outputFolderSeen() const
{
    return m_store.value(kOutputFolderSeen).toString();
}

quint64 Settings::outputFolderDevice() const
{
    return m_store.value(kOutputFolderDevice).toULongLong();
}

void Settings::setOutputFolderSeen(const QString& path, quint64 device)
{
    if (outputFolderSeen() != path)
        m_store.setValue(kOutputFolderSeen, path);
    if (outputFolderDevice() != device)
        m_store.setValue(kOutputFolderDevice, device);
}

QString Settings::inputDevice() const
{
    return m_store.value(kInputDevice).toString();
}

void Settings::setInputDevice(const QString& name)
{
    m_store.setValue(kInputDevice, name);
}

float Settings::soundThreshold() const
{
    const float value = m_store.value(kSoundThreshold, 0.0f).toFloat();
    return value == 0.0f ? 0.2f : value;
}

void Settings::setSoundThreshold(float threshold)
{
    m_store.setValue(kSoundThreshold, threshold);
}

bool Settings::skipSilence() const
{
    return m_store.value(kSkipSilence, false).toBool();
}

void Settings::setSkipSilence(bool skip)
{
    m_store.setValue(kSkipSilence, skip);
}

int Settings::preRoll() const
{
    const int seconds = m_store.value(kPreRoll, 0).toInt();
    return seconds <= 0 ? 0 : std::clamp(seconds, 5, 30);
}

void Settings::setPreRoll(int seconds)
{
    m_store.setValue(kPreRoll, seconds);
}

int Settings::recQuality() const
{
    const int value = m_store.value(kRecQuality, 0).toInt();
    return value == 0 ? 2 : value;
}

void Settings::setRecQuality(int quality)
{
    m_store.setValue(kRecQuality, quality);
}

bool Settings::ignoreGlobalHotKeys() const
{
    return m_store.value(kIgnoreGlobalHotKeys, false).toBool();
}

void Settings::setIgnoreGlobalHotKeys(bool ignore)
{
    m_store.setValue(kIgnoreGlobalHotKeys, ignore);
}

QByteArray Settings::recordingPlans() const
{
    return m_store.value(kPlans).toString().toUtf8();
}

void Settings::setRecordingPlans(const QByteArray& json)
{
    m_store.setValue(kPlans, QString::fromUtf8(json));
}

bool Settings::hideDescrWnd() const
{
    return m_store.value(kHideDescrWnd, false).toBool();
}

void Settings::setHideDescrWnd(bool hide)
{
    m_store.setValue(kHideDescrWnd, hide);
}

std::optional<QKeyCombination> Settings::hotKey(const char* key, const char* legacyKey)
{
    if (m_store.contains(key))
        return HotKeyCombination::fromPortableText(m_store.value(key).toString());
    const auto legacy = readLegacyHotKeyArchive(m_store.value(legacyKey).toByteArray());
    if (legacy)
        setHotKey(key, *legacy);
    return legacy;
}

void Settings::setHotKey(const char* key, QKeyCombination combination)
{
    m_store.setValue(key, HotKeyCombination::toPortableText(combination));
}

ExportOptions Settings::exportOptions() const
{
    ExportOptions options;
    const QString suffix = m_store.value(kExportFormat).toString();
    for (const ExportFormat format : {ExportFormat::Opus, ExportFormat::Mp3, ExportFormat::Flac,
                                      ExportFormat::Wav, ExportFormat::M4a})
        if (AudioExporter::suffix(format) == suffix)
            options.format = format;
    options.reduceNoise = m_store.value(kExportReduceNoise, false).toBool();
    options.evenLoudness = m_store.value(kExportEvenLoudness, false).toBool();
    options.folder = m_store.value(kExportFolder).toString();
    return options;
}

void Settings::setExportOptions(const ExportOptions& options)
{
    m_store.setValue(kExportFormat, AudioExporter::suffix(options.format));
    m_store.setValue(kExportReduceNoise, options.reduceNoise);
    m_store.setValue(kExportEvenLoudness, options.evenLoudness);
    m_store.setValue(kExportFolder, options.folder);
}

void Settings::removeLockOfEndedRun()
{
    // Only the running VoiceTray saves its settings, so a lock there at its
    // start is left over. Qt takes a lock for stale at once only when it
    // names a process that is gone; one left empty, by a run killed as it
    // took the lock, would hold up every save for half a minute.
    QFile::remove(QSettings().fileName() + QStringLiteral(".lock"));
}
