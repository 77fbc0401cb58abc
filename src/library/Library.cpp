// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/Library.h"

#include "library/AudioFileJobs.h"
#include "library/DeleteHistory.h"
#include "library/DiskScan.h"
#include "library/DiskScanner.h"
#include "library/ImportQueue.h"
#include "library/LibraryAdopter.h"
#include "library/LibraryPaths.h"
#include "library/LibraryStore.h"
#include "library/LibraryWatcher.h"
#include "library/MarkFiles.h"
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "library/TitleRules.h"
#include "library/WalkRows.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSaveFile>
#include <QTimer>
#include <cmath>
#include <malloc.h>
#include <map>

namespace {

// Below this a remainder is rounding, not audio worth a piece of its own.
constexpr double kMinPieceSeconds = 0.001;

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

bool isBelow(const GeneralRecItem* item, const GeneralRecItem* ancestor)
{
    for (const GeneralRecItem* p = item; p; p = p->parent())
        if (p == ancestor)
            return true;
    return false;
}

} // namespace

Library::Library(AudioFileJobs* jobs, QObject* parent)
    : QObject(parent), m_jobs(jobs), m_root(std::make_unique<RecGroup>(RecGroup::Bare)),
      m_store(std::make_unique<LibraryStore>(*this)), m_watcher(std::make_unique<LibraryWatcher>()),
      m_adopter(std::make_unique<LibraryAdopter>(*this, jobs)),
      m_deletes(std::make_unique<DeleteHistory>(*this)),
      m_imports(std::make_unique<ImportQueue>(*this, jobs)),
      m_scanner(std::make_unique<DiskScanner>())
{
    m_root->setHidden(true);
    m_root->setExpanded(true);
    connect(m_watcher.get(), &LibraryWatcher::treeChanged, this, &Library::rescan);
    connect(m_adopter.get(), &LibraryAdopter::measured, this, &Library::save);
    connect(m_scanner.get(), &DiskScanner::scanned, this, &Library::applyScan);
}

Library::~Library()
{
    // What waits to be written goes before the rows it is written for.
    m_imports.reset();
}

void Library::open(const QString& folder, const SeenFolder& seen)
{
    clear();
    if (folder != m_folder)
        m_deletes->forget();
    m_folder = folder;
    m_seen = seen;
    m_adopter->reset();
    m_watcher->setFolder(folder);
    m_available = !folderGone();
    emit availabilityChanged(m_available);
    if (!m_available) {
        m_scanAtOpen = false;
        m_scanner->cancel();
        emit treeChanged();
        return;
    }
    // The rows are shown as the database has them, and brought in line with
    // the disk when the listing is in. The disk is listed once the database
    // is read: a listing beside the read slows it by a third, for the two
    // compete for the memory they both fill.
    m_scanAtOpen = true;
    const bool loaded = m_store->load();
    m_scanner->scan(folder);
    const bool given = m_imports->resume();
    m_scanStamp = m_root->changeStamp();
    emit treeChanged();
    if (loaded || given)
        save();
}

void Library::enableSaving()
{
    m_savingEnabled = true;
}

void Library::clear()
{
    while (!m_root->subItems().isEmpty())
        erase(m_root->subItems().first());
}

QString Library::pathOf(const GeneralRecItem* item) const
{
    if (item == m_root.get())
        return m_folder.isEmpty() ? QString() : m_folder;
    if (!hasSafePath(item, m_root.get()))
        return QString();
    const QString path = restorePath(item);
    return liesInside(path, m_folder) ? path : QString();
}

QString Library::restorePath(const GeneralRecItem* item) const
{
    return LibraryPaths::restorePath(m_folder, item, m_root.get());
}

GeneralRecItem* Library::rowAt(const QString& path) const
{
    if (path.isNull())
        return nullptr;
    GeneralRecItem* found = nullptr;
    walkRows(m_root.get(), [&](GeneralRecItem* row) {
        if (restorePath(row) != path)
            return Walk::Into;
        found = row;
        return Walk::Stop;
    });
    return found;
}

bool Library::liesInLibrary(const QString& path) const
{
    return liesInside(path, m_folder);
}

bool Library::isPathTaken(const QString& path) const
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink() || m_imports->isWaitingPath(path) ||
           m_imports->isWrittenFile(path);
}

bool Library::isRecordedPath(const QString& path) const
{
    if (!m_recordingPaths)
        return false;
    const QStringList recording = m_recordingPaths();
    return std::any_of(recording.begin(), recording.end(),
                       [&path](const QString& file) { return holds(path, file); });
}

std::unique_ptr<RecItem> Library::newRecording()
{
    int maxID = -1;
    walkRows(m_root.get(),
             [&maxID](const GeneralRecItem* row) { maxID = std::max(maxID, row->ID()); });
    auto item = std::make_unique<RecItem>();
    item->setID(maxID + 1);
    item->setDate(QDateTime::currentDateTime().toString(RecItem::kDateFormat));
    return item;
}

std::unique_ptr<RecGroup> Library::newCategory()
{
    int maxID = -1;
    walkRows(m_root.get(),
             [&maxID](const GeneralRecItem* row) { maxID = std::max(maxID, row->ID()); });
    auto group = std::make_unique<RecGroup>(RecGroup::WithExpandButton);
    group->setID(maxID + 1);
    return group;
}

GeneralRecItem* Library::insert(std::unique_ptr<GeneralRecItem> row, RecGroup* parent)
{
    if (!row || !parent)
        return nullptr;
    GeneralRecItem* added = parent->addSubItem(std::move(row));
    added->setParent(parent);
    return added;
}

GeneralRecItem* Library::add(std::unique_ptr<GeneralRecItem> row, RecGroup* parent)
{
    GeneralRecItem* added = insert(std::move(row), parent);
    if (!added)
        return nullptr;
    emit rowAdded(added);
    emit treeChanged();
    save();
    return added;
}

void Library::erase(GeneralRecItem* row)
{
    RecGroup* parent = row && row->parent() ? row->parent()->asGroup() : nullptr;
    if (!parent)
        return;
    emit rowRemoving(row);
    const std::unique_ptr<GeneralRecItem> removed = parent->removeSubItem(row);
}

RecGroup* Library::categoryAt(const QString& folder, bool* made)
{
    RecGroup* group = m_root.get();
    for (const QString& name : folder.split('/', Qt::SkipEmptyParts)) {
        RecGroup* next = nullptr;
        for (GeneralRecItem* sub : group->subItems())
            if (sub->isGroup() && sub->title() == name)
                next = sub->asGroup();
        if (!next) {
            if (!TitleRules::isSafeTitle(name))
                return nullptr;
            auto row = newCategory();
            row->setTitle(name);
            row->setExpanded(true);
            next = static_cast<RecGroup*>(insert(std::move(row), group));
            *made = true;
        }
        group = next;
    }
    return group;
}

RecGroup* Library::addCategory(RecGroup* parent)
{
    if (!parent || refuseGoneFolder())
        return nullptr;
    const QString title =
        TitleRules::firstFree(tr("Category") + " ", QString(), [parent](const QString& t) {
            return parent->subItemByTitle(t) != nullptr;
        });
    const QString parentPath = pathOf(parent);
    const QString folder = parentPath + "/" + title;
    if (parentPath.isNull() || !liesInside(folder, m_folder) || !QDir().mkpath(folder)) {
        emit message(tr("Unable to create a new category"));
        return nullptr;
    }
    auto group = newCategory();
    group->setTitle(title);
    group->setExpanded(true);
    parent->setExpanded(true);
    return static_cast<RecGroup*>(add(std::move(group), parent));
}

bool Library::rename(GeneralRecItem* item, const QString& title)
{
    if (!item || title.isNull())
        return false;
    // The shown title may already be the typed one; the file still has this.
    const QString old = item->prevTitle();
    if (title == old)
        return true;
    const auto refuse = [&](const QString& why) {
        item->setTitle(old);
        emit message(why);
        return false;
    };
    const QString folder = pathOf(item->parent());
    if (folder.isNull() || !TitleRules::isSafeTitle(old) || !TitleRules::isSafeTitle(title))
        return refuse(tr("Unable to rename the item"));
    const QString extension = item->isGroup() ? "" : ".m4a";
    const QString oldPath = folder + "/" + old + extension;
    const QString newPath = folder + "/" + title + extension;
    if (isRecordedPath(oldPath) || !liesInside(oldPath, m_folder))
        return refuse(tr("Unable to rename the item"));
    if (isPathTaken(newPath))
        return refuse(tr("Item with the same name already exists in this category"));
    // A category without a folder, or a row whose conversion waits, has nothing to move.
    const bool nothingOnDisk =
        item->isGroup() ? !QFileInfo(oldPath).isDir() : m_imports->isWaiting(item->asItem());
    if (!nothingOnDisk && !QDir().rename(oldPath, newPath))
        return refuse(tr("Unable to rename the item"));
    item->setTitle(title);
    save();
    return true;
}

bool Library::isImport(const QStringList& paths) const
{
    if (paths.isEmpty() || m_folder.isEmpty())
        return false;
    // A folder merely named like the output folder ("rec2" beside "rec") is
    // outside it: only the folder itself and what lies below it are moved.
    return !ImportQueue::isSameOrInside(paths.first(), m_folder);
}

QList<GeneralRecItem*> Library::import(const QStringList& paths, GeneralRecItem* nearRow,
                                       bool before)
{
    if (paths.isEmpty() || refuseGoneFolder())
        return {};
    return m_imports->import(paths, dropTarget(nearRow, before, true, false));
}

RecGroup* Library::dropTarget(GeneralRecItem* nearRow, bool before, bool intoCategory,
                              bool forMove) const
{
    if (!nearRow)
        return forMove ? nullptr : m_root.get();
    RecGroup* category = nearRow->asGroup();
    if (!before && category && category->isExpanded() && (!forMove || intoCategory))
        return category;
    // A row listed among search results has the results as no parent of its own.
    return nearRow->parent() ? nearRow->parent()->asGroup() : nullptr;
}

bool Library::move(const QStringList& paths, GeneralRecItem* nearRow, bool before)
{
    if (!nearRow || paths.isEmpty() || refuseGoneFolder())
        return false;
    bool intoCategory = true;
    const QString nearPath = restorePath(nearRow);
    for (const QString& path : paths)
        if (path == nearPath)
            intoCategory = false;
    bool ok = true;
    for (const QString& path : paths) {
        if (!isPathTaken(path))
            continue;
        if (GeneralRecItem* moved = moveFile(path, nearRow, before, intoCategory)) {
            // The next one goes right after this one, so the order is kept.
            nearRow = moved;
            before = false;
            intoCategory = false;
        } else {
            ok = false;
        }
    }
    return ok;
}

GeneralRecItem* Library::moveFile(const QString& path, GeneralRecItem* nearRow, bool before,
                                  bool intoCategory)
{
    // The recording being made and the one being continued keep their paths
    // until they are closed.
    const bool recording = m_recordingPaths && !m_recordingPaths().isEmpty();
    if (path.isNull() || !nearRow || !isPathTaken(path) || recording)
        return nullptr;
    RecGroup* target = dropTarget(nearRow, before, intoCategory, true);
    const QString targetFolder = pathOf(target);
    if (!target || targetFolder.isNull() || !QDir().mkpath(targetFolder))
        return nullptr;
    GeneralRecItem* item = rowAt(path);
    if (!item || item == nearRow || !item->parent())
        return nullptr;
    // A category cannot go into itself or anywhere below itself.
    if (item->isGroup() && isBelow(target, item))
        return nullptr;
    const QString oldPath = pathOf(item);
    if (oldPath.isNull() || isRecordedPath(oldPath))
        return nullptr;
    // A row whose conversion waits has no file yet: only the row moves.
    const bool nothingOnDisk = item->asItem() && m_imports->isWaiting(item->asItem());
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
    if (before)
        moving = target->insertItemBefore(std::move(moving), nearRow);
    else if (target == nearRow)
        moving = target->insertItemBefore(std::move(moving), target->subItems().value(0));
    else
        moving = target->insertItemAfter(std::move(moving), nearRow);
    // Where the row it should go beside is not in the category, it goes last.
    target->addSubItem(std::move(moving));
    emit treeChanged();
    save();
    return item;
}

bool Library::remove(const QList<GeneralRecItem*>& rows)
{
    return m_deletes->remove(rows);
}

QList<GeneralRecItem*> Library::undoRemove()
{
    // Nothing is brought back onto the bare mount point of a drive that went.
    if (!canUndoRemove() || refuseGoneFolder())
        return {};
    return m_deletes->undo();
}

bool Library::canUndoRemove() const
{
    return m_deletes->canUndo();
}

QList<RecItem*> Library::split(RecItem* item)
{
    // As with moves, nothing is split while a recording is being made.
    const bool recording = m_recordingPaths && !m_recordingPaths().isEmpty();
    const QString path = pathOf(item);
    if (!item || item->isFileMissing() || item->marks().empty() || path.isNull() || recording)
        return {};
    const QFileInfo info(path);
    const QString base = info.completeBaseName();
    const QString folder = info.absolutePath();
    // Marks may lie beyond the end of a recording that was shortened; a cut
    // there ends the last piece at the true end.
    const double total = info.isFile() ? m_jobs->duration(path) : 0;
    if (total <= 0) {
        emit message(tr("Unable to split recording"));
        return {};
    }
    // One cut per whole second; of several marks in one second the first in
    // the list wins. The map walks the cuts in time order.
    std::map<float, const TimeMark*> cuts;
    for (const auto& mark : item->marks())
        cuts.emplace(std::trunc(mark.offset()), &mark);

    // The pieces take their names together once all are written; until then
    // their names are held here.
    QStringList names;
    const auto piecePath = [&] {
        return folder + "/" + TitleRules::firstFree(base + " ", ".m4a", [&](const QString& name) {
                   return isPathTaken(folder + "/" + name) || names.contains(folder + "/" + name);
               });
    };
    QList<AudioFileJobs::Piece> pieces;
    QStringList notes;
    double p = 0;
    QString note;
    for (const auto& [key, mark] : cuts) {
        const double end = std::min<double>(mark->offset(), total);
        if (end - p <= 0)
            continue;
        names << piecePath();
        pieces.append({p, end - p, names.last()});
        notes << note;
        note = mark->descr();
        p = end;
    }
    if (total - p > kMinPieceSeconds) {
        names << piecePath();
        pieces.append({p, -1, names.last()});
        notes << note;
    }
    emit jobStarted(tr("Splitting..."));
    const double step = 100.0 / static_cast<double>(cuts.size() + 1);
    const int made =
        m_jobs->cut(path, pieces, [this, step](int written) { emit jobProgress(written * step); });
    // The pieces made before a failure are kept.
    QList<RecItem*> rows;
    RecGroup* target = item->parent()->asGroup();
    for (int i = 0; i < made; ++i) {
        auto row = newRecording();
        row->setTitle(QFileInfo(pieces[i].destination).completeBaseName());
        row->setDate(item->date());
        row->setDescr(notes[i].isEmpty() ? item->descr() : notes[i] + "\n" + item->descr());
        row->setDuration(m_jobs->duration(pieces[i].destination));
        rows << static_cast<RecItem*>(add(std::move(row), target));
    }
    emit jobEnded();
    if (made < pieces.size())
        emit message(tr("Unable to split recording"));
    return rows;
}

bool Library::importMarks(const QString& path, RecItem* rec)
{
    if (!rec)
        return false;
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        emit message(tr("The label file \"%1\" could not be read.").arg(name));
        return false;
    }
    std::vector<MarkFiles::Label> labels;
    int badLine = 0;
    if (!MarkFiles::parseLabels(QString::fromUtf8(file.readAll()), labels, badLine)) {
        emit message(tr("Line %1 of \"%2\" is not a label: each line holds a start and an end "
                        "in seconds and a note, separated by tabs. No marks were added.")
                         .arg(badLine)
                         .arg(name));
        return false;
    }
    if (MarkFiles::addLabels(*rec, labels) == 0)
        return false;
    save();
    return true;
}

bool Library::exportMarks(RecItem* rec, const QString& path, bool cue)
{
    if (!rec || rec->marks().empty() || path.isEmpty())
        return false;
    QString text;
    if (cue) {
        if (rec->marks().size() > size_t(MarkFiles::kMaxCueTracks)) {
            emit message(tr("A CUE sheet holds at most %1 tracks, and this recording has %2 "
                            "marks. Export them as a label file instead.")
                             .arg(MarkFiles::kMaxCueTracks)
                             .arg(rec->marks().size()));
            return false;
        }
        // The sheet names the sound file from its own folder.
        text = MarkFiles::cueText(*rec, QFileInfo(path).dir().relativeFilePath(restorePath(rec)));
    } else {
        text = MarkFiles::labelText(*rec);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit()) {
        emit message(tr("The marks could not be written to \"%1\".").arg(path));
        return false;
    }
    return true;
}

QString Library::newRecordingPath(const RecGroup* group)
{
    if (refuseGoneFolder())
        return QString();
    // The same rule as deleting and renaming: a category folder that is a
    // link out of the output folder takes no recordings.
    const QString folder = pathOf(group);
    const QString path =
        folder.isNull()
            ? QString()
            : folder + "/" +
                  TitleRules::firstFree(tr("Untitled") + " ", ".m4a", [&](const QString& name) {
                      return isPathTaken(folder + "/" + name);
                  });
    if (path.isNull() || !QDir().mkpath(folder) || !liesInLibrary(path)) {
        emit message(tr("Unable to create a folder, try to change the path to the recordings in "
                        "the preferences"));
        return QString();
    }
    return path;
}

QString Library::continuationPath(const QString& path) const
{
    if (path.isEmpty())
        return QString();
    const QFileInfo info(path);
    const QString folder = info.path();
    return folder + "/" +
           TitleRules::firstFree(info.completeBaseName() + " ", ".m4a", [&](const QString& name) {
               return isPathTaken(folder + "/" + name);
           });
}

void Library::save()
{
    // The root is saved also while a search is shown, so that a quit in the
    // middle of a search loses nothing.
    if (!m_savingEnabled || m_store->isMerging())
        return;
    m_store->noteChange();
    // Saving would make the folder anew on the bare mount point; the tree
    // keeps the change and is saved when the drive is back.
    if (folderGone()) {
        m_store->setUnsavedChanges();
        setAvailable(false);
        return;
    }
    m_store->save();
    emit saved();
}

bool Library::folderGone() const
{
    if (QFileInfo(m_folder).isDir() || m_seen.path != m_folder)
        return false;
    // Where the folder was, the file system of the nearest folder still there
    // tells a deleted folder (the same one) from a drive not mounted (the one
    // below its mount point). Not known: taken as not mounted.
    return m_seen.device == 0 || LibraryPaths::fileSystemOf(m_folder) != m_seen.device;
}

void Library::noteFolderSeen()
{
    const SeenFolder seen{m_folder, LibraryPaths::fileSystemOf(m_folder)};
    if (seen.path == m_seen.path && seen.device == m_seen.device)
        return;
    m_seen = seen;
    emit folderSeen(m_seen);
}

bool Library::refuseGoneFolder()
{
    if (!folderGone())
        return false;
    setAvailable(false);
    emit message(tr("The folder of the recordings is not available. Connect its drive or choose "
                    "another folder in the preferences.") +
                 "\n\n" + m_folder);
    return true;
}

void Library::setAvailable(bool available)
{
    if (available == m_available)
        return;
    m_available = available;
    emit availabilityChanged(available);
    if (available) {
        // The library comes back as the disk holds it now.
        if (m_root->subItems().isEmpty())
            open(m_folder, m_seen);
        else
            rescan();
        return;
    }
    // Every change is in the database on the drive that went, so the rows
    // go until it is back; rows with changes not yet saved stay, shown missing.
    const bool recording = m_recordingPaths && !m_recordingPaths().isEmpty();
    if (!m_store->hasUnsavedChanges() && !recording) {
        clear();
    } else {
        walkRows(m_root.get(), [](GeneralRecItem* row) {
            if (RecItem* item = row->asItem())
                item->setFileMissing(true);
        });
    }
    emit treeChanged();
}

void Library::rescan()
{
    // A split or an import is writing files that get their rows when done;
    // their paths are left alone when the library is opened, which must
    // show what is missing at once.
    if (isBusy() && !m_scanAtOpen) {
        m_watcher->poke();
        return;
    }
    m_scanStamp = m_root->changeStamp();
    m_scanner->scan(m_folder);
}

bool Library::isScanning() const
{
    return m_scanner->isScanning();
}

void Library::applyScan(const DiskScan& scan)
{
    // The program renamed, moved, deleted or added rows while the disk was
    // listed: the listing may show a file under the name it had before, and
    // taking it in would undo that.
    if (m_root->changeStamp() != m_scanStamp) {
        rescan();
        return;
    }
    if (isBusy() && !m_scanAtOpen) {
        m_watcher->poke();
        return;
    }
    if (m_scanAtOpen) {
        // Opened and listed: what reading the file and taking in the listing
        // left free in the heap (the parse's nodes weighed as much as the
        // tree) goes back once this listing is freed too.
        QTimer::singleShot(0, this, [] { malloc_trim(0); });
    }
    m_scanAtOpen = false;
    m_watcher->watch(scan);
    if (!scan.available || folderGone()) {
        if (folderGone()) {
            setAvailable(false);
        } else if (m_available) {
            // Deleted: the rows keep their notes, shown missing; the next
            // recording or change makes the folder anew.
            m_adopter->reconcile(DiskScan::empty());
            emit treeChanged();
        }
        return;
    }
    noteFolderSeen();
    if (!m_available) {
        setAvailable(true);
        return;
    }
    bool changed = false;
    reconcile(scan, &changed);
    emit treeChanged();
    if (changed || m_store->hasUnsavedChanges())
        save();
}

void Library::reconcile(const DiskScan& scan, bool* changed)
{
    // Recordings whose file comes back open again for playing.
    QList<QPointer<RecItem>> missing;
    walkRows(m_root.get(), [&missing](GeneralRecItem* row) {
        if (RecItem* item = row->asItem(); item && item->isFileMissing())
            missing << item;
    });
    const bool restored = scan.available && m_deletes->bringBackFromTrash(scan);
    *changed = m_adopter->reconcile(scan) || restored;
    for (const QPointer<RecItem>& item : missing)
        if (item && !item->isFileMissing())
            emit fileReturned(item);
}

void Library::finishImports()
{
    m_imports->finish();
}

QStringList Library::pendingImports() const
{
    return m_imports->pendingPaths();
}

bool Library::isBusy() const
{
    return m_imports->isBusy();
}
