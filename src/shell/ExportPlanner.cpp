// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ExportPlanner.h"

#include "library/Library.h"
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "media/AudioExporter.h"

#include <QDir>
#include <QFileInfo>

ExportPlanner::ExportPlanner(const Library& library, QSet<QString> skip)
    : m_library(library), m_skip(std::move(skip))
{
}

std::vector<ExportItem> ExportPlanner::plan(const QList<GeneralRecItem*>& rows,
                                            const ExportOptions& options)
{
    m_items.clear();
    m_taken.clear();
    const QString suffix = AudioExporter::suffix(options.format);
    for (const GeneralRecItem* row : rows) {
        if (const RecItem* rec = row->asItem())
            addRecording(*rec, options.folder, suffix);
        else if (const RecGroup* category = row->asGroup())
            addCategory(*category, freeName(options.folder, category->title(), QString()), suffix);
    }
    return std::move(m_items);
}

void ExportPlanner::addRecording(const RecItem& rec, const QString& folder, const QString& suffix)
{
    const QString source = m_library.pathOf(&rec);
    if (source.isEmpty() || rec.isFileMissing() || m_skip.contains(source))
        return;
    ExportItem item;
    item.source = source;
    item.destination = freeName(folder, rec.title(), suffix);
    item.title = rec.title();
    // The stored date names no year: the file's own date has it.
    item.date = QFileInfo(source).birthTime();
    if (!item.date.isValid())
        item.date = QFileInfo(source).lastModified();
    item.description = rec.descr();
    for (const auto& mark : rec.marks())
        item.chapters.push_back({double(mark.offset()), mark.descr()});
    m_items.push_back(std::move(item));
}

void ExportPlanner::addCategory(const RecGroup& category, const QString& folder,
                                const QString& suffix)
{
    for (const GeneralRecItem* row : category.subItems()) {
        if (const RecItem* rec = row->asItem())
            addRecording(*rec, folder, suffix);
        else if (const RecGroup* inner = row->asGroup())
            addCategory(*inner, freeName(folder, inner->title(), QString()), suffix);
    }
}

QString ExportPlanner::freeName(const QString& folder, const QString& title, const QString& suffix)
{
    QString base = title.trimmed();
    base.replace(QLatin1Char('/'), QLatin1Char('-'));
    if (base.isEmpty() || base.startsWith(QLatin1Char('.')))
        base.prepend(QLatin1Char('_'));
    const QString dot = suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix;
    QString path = QDir(folder).filePath(base + dot);
    for (int n = 2;
         m_taken.contains(path) || QFileInfo::exists(path) || QFileInfo(path).isSymLink(); ++n)
        path = QDir(folder).filePath(QStringLiteral("%1 %2").arg(base).arg(n) + dot);
    m_taken.insert(path);
    return path;
}
