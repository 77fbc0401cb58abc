// SPDX-License-Identifier: GPL-3.0-or-later
// Library operations: categories and recordings added, removed and renamed
// together with their folders and files.
#include "app/RecorderAppDelegate.h"
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "library/TitleRules.h"
#include "library/WalkRows.h"
#include "outline/RecOutlineController.h"
#include "widgets/Messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Whether every title from the record up to the library root is a single path
// component. Only then does its path lie inside the output folder, so nothing
// else is ever created, moved or deleted, whatever the database said.
bool hasSafePath(const GeneralRecItem* item, const RecGroup* root)
{
    if (!item || item == root || !item->parent())
        return false;
    for (const GeneralRecItem* p = item; p && p != root; p = p->parent())
        if (!TitleRules::isSafeTitle(p->title()))
            return false;
    return true;
}

// The path with every folder that exists resolved through its links.
QString resolved(const QString& path)
{
    QFileInfo info(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    QStringList rest;
    while (!info.exists() && !info.isRoot() && !info.fileName().isEmpty()) {
        rest.prepend(info.fileName());
        info = QFileInfo(info.absolutePath());
    }
    QString base = info.canonicalFilePath();
    for (const QString& name : rest)
        base += "/" + name;
    return base;
}

// Whether the file is the path or lies under it.
bool holds(const QString& path, const QString& file)
{
    return !file.isEmpty() && (file == path || file.startsWith(path + "/"));
}

// Whether the folder that holds the path is the output folder or lies in it
// once links are followed: a category folder that is a link to elsewhere
// does not take deletions and renames out of the library. The last
// component itself may be a link; it is moved or removed, not followed.
bool liesInside(const QString& path, const QString& outputFolder)
{
    if (outputFolder.isEmpty())
        return false;
    const QString folder = resolved(QFileInfo(path).absolutePath());
    const QString library = resolved(outputFolder);
    return !library.isEmpty() && (folder == library || folder.startsWith(library + "/"));
}

} // namespace

QString RecorderAppDelegate::libraryPath(const GeneralRecItem* item) const
{
    RecGroup* root = m_outlineController->mainGroup();
    if (item == root)
        return outputFolder().isEmpty() ? QString() : outputFolder();
    if (!hasSafePath(item, root))
        return QString();
    const QString path = restorePath(item);
    return liesInside(path, outputFolder()) ? path : QString();
}

bool RecorderAppDelegate::isRecordedPath(const QString& path) const
{
    return isRecording() &&
           (holds(path, m_recorder->outputFilePath()) || holds(path, m_resumingRecPath));
}

bool RecorderAppDelegate::liesInLibrary(const QString& path) const
{
    return liesInside(path, outputFolder());
}

void RecorderAppDelegate::addGroup()
{
    RecGroup* parent = m_outlineController->currentGroup();
    if (!parent || refuseGoneFolder())
        return;
    const QString title =
        TitleRules::firstFree(tr("Category") + " ", QString(), [parent](const QString& t) {
            return parent->subItemByTitle(t) != nullptr;
        });
    const QString parentPath = libraryPath(parent);
    const QString folder = parentPath + "/" + title;
    if (parentPath.isNull() || !liesInside(folder, outputFolder()) || !QDir().mkpath(folder)) {
        showMessage(tr("Unable to create a new category"));
        return;
    }
    auto group = m_outlineController->createNewGroup();
    group->setTitle(title);
    group->setExpanded(true);
    parent->setExpanded(true);
    m_outlineController->selectItem(m_outlineController->addGroup(std::move(group), parent));
}

void RecorderAppDelegate::addItem()
{
    RecGroup* parent = m_outlineController->currentGroup();
    if (!parent)
        return;
    parent->setExpanded(true);
    auto item = m_outlineController->createNewItem();
    item->setTitle(tr("Untitled"));
    m_outlineController->selectItem(m_outlineController->addItem(std::move(item), parent));
}

bool RecorderAppDelegate::renameItem(GeneralRecItem* item, const QString& title)
{
    if (!item || title.isNull())
        return false;
    // The shown title may already be the typed one; the file still has this.
    const QString old = item->prevTitle();
    if (title == old)
        return true;
    const QString folder = libraryPath(item->parent());
    if (folder.isNull() || !TitleRules::isSafeTitle(old) || !TitleRules::isSafeTitle(title)) {
        item->setTitle(old);
        showMessage(tr("Unable to rename the item"));
        return false;
    }
    const QString extension = item->isGroup() ? "" : ".m4a";
    const QString oldPath = folder + "/" + old + extension;
    const QString newPath = folder + "/" + title + extension;
    if (isRecordedPath(oldPath) || !liesInside(oldPath, outputFolder())) {
        item->setTitle(old);
        showMessage(tr("Unable to rename the item"));
        return false;
    }
    if (isPathTaken(newPath)) {
        item->setTitle(old);
        showMessage(tr("Item with the same name already exists in this category"));
        return false;
    }
    // A category without a folder, or a row whose conversion waits, has nothing to move.
    const bool nothingOnDisk =
        item->isGroup() ? !QFileInfo(oldPath).isDir() : m_conversions.isWaiting(item->asItem());
    if (!nothingOnDisk && !QDir().rename(oldPath, newPath)) {
        item->setTitle(old);
        showMessage(tr("Unable to rename the item"));
        return false;
    }
    item->setTitle(title);
    structChanged();
    return true;
}

GeneralRecItem* RecorderAppDelegate::findItemByPath(const QString& path,
                                                    const RecGroup* group) const
{
    if (path.isNull())
        return nullptr;
    GeneralRecItem* found = nullptr;
    walkRows(group, [&](GeneralRecItem* row) {
        if (restorePath(row) != path)
            return Walk::Into;
        found = row;
        return Walk::Stop;
    });
    return found;
}
