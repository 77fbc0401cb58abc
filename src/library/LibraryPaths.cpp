// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/LibraryPaths.h"

#include "library/RecGroup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

QString LibraryPaths::groupPath(const GeneralRecItem* item, const RecGroup* shownRoot)
{
    QString path("");
    for (const GeneralRecItem* p = item; p && p != shownRoot && !p->title().isNull();
         p = p->parent())
        path.prepend("/" + p->title());
    return path;
}

QString LibraryPaths::restorePath(const QString& outputFolder, const GeneralRecItem* item,
                                  const RecGroup* mainGroup)
{
    if (!item || outputFolder.isEmpty())
        return QString();
    if (item->title().isNull())
        return outputFolder;
    QString path = item->title();
    for (const GeneralRecItem* p = item->parent(); p && p != mainGroup && !p->title().isNull();
         p = p->parent())
        path.prepend(p->title() + "/");
    path.prepend(outputFolder + "/");
    if (!item->isGroup())
        path += ".m4a";
    return path;
}

QString LibraryPaths::databasePath(const QString& outputFolder)
{
    return outputFolder + "/RecordingsDB.xml";
}

quint64 LibraryPaths::fileSystemOf(const QString& path)
{
    QString at = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (;;) {
        struct stat st = {};
        if (::stat(QFile::encodeName(at).constData(), &st) == 0)
            return quint64(st.st_dev);
        const QString up = QFileInfo(at).path();
        if (up == at)
            return 0;
        at = up;
    }
}
