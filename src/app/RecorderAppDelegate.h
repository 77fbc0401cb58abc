// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/AutostartEntry.h"
#include "app/DeletedRow.h"
#include "app/LibraryAdopter.h"
#include "app/PendingConversions.h"
#include "app/ProgressSheet.h"
#include "app/Settings.h"
#include "audio/PulseDeviceWatcher.h"
#include "audio/RecorderEngine.h"
#include "hotkeys/AppHotKeys.h"
#include "hotkeys/HotKeyController.h"
#include "library/DatabaseMerger.h"
#include "library/DatabaseStamp.h"
#include "library/LibraryWatcher.h"
#include "library/TrashedRows.h"
#include "media/AudioFile.h"
#include "outline/OutlineDelegate.h"
#include "playback/PlaybackDelegate.h"
#include "shell/DescrPanelDelegate.h"
#include "shell/PreferencesDelegate.h"
#include "shell/StatusItemController.h"
#include "shell/TrayWatcher.h"
#include "widgets/AttachedWindow.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <vector>

struct DiskScan;
class CustomView;
class DescrPanel;
class DescrPanelController;
class FileBatch;
class PreferencesView;
class GeneralRecItem;
class RecorderEngine;
class RecNavigController;
class RecNavigatorView;
class SliderWithNotes;
class TimeView;
class WindowKeyHandler;
class MainView;
class PageContainer;
class QSystemTrayIcon;
class QWidget;
class QWindow;
class RecGroup;
class RecItem;
class RateController;
class RecOutlineController;
class SearchController;
class AttachedWindow;
class QLabel;
class QProgressBar;

// The application controller: holds the settings, carries out every
// operation that touches the recordings on disk, and keeps the pop-up window
// in step. Main thread only.
class RecorderAppDelegate : public QObject,
                            public OutlineDelegate,
                            public StatusItemController,
                            public PlaybackDelegate,
                            public HotKeyController,
                            public PreferencesDelegate,
                            public DescrPanelDelegate
{
    Q_OBJECT
public:
    explicit RecorderAppDelegate(QObject* parent = nullptr);
    ~RecorderAppDelegate() override;

    // Start-up and shutdown.
    void applicationDidFinishLaunching();
    bool applicationShouldTerminate();
    bool initialized() const { return m_initialized; }

    // Settings and the output folder.
    Settings& settings() { return m_settings; }
    QString outputFolder() const { return m_settings.outputFolder(); }
    void outputFolderChanged(const QString& path) override;
    void setupInputDevice();
    // Fills the preferences' device list from the server, with the device in use selected.
    void showInputDevices();
    void setupOutputFolder();
    void setupRecordingSettings();
    void setupOtherPreferences();
    void setupHotKeys();
    // Gives a hot key another combination at once and keeps it in the
    // settings; false (nothing changes) for a combination it cannot take.
    bool setHotKey(AppHotKeys::Action action, QKeyCombination combination);
    void setInputDevice(const QString& name) override;
    void setSkipSilence(bool skip) override;
    void setSoundThreshold(float threshold) override;
    void setRecQuality(int quality) override;
    void setPreRoll(int seconds) override;
    void setUseHotKeys(bool use) override;
    // Writes or removes the autostart entry; a failure is shown and the
    // check box goes back to what the entry says.
    void setStartAtLogin(bool start);
    AutostartEntry& autostartEntry() { return m_autostart; }
    bool isSkipSilence() const override;
    float inputLevel() const override;
    float takeRecordedLevel() override;
    void startPseudoRecord() override;
    void stopPseudoRecord() override;

    // Recording.
    void startStopRecording(QObject* sender = nullptr) override;
    void resumeStopRecording(QObject* sender = nullptr) override;
    void stopRecording();
    bool continueRecording() const override { return m_recordResuming; }
    // A free "Untitled N.m4a" in the category's folder, made when missing;
    // null with a message when the folder cannot hold recordings.
    QString newRecordPath(const RecGroup* group);
    // A free "<title> N.m4a" beside the recording, for a continuation's part.
    QString resumeRecordPath(const QString& path) const;
    bool combineFile(const QString& recording, const QString& part);
    // A free hidden name beside the file, for writing its replacement.
    static QString CreateTempFilePath(const QString& besideFile);

    // The library database.
    void setupRecordingsList();

    // The library and the disk.
    // Looks at the output tree again: missing files, renames and moves done
    // outside, new files and folders, the folder's drive coming and going.
    void rescanLibrary();
    // False while the output folder is on a drive that is not mounted.
    bool libraryAvailable() const { return m_libraryAvailable; }
    LibraryWatcher* libraryWatcher() const { return m_libraryWatcher.get(); }

    // Library operations.
    // The tree and the disk change together; every change of the tree saves.
    // Adds "Category N" (first free, ignoring case) with its folder to the current category.
    void addGroup();
    // Adds an empty recording row (no file) to the current category.
    void addItem();
    // Moves the files and folders of the selected rows to the desktop's
    // Trash (a category's folder whole, with whatever else it holds) and
    // takes the rows out, as one step that undoDelete() takes back. A
    // selected category stands for its contents. Where no Trash can take a
    // file, the user is asked before it is deleted for good.
    void removeSelected();
    // One row, as removeSelected() takes it. False when the row stays, or
    // when its title names no file in the library (the row goes, nothing on
    // disk is touched).
    bool removeItem(RecItem* item);
    bool removeGroup(RecGroup* group);
    // Brings back what the last delete took: the files from the Trash and
    // the rows at their places with their notes, selected. Says which
    // cannot come back; false when nothing is left to undo, or when the
    // library's drive is not mounted (the step waits).
    bool undoDelete();
    // Renames the file or folder; refuses unsafe titles and names already
    // taken on disk, and then shows the old title again.
    bool renameItem(GeneralRecItem* item, const QString& title) override;
    // The first record under the category, depth-first, whose path equals
    // the given one exactly (Linux file names are case-sensitive).
    GeneralRecItem* findItemByPath(const QString& path, const RecGroup* group) const;
    // The record's path when every title on its way is a single path
    // component (so the path lies inside the output folder); the output
    // folder for the root; null otherwise. Deleting, moving and creating use this.
    QString libraryPath(const GeneralRecItem* item) const;
    // Whether the folder that holds the path lies in the output folder once
    // links are followed.
    bool liesInLibrary(const QString& path) const;
    // Whether the path is, or holds, the file being recorded or the recording
    // a continuation joins: such paths are not deleted, renamed or moved.
    bool isRecordedPath(const QString& path) const;

    // Split at time marks.
    // Cuts the open recording at its marks into new recordings beside it.
    void split();
    // Writes the part of the file from pos for len seconds (-1: to the end)
    // to a new file, copying the compressed audio; refuses a taken destination.
    // Given a batch, the new file takes its name when the batch is committed;
    // given the file's measure, it is not measured again.
    bool saveFragmentOf(const QString& path, float pos, float len, const QString& destination,
                        FileBatch* batch = nullptr, const MediaInfoPtr& source = nullptr);
    // The sheet over the pop-up window that shows the progress of a split or of conversions.
    ProgressSheet* progressPanel() const { return m_progressPanel.get(); }
    QProgressBar* progressBar() const { return m_progressPanel->progressBar(); }
    QLabel* progressTitle() const { return m_progressPanel->progressTitle(); }

    // Import and moving of files.
    // Files from outside the output folder are imported, files inside it moved.
    bool isFilesForImport(const QStringList& paths) const override;
    bool importFiles(const QStringList& paths, GeneralRecItem* nearItem, bool beforeItem) override;
    bool importFolder(const QString& source, const QString& destination, RecGroup* group);
    bool importFile(const QString& source, const QString& destination, RecGroup* group);
    // Starts converting any readable audio file to the row's .m4a file. The
    // file is measured and exported on a worker and lands wherever the row
    // is when the export ends; deleting the row cancels it.
    bool convert(const QString& source, RecItem* row);
    // The source of a started conversion has been measured: the sheet shows.
    void conversionLoaded(int id);
    // Progress of the running export; always lets it go on.
    bool movieShouldContinueOperation(QTMovieOperationPhase phase, double fraction);
    static double fileDuration(const QString& path);
    bool moveFiles(const QStringList& paths, GeneralRecItem* nearItem, bool beforeItem) override;
    // A label file's labels become marks of the recording; a file that is
    // not one adds nothing and says which line is wrong.
    bool importMarks(const QString& path, RecItem* rec) override;
    // Asks where, then writes a label file or a CUE sheet of the marks.
    void exportMarks(RecItem* rec) override;
    GeneralRecItem* moveFile(const QString& path, GeneralRecItem* nearItem, bool beforeItem,
                             bool allowInGrouping);
    // Where the conversions not yet written go now, in the order they were started.
    QStringList conversionPaths() const;
    int nTotalFilesToConvert() const { return m_conversions.total(); }

    // OutlineDelegate
    void structChanged() override;
    void chiefSelectedChanged() override;
    bool isRecording() const override;
    QString restorePath(const GeneralRecItem* item) const override;

    // The pop-up window.
    void toggleAttachedWindowAtPoint(QPoint point, AttachedSide side) override;
    double recordingTime() const override;
    QString recordingDevice() const override;
    void switchToView(QWidget* view);
    void showPrefs();
    void showMainView();
    void windowResignKey();
    void hideTimerFire();
    void setupButtons();
    void updateButtonsState() override;
    void updatePlayBtnState();
    void updateRecBtnState();
    void updateContinueRecBtnState();
    void updateCurrentItemInfo();
    void play();
    void addNote();
    void removeNote();
    void jumpForward();
    void jumpBackward();
    void showHideDescr(bool on);
    void showDescrWnd(bool show);
    void descrWindowWillClose();
    GeneralRecItem* chiefSelectedItem() const override;
    AttachedWindow* window() const override { return m_attachedWindow.get(); }
    // Where the window shows when the desktop has no system tray.
    QWidget* plainWindow() const { return m_plainWindow.get(); }
    // Shows the plain window, made when needed (no tray, or none yet).
    QWidget* showPlainWindow();
    // Reads the pointer and the mouse buttons; tests may supply their own.
    void setPointerQuery(std::function<QPoint()> position,
                         std::function<Qt::MouseButtons()> buttons);

    RecOutlineController* outlineController() const { return m_outlineController.get(); }
    RecorderEngine* recorder() const { return m_recorder.get(); }
    RecNavigController* recNavigController() const { return m_recNavigController.get(); }
    TimeView* timeView() const { return m_timeView.get(); }
    RecNavigatorView* recNavigatorView() const { return m_recNavigatorView.get(); }
    SliderWithNotes* recSlider() const { return m_recSlider.get(); }
    const AppHotKeys& hotKeys() const { return m_hotKeys; }
    MainView* mainView() const { return m_mainView.get(); }
    PreferencesView* prefView() const { return m_prefView.get(); }
    DescrPanel* descrPanel() const { return m_descrPanel.get(); }
    DescrPanelController* panelController() const { return m_panelController.get(); }
    PageContainer* backView() const { return m_backView.get(); }
    CustomView* statusView() const { return m_statusView.get(); }
    QTimer& hideTimer() { return m_hideTimer; }

private:
    void showAtStartupTimerFire();
    void setupStatusItem();
    // A tray appeared after the start: the window moves there.
    void moveToTray();
    void setCurrentView(QWidget* view);
    void showAttachedWindow(QPoint point, AttachedSide side);
    // The window in use: the pop-up, else the plain window; null before either.
    QWidget* mainWindow() const;
    void placeDescrPanel();
    // Shows how the hot keys are provided and their combinations.
    void hotKeysChanged();
    void saveLibrary();
    // Reads what another program saved since this one last read or wrote
    // the database, and merges it into the tree.
    void mergeDatabase(const QString& path);
    // The output folder is missing and the file system where it would be is
    // not the one that held it: its drive is not mounted. Nothing is made there then.
    bool outputFolderGone() const;
    // Notes the output folder, and its file system, as found on disk now.
    void outputFolderSeen();
    // Tells the user, when the folder is gone, and answers whether it is.
    bool refuseGoneFolder();
    void setLibraryAvailable(bool available);
    // The category a new recording goes into: during a search with nothing
    // chosen that is the library root, not the list of results.
    RecGroup* newRecordingGroup() const;
    // The one start and one stop sequence of new recordings and
    // continuations; the path, and so the category, is known before the
    // capture starts. Continuations take no pre-roll.
    bool beginRecording(const QString& path, bool takePreRoll);
    void endRecording();
    // Joins a continuation's part to its recording, or keeps it as its own.
    void joinPart();
    void markSeam(const QString& path);
    // The capture ended by itself: stopped as by the user, and the user is told why.
    void recordingInterrupted(RecorderEngine::Interruption why);

    // Every part is owned here and declared in the order it is made, so that
    // it goes in the reverse order: a widget before the one that holds it,
    // the tree's rows before the view they are shown in.
    Settings m_settings;
    AutostartEntry m_autostart;
    std::unique_ptr<QSystemTrayIcon> m_statusItem;
    std::unique_ptr<CustomView> m_statusView;
    std::unique_ptr<AttachedWindow> m_attachedWindow;
    std::unique_ptr<QWidget> m_plainWindow;
    std::unique_ptr<PageContainer> m_backView;
    std::unique_ptr<MainView> m_mainView;
    std::unique_ptr<PreferencesView> m_prefView;
    std::unique_ptr<DescrPanel> m_descrPanel;
    std::unique_ptr<DescrPanelController> m_panelController;
    std::unique_ptr<RecOutlineController> m_outlineController;
    std::unique_ptr<SearchController> m_searchController;
    std::unique_ptr<RecorderEngine> m_recorder;
    std::unique_ptr<PulseDeviceWatcher> m_deviceWatcher;
    std::unique_ptr<RecNavigatorView> m_recNavigatorView;
    std::unique_ptr<SliderWithNotes> m_recSlider;
    std::unique_ptr<TimeView> m_timeView;
    std::unique_ptr<RecNavigController> m_recNavigController;
    AppHotKeys m_hotKeys;
    QString m_resumingRecPath;
    QPointer<RecGroup> m_resumingRecGroup;
    std::unique_ptr<RateController> m_rateController;
    std::unique_ptr<WindowKeyHandler> m_windowKeys;
    QWidget* m_currentView = nullptr;
    QTimer m_hideTimer;
    TrayWatcher m_trayWatcher;
    int m_placingTries = 0;
    // The window of VoiceTray that had the focus last, while it exists.
    QPointer<QWindow> m_lastFocus;
    QMetaObject::Connection m_quitWhenClosed;
    std::function<QPoint()> m_pointerPosition;
    std::function<Qt::MouseButtons()> m_mouseButtons;
    bool m_initialized = false;
    bool m_recordResuming = false;
    // The output folder's library file exists but could not be read: it is not saved over.
    bool m_databaseUnreadable = false;

    // Split, import and moving.
    // The category a drop lands in, or null.
    RecGroup* dropTarget(GeneralRecItem* nearItem, bool beforeItem, bool allowInGrouping,
                         bool forMove) const;
    // Taken on disk, or the file of a row whose conversion is not yet written.
    bool isPathTaken(const QString& path) const;
    bool isWaitingPath(const QString& path) const;
    bool isOutputFolderOrInside(const QString& path) const;
    void conversionFinished(int id, bool ok);
    bool removeRows(const QList<GeneralRecItem*>& rows);
    // Asks, then deletes for good what no Trash could take.
    bool deletePermanently(const QList<QPointer<GeneralRecItem>>& rows);
    GeneralRecItem* bringBack(const DeletedRow& deleted, QStringList* lost);
    // The rows of Trash entries a file manager restored, back in the tree.
    bool bringBackFromTrash(const DiskScan& scan);
    // The row a document of XMLCreator::rowDocument() holds, its files
    // looked for in the folder.
    std::unique_ptr<GeneralRecItem> readRow(const QByteArray& document,
                                            const QString& folder) const;
    GeneralRecItem* placeRow(std::unique_ptr<GeneralRecItem> row, RecGroup* parent, int index);
    // Moves a written conversion to the row's path of now, or under the
    // next free name there if something took it meanwhile.
    bool placeConverted(const QString& file, RecItem* row);
    // Lets the waiting conversions finish, while their rows are still in the library.
    void finishConversions();
    // Conversions a crash cut short are begun again from their sources; the
    // rows of those whose source is gone go, and the user is told which.
    // Answers whether rows went.
    bool resumeImports();
    QWidget* sheetWindow() const;
    std::unique_ptr<ProgressSheet> m_progressPanel = std::make_unique<ProgressSheet>();
    // The library and the disk.
    std::unique_ptr<LibraryWatcher> m_libraryWatcher;
    std::unique_ptr<LibraryAdopter> m_adopter;
    DatabaseMerger m_merger;
    // The database file as this program last read or wrote it.
    DatabaseStamp m_dbStamp;
    // When the tree last changed here, in nanoseconds since the epoch.
    qint64 m_lastLocalChangeNs = 0;
    bool m_merging = false;
    // What went to the Trash, for a restore from a file manager; the
    // deletes of this run, for Undo, the last one last.
    static QString trashRecordsFolder();
    TrashedRows m_trashedRows{trashRecordsFolder()};
    std::vector<QList<DeletedRow>> m_deleteSteps;
    bool m_libraryAvailable = true;
    // The last save failed or could not be made: the tree holds more than the file.
    bool m_unsavedChanges = false;
    // Last: its worker stops before anything it reports to goes away.
    PendingConversions m_conversions;
};
