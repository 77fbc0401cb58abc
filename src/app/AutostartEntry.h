// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QString>

// The user's XDG autostart entry that starts VoiceTray at login:
// $XDG_CONFIG_HOME/autostart/io.github.voicetray.VoiceTray.desktop. The file
// is the setting: present and not switched off means on. Main thread only.
class AutostartEntry
{
    Q_DECLARE_TR_FUNCTIONS(AutostartEntry)

public:
    static constexpr const char* kFileName = "io.github.voicetray.VoiceTray.desktop";

    // The entry's path for this user.
    static QString defaultPath();

    // The entry at path starts the program at executable.
    explicit AutostartEntry(const QString& path = defaultPath(),
                            const QString& executable = QString());

    QString path() const { return m_path; }
    // The entry exists and neither hides itself nor is switched off.
    bool isEnabled() const;
    // Writes the entry (atomically) or removes it; answers whether the entry
    // is now as asked.
    bool setEnabled(bool enabled);
    // The text written into the entry.
    QString contents() const;

private:
    QString m_path;
    QString m_executable;
};
