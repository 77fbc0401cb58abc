// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/ImportJournal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

QString ImportJournal::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + "/imports.json";
}

void ImportJournal::add(const Entry& entry)
{
    QList<Entry> entries = read();
    entries << entry;
    write(entries);
}

void ImportJournal::remove(const QString& file)
{
    QList<Entry> entries = read();
    if (entries.removeIf([&file](const Entry& e) { return e.file == file; }) > 0)
        write(entries);
}

QList<ImportJournal::Entry> ImportJournal::take(const QString& outputFolder)
{
    QList<Entry> kept = read();
    QList<Entry> taken;
    for (const Entry& entry : kept)
        if (entry.outputFolder == outputFolder)
            taken << entry;
    if (!taken.isEmpty()) {
        kept.removeIf([&](const Entry& e) { return e.outputFolder == outputFolder; });
        write(kept);
    }
    return taken;
}

QList<ImportJournal::Entry> ImportJournal::read() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<Entry> entries;
    for (const QJsonValue& value : QJsonDocument::fromJson(file.readAll()).array()) {
        const QJsonObject o = value.toObject();
        entries << Entry{o["folder"].toString(), o["row"].toInt(), o["source"].toString(),
                         o["file"].toString()};
    }
    return entries;
}

void ImportJournal::write(const QList<Entry>& entries) const
{
    if (entries.isEmpty()) {
        QFile::remove(m_path);
        return;
    }
    QJsonArray array;
    for (const Entry& e : entries)
        array.append(QJsonObject{
            {"folder", e.outputFolder}, {"row", e.row}, {"source", e.source}, {"file", e.file}});
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QJsonDocument(array).toJson());
        file.commit();
    }
}
