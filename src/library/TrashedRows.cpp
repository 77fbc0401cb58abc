// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/TrashedRows.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QXmlStreamReader>

QString TrashedRows::fileFor(const QString& trashPath) const
{
    return m_folder + "/" +
           QString::fromLatin1(
               QCryptographicHash::hash(trashPath.toUtf8(), QCryptographicHash::Sha1).toHex()) +
           ".xml";
}

QString TrashedRows::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + "/trash";
}

bool TrashedRows::keep(const QString& trashPath, const QByteArray& document)
{
    if (trashPath.isEmpty() || !QDir().mkpath(m_folder))
        return false;
    QSaveFile file(fileFor(trashPath));
    return file.open(QIODevice::WriteOnly) && file.write(document) == document.size() &&
           file.commit();
}

void TrashedRows::forget(const QString& trashPath)
{
    if (!trashPath.isEmpty())
        QFile::remove(fileFor(trashPath));
}

TrashedRows::Record TrashedRows::read(const QByteArray& document)
{
    Record record;
    QXmlStreamReader xml(document);
    if (!xml.readNextStartElement())
        return record;
    const QXmlStreamAttributes attributes = xml.attributes();
    record.trashPath = attributes.value("Trash").toString();
    record.outputFolder = attributes.value("Folder").toString();
    record.category = attributes.value("Category").toString();
    record.index = attributes.value("Index").toInt();
    record.document = document;
    return record;
}

QList<TrashedRows::Record> TrashedRows::takeGone(const QString& outputFolder)
{
    QList<Record> gone;
    const QDir folder(m_folder);
    for (const QString& name : folder.entryList({"*.xml"}, QDir::Files)) {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        Record record = read(file.readAll());
        file.close();
        // A Trash that cannot be looked at (its drive is not mounted) may still hold it.
        const QFileInfo entry(record.trashPath);
        if (!record.trashPath.isEmpty() &&
            (entry.exists() || entry.isSymLink() || !QFileInfo(entry.absolutePath()).isDir()))
            continue;
        file.remove();
        if (!record.trashPath.isEmpty() && record.outputFolder == outputFolder)
            gone << std::move(record);
    }
    return gone;
}
