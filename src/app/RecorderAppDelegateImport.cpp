// SPDX-License-Identifier: GPL-3.0-or-later
// Importing audio files and folders into the library, converting what is
// not .m4a, and moving recordings and categories to another place.
#include "app/RecorderAppDelegate.h"
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "library/TitleRules.h"
#include "library/WalkRows.h"
#include "outline/RecOutlineController.h"
#include "widgets/Messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>
#include <algorithm>

namespace {

bool pathExists(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QString cleanAbsolute(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

bool isSameOrInside(const QString& path, const QString& folder)
{
    if (path.isEmpty() || folder.isEmpty())
        return false;
    return path == folder || path.startsWith(folder + "/");
}

// "Song.mp3" becomes "Song.m4a"; a name that is all extension keeps its name.
QString m4aName(const QFileInfo& info)
{
    const QString base = info.completeBaseName();
    return (base.isEmpty() ? info.fileName() : base) + ".m4a";
}

// The path with its last component cleaned, so that the library file can
// store the title and the row comes back at the next start.
QString storableName(const QString& path)
{
    const QFileInfo info(path);
    return info.path() + "/" + TitleRules::cleaned(info.fileName());
}

bool isBelow(const GeneralRecItem* item, const GeneralRecItem* ancestor)
{
    for (const GeneralRecItem* p = item; p; p = p->parent())
        if (p == ancestor)
            return true;
    return false;
}

} // namespace

bool RecorderAppDelegate::isOutputFolderOrInside(const QString& path) const
{
    const QString out = outputFolder();
    if (out.isEmpty() || path.isEmpty())
        return false;
    if (isSameOrInside(cleanAbsolute(path), cleanAbsolute(out)))
        return true;
    // The same folders reached through links.
    const QString real = QFileInfo(path).canonicalFilePath();
    const QString realOut = QFileInfo(out).canonicalFilePath();
    return isSameOrInside(real, realOut);
}

bool RecorderAppDelegate::isPathTaken(const QString& path) const
{
    const auto& waiting = m_conversions.conversions();
    return pathExists(path) || isWaitingPath(path) ||
           std::any_of(waiting.begin(), waiting.end(),
                       [&path](const PendingConversions::Conversion& c) { return c.file == path; });
}

bool RecorderAppDelegate::isWaitingPath(const QString& path) const
{
    const auto& waiting = m_conversions.conversions();
    return std::any_of(waiting.begin(), waiting.end(),
                       [&](const PendingConversions::Conversion& c) {
                           return c.row && restorePath(c.row) == path;
                       });
}

QStringList RecorderAppDelegate::conversionPaths() const
{
    QStringList paths;
    for (const PendingConversions::Conversion& c : m_conversions.conversions())
        if (c.row)
            paths << restorePath(c.row);
    return paths;
}

QWidget* RecorderAppDelegate::sheetWindow() const
{
    if (window() && window()->isVisible())
        return window();
    return plainWindow();
}

bool RecorderAppDelegate::isFilesForImport(const QStringList& paths) const
{
    if (paths.isEmpty() || outputFolder().isEmpty())
        return false;
    // A folder merely named like the output folder ("rec2" beside "rec") is
    // outside it: only the folder itself and what lies below it are moved.
    return !isOutputFolderOrInside(paths.first());
}

RecGroup* RecorderAppDelegate::dropTarget(GeneralRecItem* nearItem, bool beforeItem,
                                          bool allowInGrouping, bool forMove) const
{
    if (!nearItem)
        return forMove ? nullptr : m_outlineController->mainGroup();
    RecGroup* category = nearItem->asGroup();
    if (!beforeItem && category && category->isExpanded() && (!forMove || allowInGrouping))
        return category;
    // A row listed among search results has the results as no parent of its own.
    return nearItem->parent() ? nearItem->parent()->asGroup() : nullptr;
}

bool RecorderAppDelegate::importFiles(const QStringList& paths, GeneralRecItem* nearItem,
                                      bool beforeItem)
{
    if (paths.isEmpty() || refuseGoneFolder())
        return false;
    m_outlineController->deselectAll();
    // Conversions still waiting go on (their rows are already in the tree);
    // the bar then runs across them and the new ones together.
    m_conversions.beginRun();
    RecGroup* target = dropTarget(nearItem, beforeItem, true, false);
    const QString folder = libraryPath(target);
    if (folder.isNull() || !QDir().mkpath(folder))
        return false;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (!info.exists())
            continue;
        if (info.isDir())
            importFolder(path, folder + "/" + info.fileName(), target);
        else
            importFile(path, folder + "/" + m4aName(info), target);
    }
    return true;
}

bool RecorderAppDelegate::importFolder(const QString& source, const QString& destination,
                                       RecGroup* group)
{
    if (source.isNull() || destination.isNull() || !group)
        return false;
    const QFileInfo info(source);
    // A link to a folder is never followed (it may lead back up the tree),
    // and the output folder is never copied into itself.
    if (!info.isDir() || info.isSymLink() || isOutputFolderOrInside(source))
        return false;
    QString target = storableName(destination);
    if (isPathTaken(target))
        target = TitleRules::firstFree(storableName(destination) + " ", QString(),
                                       [this](const QString& p) { return isPathTaken(p); });
    const QString title = QFileInfo(target).fileName();
    if (!TitleRules::isSafeTitle(title) || !QDir().mkpath(target))
        return false;
    auto made = m_outlineController->createNewGroup();
    made->setTitle(title);
    made->setExpanded(true);
    RecGroup* category = m_outlineController->addGroup(std::move(made), group);
    if (!category)
        return false;
    m_outlineController->addToSelection(category);
    const QStringList names = QDir(source).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        const QFileInfo entry(source + "/" + name);
        if (!entry.exists())
            continue;
        if (entry.isDir())
            importFolder(entry.filePath(), target + "/" + name, category);
        else
            importFile(entry.filePath(), target + "/" + m4aName(entry), category);
    }
    return true;
}

bool RecorderAppDelegate::importFile(const QString& source, const QString& destination,
                                     RecGroup* group)
{
    if (source.isNull() || destination.isNull() || !group)
        return false;
    const QFileInfo info(source);
    if (!info.exists() || info.isDir() || !AudioFile::canInitWithFile(source))
        return false;
    QString target = storableName(destination);
    if (isPathTaken(target)) {
        const QFileInfo dest(target);
        const QString stem = dest.absolutePath() + "/" + dest.completeBaseName();
        target = TitleRules::firstFree(stem + " ", ".m4a",
                                       [this](const QString& p) { return isPathTaken(p); });
    }
    const QString title = QFileInfo(target).completeBaseName();
    if (!TitleRules::isSafeTitle(title) || !QDir().mkpath(QFileInfo(target).absolutePath()))
        return false;
    const bool copy = info.suffix().compare("m4a", Qt::CaseInsensitive) == 0;
    if (copy && !QFile::copy(source, target))
        return false;
    auto made = m_outlineController->createNewItem();
    made->setTitle(title);
    made->setDuration(copy ? fileDuration(target) : 0);
    RecItem* item = m_outlineController->addItem(std::move(made), group);
    if (!copy && !convert(source, item)) {
        m_outlineController->removeItem(item);
        return false;
    }
    m_outlineController->addToSelection(item);
    return true;
}

bool RecorderAppDelegate::convert(const QString& source, RecItem* row)
{
    const QString out = outputFolder();
    if (source.isNull() || !row || out.isEmpty() || !QFileInfo(source).isFile() ||
        !AudioFile::canInitWithFile(source))
        return false;
    // Written under a hidden name in the output folder, which no rename or
    // move of a category takes away, and given to the row when complete.
    const QString file = TitleRules::firstFree(out + "/.import ", ".m4a",
                                               [this](const QString& p) { return isPathTaken(p); });
    m_conversions.start(source, file, row);
    return true;
}

void RecorderAppDelegate::conversionLoaded(int id)
{
    if (!m_conversions.contains(id)) {
        if (m_conversions.remaining() == 0)
            m_progressPanel->endSheet();
        return;
    }
    if (!m_progressPanel->isSheetShown()) {
        m_progressPanel->setProgress(0);
        progressTitle()->setText(tr("Importing..."));
        m_progressPanel->beginSheet(sheetWindow());
    }
}

bool RecorderAppDelegate::movieShouldContinueOperation(QTMovieOperationPhase phase, double fraction)
{
    const int total = m_conversions.total();
    const int remaining = m_conversions.remaining();
    if (phase == QTMovieOperationPhase::UpdatePercent && total > 0)
        m_progressPanel->setProgress((total - remaining) * 100.0 / total +
                                     fraction * 100.0 / total);
    else if (phase == QTMovieOperationPhase::End && remaining <= 1)
        m_progressPanel->endSheet();
    return true;
}

void RecorderAppDelegate::conversionFinished(int id, bool ok)
{
    if (!m_conversions.contains(id))
        return;
    movieShouldContinueOperation(QTMovieOperationPhase::UpdatePercent,
                                 m_conversions.queue().partDone());
    movieShouldContinueOperation(QTMovieOperationPhase::End, 1.0);
    const PendingConversions::Conversion done = *m_conversions.finish(id);
    if (!ok || !done.row || !placeConverted(done.file, done.row)) {
        QFile::remove(done.file);
        // A row whose file could not be written would stand for nothing.
        if (done.row)
            m_outlineController->removeItem(done.row);
    }
    if (m_conversions.remaining() == 0)
        m_progressPanel->endSheet();
}

bool RecorderAppDelegate::placeConverted(const QString& file, RecItem* row)
{
    QString path = libraryPath(row);
    if (path.isNull() || !QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    if (isPathTaken(path)) {
        const QFileInfo taken(path);
        path = TitleRules::firstFree(taken.absolutePath() + "/" + taken.completeBaseName() + " ",
                                     ".m4a", [this](const QString& p) { return isPathTaken(p); });
        row->setTitle(QFileInfo(path).completeBaseName());
    }
    // Never over another file: a name taken meanwhile fails the rename.
    if (!QFile::rename(file, path))
        return false;
    row->setDuration(fileDuration(path));
    structChanged();
    return true;
}

bool RecorderAppDelegate::resumeImports()
{
    const QList<ImportJournal::Entry> cut = m_conversions.journal().take(outputFolder());
    QStringList lost;
    m_conversions.beginRun();
    for (const ImportJournal::Entry& entry : cut) {
        // What was written, under the file's name and the name of the
        // temporary file it is written as, is begun again from the start.
        const QFileInfo partial(entry.file);
        if (partial.path() == outputFolder() && partial.fileName().startsWith(".import ")) {
            QDir folder(outputFolder());
            for (const QString& name :
                 folder.entryList({partial.fileName() + "*"}, QDir::Files | QDir::Hidden))
                if (name == partial.fileName() || name.startsWith(partial.fileName() + "."))
                    folder.remove(name);
        }
        RecItem* row = nullptr;
        walkRows(m_outlineController->mainGroup(), [&](GeneralRecItem* r) {
            if (RecItem* item = r->asItem();
                item && item->ID() == entry.row && item->isFileMissing())
                row = item;
            return row ? Walk::Stop : Walk::Into;
        });
        if (!row || convert(entry.source, row))
            continue;
        lost << entry.source;
        m_outlineController->removeItem(row);
    }
    if (!lost.isEmpty())
        // Once the window is up.
        QTimer::singleShot(0, this, [lost] {
            showMessage(tr("These files were not imported: VoiceTray was stopped while it "
                           "converted them, and they are no longer there.") +
                        "\n\n" + lost.join('\n'));
        });
    return !lost.isEmpty();
}

void RecorderAppDelegate::finishConversions()
{
    // Also a conversion cancelled meanwhile (its row gone) no longer waits.
    while (m_conversions.remaining() > 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

double RecorderAppDelegate::fileDuration(const QString& path)
{
    if (path.isNull() || !QFileInfo(path).isFile())
        return 0;
    return AudioFile::fileDuration(path);
}

bool RecorderAppDelegate::moveFiles(const QStringList& paths, GeneralRecItem* nearItem,
                                    bool beforeItem)
{
    if (!nearItem || paths.isEmpty() || refuseGoneFolder())
        return false;
    bool allowInGrouping = true;
    const QString nearPath = restorePath(nearItem);
    for (const QString& path : paths)
        if (path == nearPath)
            allowInGrouping = false;
    bool ok = true;
    for (const QString& path : paths) {
        if (!isPathTaken(path))
            continue;
        if (GeneralRecItem* moved = moveFile(path, nearItem, beforeItem, allowInGrouping)) {
            // The next one goes right after this one, so the order is kept.
            nearItem = moved;
            beforeItem = false;
            allowInGrouping = false;
        } else {
            ok = false;
        }
    }
    return ok;
}

GeneralRecItem* RecorderAppDelegate::moveFile(const QString& path, GeneralRecItem* nearItem,
                                              bool beforeItem, bool allowInGrouping)
{
    // The recording being made and the one being continued keep their paths
    // until they are closed.
    if (path.isNull() || !nearItem || !isPathTaken(path) || isRecording())
        return nullptr;
    RecGroup* target = dropTarget(nearItem, beforeItem, allowInGrouping, true);
    const QString targetFolder = libraryPath(target);
    if (!target || targetFolder.isNull() || !QDir().mkpath(targetFolder))
        return nullptr;
    GeneralRecItem* item = findItemByPath(path, m_outlineController->mainItem());
    if (!item || item == nearItem || !item->parent())
        return nullptr;
    // A category cannot go into itself or anywhere below itself.
    if (item->isGroup() && isBelow(target, item))
        return nullptr;
    const QString oldPath = libraryPath(item);
    if (oldPath.isNull() || isRecordedPath(oldPath))
        return nullptr;
    // A row whose conversion waits has no file yet: only the row moves.
    const bool nothingOnDisk = item->asItem() && m_conversions.isWaiting(item->asItem());
    if (target != item->parent()) {
        const QFileInfo old(oldPath);
        // A category's folder name is its title as a whole; only a
        // recording's name has an extension.
        const QString stem = item->isGroup() ? old.fileName() : old.completeBaseName();
        const QString extension =
            item->isGroup() || old.suffix().isEmpty() ? QString() : "." + old.suffix();
        QString newPath = targetFolder + "/" + old.fileName();
        if (isPathTaken(newPath) && newPath != oldPath)
            newPath = TitleRules::firstFree(targetFolder + "/" + stem + " ", extension,
                                            [this](const QString& p) { return isPathTaken(p); });
        if (newPath != oldPath && !nothingOnDisk && !QDir().rename(oldPath, newPath))
            return nullptr;
        const QFileInfo moved(newPath);
        const QString title = item->isGroup() ? moved.fileName() : moved.completeBaseName();
        if (item->title() != title)
            item->setTitle(title);
    }
    std::unique_ptr<GeneralRecItem> moving = item->parent()->asGroup()->removeSubItem(item);
    item->setParent(target);
    if (beforeItem)
        moving = target->insertItemBefore(std::move(moving), nearItem);
    else if (target == nearItem)
        moving = target->insertItemBefore(std::move(moving), target->subItems().value(0));
    else
        moving = target->insertItemAfter(std::move(moving), nearItem);
    // Where the row it should go beside is not in the category, it goes last.
    target->addSubItem(std::move(moving));
    m_outlineController->arrangeItems();
    structChanged();
    return item;
}
