// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/DesktopTrash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

namespace {

// Qt 6.4 writes the deleted path into the ".trashinfo" file as it is, where
// file managers read it as a URL path: a name holding "%" would be restored
// elsewhere, or not at all. A path already written escaped is left alone.
void escapeOriginalPath(const QString& trashPath, const QString& original)
{
    QFile file(DesktopTrash::infoPath(trashPath));
    if (!file.open(QIODevice::ReadOnly))
        return;
    QList<QByteArray> lines = file.readAll().split('\n');
    file.close();
    bool raw = false;
    for (QByteArray& line : lines)
        if (line.startsWith("Path=") && QString::fromUtf8(line.mid(5)) == original) {
            line = "Path=" + QUrl::toPercentEncoding(original, "/");
            raw = true;
        }
    QSaveFile escaped(file.fileName());
    if (raw && escaped.open(QIODevice::WriteOnly)) {
        escaped.write(lines.join('\n'));
        escaped.commit();
    }
}

} // namespace

QString DesktopTrash::infoPath(const QString& trashPath)
{
    const QFileInfo entry(trashPath);
    return QFileInfo(entry.absolutePath()).absolutePath() + "/info/" + entry.fileName() +
           ".trashinfo";
}

QString DesktopTrash::moveToTrash(const QString& path)
{
    // Qt 6.4 puts the entry into "files" and "info" folders of the working
    // folder when the folder that holds the home Trash is missing: it is
    // made first, and where it cannot be, nothing goes to any Trash.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty() || !QDir().mkpath(data))
        return QString();
    const QString original = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString inTrash;
    if (!QFile::moveToTrash(original, &inTrash))
        return QString();
    inTrash = QFileInfo(inTrash).absoluteFilePath();
    escapeOriginalPath(inTrash, original);
    return inTrash;
}

bool DesktopTrash::restore(const QString& trashPath, const QString& path)
{
    const QFileInfo target(path);
    if (target.exists() || target.isSymLink() || !QDir().rename(trashPath, path))
        return false;
    QFile::remove(infoPath(trashPath));
    return true;
}
