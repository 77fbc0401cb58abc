// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/DeleteHistory.h"

#include "library/DesktopTrash.h"
#include "library/DiskScan.h"
#include "library/ImportQueue.h"
#include "library/Library.h"
#include "library/LibraryPaths.h"
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "library/RecordingsDBReader.h"
#include "library/TitleRules.h"
#include "library/WalkRows.h"
#include "library/XMLCreator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamAttributes>
#include <algorithm>

namespace {

bool pathExists(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// A link is removed itself: what it points to may lie outside the library.
bool removePath(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        return QDir(path).removeRecursively();
    return pathExists(path) && QFile::remove(path);
}

QString extensionOf(const GeneralRecItem* row)
{
    return row->isGroup() ? QString() : QStringLiteral(".m4a");
}

// What the bar says after a delete.
QString deletedText(const QList<DeletedRow>& step)
{
    const bool trashed = std::any_of(step.begin(), step.end(),
                                     [](const DeletedRow& d) { return !d.trashPath.isEmpty(); });
    if (step.size() == 1)
        return trashed ? Library::tr("\"%1\" moved to the Trash").arg(step[0].title)
                       : Library::tr("\"%1\" deleted").arg(step[0].title);
    const bool recordings =
        std::none_of(step.begin(), step.end(), [](const DeletedRow& d) { return d.isGroup; });
    const QString count = QString::number(step.size());
    if (recordings)
        return trashed ? Library::tr("%1 recordings moved to the Trash").arg(count)
                       : Library::tr("%1 recordings deleted").arg(count);
    return trashed ? Library::tr("%1 items moved to the Trash").arg(count)
                   : Library::tr("%1 items deleted").arg(count);
}

} // namespace

bool DeleteHistory::remove(const QList<GeneralRecItem*>& rows)
{
    // A row listed later may have gone with a category before it.
    const QList<QPointer<GeneralRecItem>> pending(rows.cbegin(), rows.cend());
    QList<DeletedRow> step;
    QList<QPointer<GeneralRecItem>> untrashable;
    bool ok = true;
    for (const QPointer<GeneralRecItem>& row : pending) {
        if (!row)
            continue;
        RecGroup* parent = row->parent() ? row->parent()->asGroup() : nullptr;
        const QString path = m_library.pathOf(row);
        if (!parent || m_library.isRecordedPath(path)) {
            ok = false;
            continue;
        }
        DeletedRow deleted;
        deleted.title = row->title();
        deleted.isGroup = row->isGroup();
        deleted.parent = parent;
        deleted.category = LibraryPaths::groupPath(parent, nullptr);
        deleted.index = int(parent->subItems().indexOf(row));
        // A row whose conversion waits has no file yet; going, it cancels the conversion.
        deleted.imports = m_library.m_imports->conversionsUnder(row);
        const bool waiting = m_library.m_imports->isWaiting(row->asItem());
        if (!path.isNull() && pathExists(path) && !waiting) {
            deleted.trashPath = DesktopTrash::moveToTrash(path);
            if (deleted.trashPath.isNull()) {
                untrashable << row;
                continue;
            }
        }
        QXmlStreamAttributes place;
        place.append("Trash", deleted.trashPath);
        place.append("Folder", m_library.folder());
        place.append("Category", deleted.category);
        place.append("Index", QString::number(deleted.index));
        deleted.document = XMLCreator().rowDocument(row, place);
        if (!deleted.trashPath.isEmpty())
            m_trashedRows.keep(deleted.trashPath, deleted.document);
        // A title that names no file in the library: the row goes, nothing on disk is touched.
        ok = ok && !path.isNull();
        m_library.erase(row);
        step << deleted;
    }
    if (!untrashable.isEmpty())
        ok = deletePermanently(untrashable) && ok;
    emit m_library.treeChanged();
    m_library.save();
    if (!step.isEmpty()) {
        m_steps.push_back(step);
        emit m_library.removed(deletedText(step));
    }
    return ok;
}

bool DeleteHistory::deletePermanently(const QList<QPointer<GeneralRecItem>>& rows)
{
    QStringList titles;
    for (const QPointer<GeneralRecItem>& row : rows)
        if (row)
            titles << row->title();
    if (titles.isEmpty())
        return false;
    const QString question =
        titles.size() == 1
            ? Library::tr("Delete \"%1\" permanently? It cannot be had back.").arg(titles.first())
            : Library::tr("Delete these %1 items permanently? They cannot be had back.")
                      .arg(titles.size()) +
                  "\n\n" + titles.join('\n');
    // Never without the user's word.
    if (!m_library.m_confirm || !m_library.m_confirm(question, Library::tr("Delete")))
        return false;
    bool ok = true;
    for (const QPointer<GeneralRecItem>& row : rows) {
        const QString path = row ? m_library.pathOf(row) : QString();
        if (path.isNull() || m_library.isRecordedPath(path) || !removePath(path)) {
            ok = false;
            continue;
        }
        m_library.erase(row);
    }
    return ok;
}

QList<GeneralRecItem*> DeleteHistory::undo()
{
    if (m_steps.empty())
        return {};
    const QList<DeletedRow> step = std::move(m_steps.back());
    m_steps.pop_back();
    QStringList lost;
    QList<GeneralRecItem*> back;
    // Last deleted first, so that each goes back to the place it left.
    for (auto it = step.crbegin(); it != step.crend(); ++it)
        if (GeneralRecItem* row = bringBack(*it, &lost))
            back.prepend(row);
    emit m_library.treeChanged();
    m_library.save();
    if (lost.size() == 1)
        emit m_library.message(
            Library::tr("\"%1\" is no longer in the Trash and cannot be brought back.")
                .arg(lost.first()));
    else if (!lost.isEmpty())
        emit m_library.message(
            Library::tr("These are no longer in the Trash and cannot be brought back:") + "\n\n" +
            lost.join('\n'));
    return back;
}

GeneralRecItem* DeleteHistory::bringBack(const DeletedRow& deleted, QStringList* lost)
{
    bool made = false;
    RecGroup* parent =
        deleted.parent ? deleted.parent.data() : m_library.categoryAt(deleted.category, &made);
    const QString folder = parent ? m_library.pathOf(parent) : QString();
    std::unique_ptr<GeneralRecItem> row = readRow(deleted.document, folder);
    if (!row)
        return nullptr;
    const auto taken = [this](const QString& p) { return m_library.isPathTaken(p); };
    const QString extension = extensionOf(row.get());
    QString path = folder + "/" + deleted.title + extension;
    if (!deleted.trashPath.isEmpty()) {
        const bool inTrash = pathExists(deleted.trashPath);
        m_trashedRows.forget(deleted.trashPath);
        if (!inTrash) {
            // A file manager restored it meanwhile; its row comes back unless it is there.
            if (m_library.rowAt(path))
                return nullptr;
            if (!pathExists(path)) {
                *lost << deleted.title;
                return nullptr;
            }
        } else {
            if (taken(path))
                path = TitleRules::firstFree(folder + "/" + deleted.title + " ", extension, taken);
            if (!QDir().mkpath(folder) || !DesktopTrash::restore(deleted.trashPath, path)) {
                *lost << deleted.title;
                return nullptr;
            }
        }
    }
    const QFileInfo placed(path);
    const QString title = row->isGroup() ? placed.fileName() : placed.completeBaseName();
    if (row->title() != title)
        row->setTitle(title);
    if (RecItem* item = row->asItem())
        item->setFileMissing(!placed.isFile());
    GeneralRecItem* added = placeRow(std::move(row), parent, deleted.index);
    // Imports cut short by the delete start again.
    ImportQueue& imports = *m_library.m_imports;
    if (!deleted.imports.isEmpty())
        imports.beginRun();
    for (const auto& [id, source] : deleted.imports) {
        RecItem* item = added->asItem();
        walkRows(added->asGroup(), [&](GeneralRecItem* r) {
            if (r->ID() == id && r->asItem())
                item = r->asItem();
        });
        if (item && item->ID() == id && item->isFileMissing() && QFileInfo(source).isFile())
            imports.convert(source, item);
    }
    return added;
}

bool DeleteHistory::bringBackFromTrash(const DiskScan& scan)
{
    const QString folder = m_library.folder();
    bool changed = false;
    for (const TrashedRows::Record& record : m_trashedRows.takeGone(folder)) {
        std::unique_ptr<GeneralRecItem> row = readRow(record.document, folder + record.category);
        if (!row)
            continue;
        const QString key = record.category + "/" + row->title() + extensionOf(row.get());
        const bool back = row->isGroup() ? scan.folders.contains(key) : scan.files.contains(key);
        if (!back || m_library.rowAt(folder + key))
            continue;
        bool made = false;
        if (RecGroup* parent = m_library.categoryAt(record.category, &made)) {
            placeRow(std::move(row), parent, record.index);
            changed = true;
        }
        changed |= made;
    }
    return changed;
}

std::unique_ptr<GeneralRecItem> DeleteHistory::readRow(const QByteArray& document,
                                                       const QString& folder) const
{
    RecGroup loaded(RecGroup::Bare);
    RecordingsDBReader reader(folder, [](std::unique_ptr<GeneralRecItem> item, RecGroup* group) {
        group->addSubItem(std::move(item))->setParent(group);
    });
    if (folder.isNull() || !reader.loadBytes(document, &loaded))
        return nullptr;
    std::vector<std::unique_ptr<GeneralRecItem>> rows = loaded.takeSubItems();
    return rows.empty() ? nullptr : std::move(rows.front());
}

GeneralRecItem* DeleteHistory::placeRow(std::unique_ptr<GeneralRecItem> row, RecGroup* parent,
                                        int index)
{
    GeneralRecItem* placed = row.get();
    std::unique_ptr<GeneralRecItem> left =
        parent->insertItemBefore(std::move(row), parent->subItems().value(index));
    if (left)
        m_library.insert(std::move(left), parent);
    else
        placed->setParent(parent);
    return placed;
}
