// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class AudioFileJobs;
class DeleteHistory;
class DiskScanner;
class GeneralRecItem;
class ImportQueue;
class LibraryAdopter;
class LibraryStore;
class LibraryWatcher;
class RecGroup;
class RecItem;
struct DiskScan;

// The recordings as the user keeps them: the tree of categories and
// recordings, and every rule that keeps it in step with the output folder on
// disk. A category is a folder, a recording an .m4a file named after its
// title; every change goes to the disk and the tree together and is saved in
// RecordingsDB.xml. Failures are told through message(). Main thread only.
class Library : public QObject
{
    Q_OBJECT
public:
    // The output folder as last found on disk, and the file system that held it.
    struct SeenFolder
    {
        QString path;
        quint64 device = 0;
    };

    explicit Library(AudioFileJobs* jobs, QObject* parent = nullptr);
    ~Library() override;

    RecGroup* root() const { return m_root.get(); }
    QString folder() const { return m_folder; }
    // Reads the library of the folder, and what changed on disk since.
    void open(const QString& folder, const SeenFolder& seen);
    // Saving starts once the program is up; until then changes wait.
    void enableSaving();
    // False while the output folder is on a drive that is not mounted.
    bool isAvailable() const { return m_available; }
    // The paths VoiceTray is recording into now (a continuation's recording
    // too): never deleted, renamed, moved or adopted meanwhile.
    void setRecordingPaths(std::function<QStringList()> paths)
    {
        m_recordingPaths = std::move(paths);
    }
    // Asks the user before what cannot be undone; answers yes or no.
    void setConfirm(std::function<bool(const QString& question, const QString& action)> confirm)
    {
        m_confirm = std::move(confirm);
    }

    // Paths. The record's path when every title on its way is a single
    // path component and it lies in the output folder; the output folder
    // for the root; null otherwise. Deleting, moving and creating use this.
    QString pathOf(const GeneralRecItem* item) const;
    // The record's file or folder as its titles name it.
    QString restorePath(const GeneralRecItem* item) const;
    // The first record whose path is the given one exactly.
    GeneralRecItem* rowAt(const QString& path) const;
    // Whether the folder that holds the path lies in the output folder once
    // links are followed.
    bool liesInLibrary(const QString& path) const;
    // Taken on disk, or the file of a row whose conversion is not yet written.
    bool isPathTaken(const QString& path) const;
    bool isRecordedPath(const QString& path) const;

    // Rows. A new row has the next free ID; a recording has the date of now.
    std::unique_ptr<RecItem> newRecording();
    std::unique_ptr<RecGroup> newCategory();
    // Gives the tree the row, saves, and answers it.
    GeneralRecItem* add(std::unique_ptr<GeneralRecItem> row, RecGroup* parent);
    // Puts the row in without saving; many rows added at once save once.
    GeneralRecItem* insert(std::unique_ptr<GeneralRecItem> row, RecGroup* parent);
    // Takes the row out of the tree and deletes it (nothing on disk); the
    // caller lays out and saves.
    void erase(GeneralRecItem* row);
    // The category folders of the path below the output folder, made as
    // rows when missing; null for an unsafe name.
    RecGroup* categoryAt(const QString& folder, bool* made);

    // What the user does. Each answers null or false, and says why, when it
    // fails; the rows made are answered so that the caller can choose them.
    // "Category N" (the first free, ignoring case) with its folder.
    RecGroup* addCategory(RecGroup* parent);
    // Renames the file or folder; refuses unsafe titles and names taken on
    // disk, and then shows the old title again.
    bool rename(GeneralRecItem* row, const QString& title);
    // Moves files and folders of the library next to a row: after it, or
    // before it; into an expanded category when dropped on it.
    bool move(const QStringList& paths, GeneralRecItem* nearRow, bool before);
    // Whether dropped paths are imported (they come from outside the
    // library) rather than moved.
    bool isImport(const QStringList& paths) const;
    QList<GeneralRecItem*> import(const QStringList& paths, GeneralRecItem* nearRow, bool before);
    // Moves the rows' files and folders to the desktop's Trash as one step
    // (see DeleteHistory).
    bool remove(const QList<GeneralRecItem*>& rows);
    // Brings back the last step deleted; answers the rows back.
    QList<GeneralRecItem*> undoRemove();
    bool canUndoRemove() const;
    // Cuts the recording at its marks into new recordings beside it.
    QList<RecItem*> split(RecItem* recording);
    // A label file's labels become marks of the recording.
    bool importMarks(const QString& path, RecItem* recording);
    // Writes the marks as a label file or a CUE sheet.
    bool exportMarks(RecItem* recording, const QString& path, bool cue);

    // Recording files. A free "Untitled N.m4a" in the category's folder,
    // made when missing; a free "<title> N.m4a" beside a recording.
    QString newRecordingPath(const RecGroup* category);
    QString continuationPath(const QString& recording) const;

    // The tree or a saved value changed: save.
    void save();
    // Looks at the output tree again: missing files, renames and moves done
    // outside, new files and folders, the folder's drive coming and going.
    // The listing is made on a worker; the tree follows when it is in.
    void rescan();
    // Whether a look at the output tree (asked by open() or rescan()) has
    // yet to be taken into the tree.
    bool isScanning() const;
    // Lets the waiting conversions finish, while their rows are still here.
    void finishImports();
    // Where the conversions not yet written go now.
    QStringList pendingImports() const;
    // Whether a split or an import is writing files right now.
    bool isBusy() const;

signals:
    // Rows came, went or moved: the outline lays them out again.
    void treeChanged();
    void rowAdded(GeneralRecItem* row);
    // The row, and everything under it, is about to be deleted.
    void rowRemoving(GeneralRecItem* row);
    // A recording's file came back (or went): the player opens it anew.
    void fileReturned(RecItem* row);
    // Saved, with what others saved meanwhile merged in.
    void saved();
    void availabilityChanged(bool available);
    void folderSeen(const Library::SeenFolder& seen);
    // What a delete took, for the bar that offers to undo it.
    void removed(const QString& what);
    // A split or conversions write files: a title, then 0..100, then the end.
    void jobStarted(const QString& title);
    void jobProgress(double percent);
    void jobEnded();
    // A failure the user must see.
    void message(const QString& text);

private:
    friend class DeleteHistory;
    friend class ImportQueue;
    friend class LibraryAdopter;

    bool folderGone() const;
    void noteFolderSeen();
    bool refuseGoneFolder();
    void setAvailable(bool available);
    void clear();
    GeneralRecItem* moveFile(const QString& path, GeneralRecItem* nearRow, bool before,
                             bool intoCategory);
    // The category a drop lands in, or null.
    RecGroup* dropTarget(GeneralRecItem* nearRow, bool before, bool intoCategory,
                         bool forMove) const;
    void applyScan(const DiskScan& scan);
    void reconcile(const DiskScan& scan, bool* changed);

    AudioFileJobs* m_jobs;
    std::unique_ptr<RecGroup> m_root;
    QString m_folder;
    SeenFolder m_seen;
    bool m_available = true;
    bool m_savingEnabled = false;
    std::function<QStringList()> m_recordingPaths;
    std::function<bool(const QString&, const QString&)> m_confirm;
    std::unique_ptr<LibraryStore> m_store;
    std::unique_ptr<LibraryWatcher> m_watcher;
    std::unique_ptr<LibraryAdopter> m_adopter;
    std::unique_ptr<DeleteHistory> m_deletes;
    // Last but one: its conversions end before the rows they write for.
    std::unique_ptr<ImportQueue> m_imports;
    // Last, so that it is gone first: its answers call into the rest.
    std::unique_ptr<DiskScanner> m_scanner;
    // The tree's change stamp when the disk was last asked for.
    quint64 m_scanStamp = 0;
    // The look asked for by open() is not yet in the tree.
    bool m_scanAtOpen = false;
};
