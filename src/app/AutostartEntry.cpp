// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AutostartEntry.h"

#include "app/AppLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// Quotes a program path for the Exec key: inside double quotes, '"', '`',
// '$' and '\' take a backslash, the key's own escaping doubles every
// backslash, and '%' is doubled so that it is no field code.
QString execArgument(const QString& program)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool plain = !program.isEmpty();
    for (const QChar c : program)
        plain = plain && !reserved.contains(c);
    QString argument;
    if (plain) {
        argument = program;
    } else {
        for (const QChar c : program) {
            if (c == '"' || c == '`' || c == '$' || c == '\\')
                argument += QLatin1Char('\\');
            argument += c;
        }
        argument.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
        argument = QLatin1Char('"') + argument + QLatin1Char('"');
    }
    return argument.replace(QLatin1Char('%'), QStringLiteral("%%"));
}

} // namespace

QString AutostartEntry::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/") + QLatin1String(kFileName);
}

AutostartEntry::AutostartEntry(const QString& path, const QString& executable)
    : m_path(path),
      m_executable(executable.isEmpty() ? QCoreApplication::applicationFilePath() : executable)
{
}

bool AutostartEntry::isEnabled() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    bool inEntry = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const QString key = line.section(QLatin1Char('='), 0, 0).trimmed();
        const QString value = line.section(QLatin1Char('='), 1).trimmed();
        if (inEntry && ((key == QLatin1String("Hidden") && value == QLatin1String("true")) ||
                        (key == QLatin1String("X-GNOME-Autostart-enabled") &&
                         value == QLatin1String("false"))))
            return false;
    }
    return true;
}

QString AutostartEntry::contents() const
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=VoiceTray\n"
                          "Comment=%1\n"
                          "Exec=%2\n"
                          "Icon=io.github.voicetray.VoiceTray\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(tr("Record voice notes from the system tray"), execArgument(m_executable));
}

bool AutostartEntry::setEnabled(bool enabled)
{
    if (!enabled) {
        if (QFile::exists(m_path) && !QFile::remove(m_path)) {
            qCWarning(lcApp, "Cannot remove the autostart entry %s", qPrintable(m_path));
            return false;
        }
        return true;
    }
    QSaveFile file(m_path);
    if (!QDir().mkpath(QFileInfo(m_path).path()) || !file.open(QIODevice::WriteOnly) ||
        file.write(contents().toUtf8()) < 0 || !file.commit()) {
        qCWarning(lcApp, "Cannot write the autostart entry %s", qPrintable(m_path));
        return false;
    }
    return true;
}
