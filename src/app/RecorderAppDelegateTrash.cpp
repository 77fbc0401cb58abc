// SPDX-License-Identifier: GPL-3.0-or-later
// Deleting rows: their files and folders go to the desktop's Trash, and come
// back with their rows by Undo, or when a file manager restores them.
#include "app/DesktopTrash.h"
#include "app/MainView.h"
#include "app/RecorderAppDelegate.h"
#include "library/DiskScan.h"
#include "library/LibraryPaths.h"
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "library/RecordingsDBReader.h"
#include "library/TitleRules.h"
#include "library/WalkRows.h"
#include "library/XMLCreator.h"
#include "outline/RecOutlineController.h"
#include "shell/UndoBar.h"
#include "widgets/Messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
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
        return trashed ? RecorderAppDelegate::tr("\"%1\" moved to the Trash").arg(step[0].title)
                       : RecorderAppDelegate::tr("\"%1\" deleted").arg(step[0].title);
    const bool recordings =
        std::none_of(step.begin(), step.end(), [](const DeletedRow& d) { return d.isGroup; });
    const QString count = QString::number(step.size());
    if (recordings)
        return trashed ? RecorderAppDelegate::tr("%1 recordings moved to the Trash").arg(count)
                       : RecorderAppDelegate::tr("%1 recordings deleted").arg(count);
    return trashed ? RecorderAppDelegate::tr("%1 items moved to the Trash").arg(count)
                   : RecorderAppDelegate::tr("%1 items deleted").arg(count);
}

} // namespace

QString RecorderAppDelegate::trashRecordsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + "/trash";
}

void RecorderAppDelegate::removeSelected()
{
    const QList<GeneralRecItem*> selected =
        m_outlineController->selectedItemsOfGroup(m_outlineController->mainItem());
    if (selected.isEmpty())
        return;
    removeRows(selected);
    m_outlineController->deselectAll();
    updateButtonsState();
}

bool RecorderAppDelegate::removeItem(RecItem* item)
{
    return item && removeRows({item});
}

bool RecorderAppDelegate::removeGroup(RecGroup* group)
{
    return group && removeRows({group});
}

bool RecorderAppDelegate::removeRows(const QList<GeneralRecItem*>& rows)
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
        const QString path = libraryPath(row);
        if (!parent || isRecordedPath(path)) {
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
        bool waiting = false;
        for (const PendingConversions::Conversion& c : m_conversions.conversions())
            for (const GeneralRecItem* p = c.row; p; p = p->parent())
                if (p == row) {
                    deleted.imports.append({c.row->ID(), c.source});
                    waiting = waiting || p == c.row;
                }
        if (!path.isNull() && pathExists(path) && !waiting) {
            deleted.trashPath = DesktopTrash::moveToTrash(path);
            if (deleted.trashPath.isNull()) {
                untrashable << row;
                continue;
            }
        }
        QXmlStreamAttributes place;
        place.append("Trash", deleted.trashPath);
        place.append("Folder", outputFolder());
        place.append("Category", deleted.category);
        place.append("Index", QString::number(deleted.index));
        deleted.document = XMLCreator().rowDocument(row, place);
        if (!deleted.trashPath.isEmpty())
            m_trashedRows.keep(deleted.trashPath, deleted.document);
        // A title that names no file in the library: the row goes, nothing on disk is touched.
        ok = ok && !path.isNull();
        m_outlineController->removeItem(row);
        step << deleted;
    }
    if (!untrashable.isEmpty())
        ok = deletePermanently(untrashable) && ok;
    if (!step.isEmpty()) {
        m_deleteSteps.push_back(step);
        m_mainView->undoBar()->showMessage(deletedText(step));
    }
    return ok;
}

bool RecorderAppDelegate::deletePermanently(const QList<QPointer<GeneralRecItem>>& rows)
{
    QStringList titles;
    for (const QPointer<GeneralRecItem>& row : rows)
        if (row)
            titles << row->title();
    if (titles.isEmpty())
        return false;
    const QString question =
        titles.size() == 1
            ? tr("Delete \"%1\" permanently? It cannot be had back.").arg(titles.first())
            : tr("Delete these %1 items permanently? They cannot be had back.").arg(titles.size()) +
                  "\n\n" + titles.join('\n');
    if (!askToConfirm(question, tr("Delete")))
        return false;
    bool ok = true;
    for (const QPointer<GeneralRecItem>& row : rows) {
        const QString path = row ? libraryPath(row) : QString();
        if (path.isNull() || isRecordedPath(path) || !removePath(path)) {
            ok = false;
            continue;
        }
        m_outlineController->removeItem(row);
    }
    return ok;
}

bool RecorderAppDelegate::undoDelete()
{
    // Nothing is brought back onto the bare mount point of a drive that went.
    if (m_deleteSteps.empty() || refuseGoneFolder())
        return false;
    const QList<DeletedRow> step = std::move(m_deleteSteps.back());
    m_deleteSteps.pop_back();
    m_mainView->undoBar()->hide();
    QStringList lost;
    QList<GeneralRecItem*> back;
    // Last deleted first, so that each goes back to the place it left.
    for (auto it = step.crbegin(); it != step.crend(); ++it)
        if (GeneralRecItem* row = bringBack(*it, &lost))
            back.prepend(row);
    m_outlineController->arrangeItems();
    structChanged();
    m_outlineController->deselectAll();
    for (GeneralRecItem* row : back)
        m_outlineController->addToSelection(row);
    if (!back.isEmpty())
        m_outlineController->setChiefSelectedItem(back.first());
    updateButtonsState();
    if (lost.size() == 1)
        showMessage(
            tr("\"%1\" is no longer in the Trash and cannot be brought back.").arg(lost.first()));
    else if (!lost.isEmpty())
        showMessage(tr("These are no longer in the Trash and cannot be brought back:") + "\n\n" +
                    lost.join('\n'));
    return true;
}

GeneralRecItem* RecorderAppDelegate::bringBack(const DeletedRow& deleted, QStringList* lost)
{
    bool made = false;
    RecGroup* parent =
        deleted.parent ? deleted.parent.data() : m_adopter->categoryFor(deleted.category, &made);
    const QString folder = parent ? libraryPath(parent) : QString();
    std::unique_ptr<GeneralRecItem> row = readRow(deleted.document, folder);
    if (!row)
        return nullptr;
    const QString extension = extensionOf(row.get());
    QString path = folder + "/" + deleted.title + extension;
    if (!deleted.trashPath.isEmpty()) {
        const bool inTrash = pathExists(deleted.trashPath);
        m_trashedRows.forget(deleted.trashPath);
        if (!inTrash) {
            // A file manager restored it meanwhile; its row comes back unless it is there.
            if (findItemByPath(path, m_outlineController->mainGroup()))
                return nullptr;
            if (!pathExists(path)) {
                *lost << deleted.title;
                return nullptr;
            }
        } else {
            if (isPathTaken(path))
                path = TitleRules::firstFree(folder + "/" + deleted.title + " ", extension,
                                             [this](const QString& p) { return isPathTaken(p); });
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
    if (!deleted.imports.isEmpty())
        m_conversions.beginRun();
    for (const auto& [id, source] : deleted.imports) {
        RecItem* item = added->asItem();
        walkRows(added->asGroup(), [&](GeneralRecItem* r) {
            if (r->ID() == id && r->asItem())
                item = r->asItem();
        });
        if (item && item->ID() == id && item->isFileMissing() && QFileInfo(source).isFile())
            convert(source, item);
    }
    return added;
}

bool RecorderAppDelegate::bringBackFromTrash(const DiskScan& scan)
{
    bool changed = false;
    for (const TrashedRows::Record& record : m_trashedRows.takeGone(outputFolder())) {
        std::unique_ptr<GeneralRecItem> row =
            readRow(record.document, outputFolder() + record.category);
        if (!row)
            continue;
        const QString key = record.category + "/" + row->title() + extensionOf(row.get());
        const bool back = row->isGroup() ? scan.folders.contains(key) : scan.files.contains(key);
        if (!back || findItemByPath(outputFolder() + key, m_outlineController->mainGroup()))
            continue;
        bool made = false;
        if (RecGroup* parent = m_adopter->categoryFor(record.category, &made)) {
            placeRow(std::move(row), parent, record.index);
            changed = true;
        }
        changed |= made;
    }
    return changed;
}

std::unique_ptr<GeneralRecItem> RecorderAppDelegate::readRow(const QByteArray& document,
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

GeneralRecItem* RecorderAppDelegate::placeRow(std::unique_ptr<GeneralRecItem> row, RecGroup* parent,
                                              int index)
{
    GeneralRecItem* placed = row.get();
    std::unique_ptr<GeneralRecItem> left =
        parent->insertItemBefore(std::move(row), parent->subItems().value(index));
    if (left)
        m_outlineController->insertRow(std::move(left), parent);
    else
        placed->setParent(parent);
    return placed;
}
