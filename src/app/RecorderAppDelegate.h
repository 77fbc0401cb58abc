// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Settings.h"
#include "hotkeys/AppHotKeys.h"
#include "hotkeys/HotKeyController.h"
#include "outline/OutlineDelegate.h"
#include "playback/PlaybackDelegate.h"
#include "shell/StatusItemController.h"
#include "shell/ZwAttachedWindow.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>

class CustomView;
class GeneralRecItem;
class KvSoundFileRecorder;
class RecNavigController;
class RecNavigatorView;
class SliderWithNotes;
class TimeView;
class MainView;
class PageContainer;
class QSystemTrayIcon;
class QWidget;
class RecGroup;
class RecItem;
class RateController;
class RecOutlineController;
class SearchController;
class ZwAttachedWindow;

// The application controller: holds the settings, carries out every
// operation that touches the recordings on disk, and keeps the pop-up window
// in step. Main thread only.
class RecorderAppDelegate : public QObject,
                            public OutlineDelegate,
                            public StatusItemController,
                            public PlaybackDelegate,
                            public HotKeyController
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
    void outputFolderChanged(const QString& path);
    void setupInputDevice();
    void setupRecordingSettings();
    void setupHotKeys();
    void setInputDevice(const QString& name);
    void setSkipSilence(bool skip);
    void setSoundThreshold(float threshold);
    void setRecQuality(int quality);
    void setUseHotKeys(bool use);
    bool isSkipSilence() const override;
    float inputLevel() const;
    void startPseudoRecord();
    void stopPseudoRecord();

    // Recording.
    void startStopRecording(QObject* sender = nullptr) override;
    void resumeStopRecording(QObject* sender = nullptr) override;
    void stopRecording();
    bool continueRecording() const override { return m_recordResuming; }
    QString newRecordPath();
    static QString resumeRecordPath(const QString& path);
    bool combineFile(const QString& recording, const QString& part);
    // A free hidden name beside the file, for writing its replacement.
    static QString CreateTempFilePath(const QString& besideFile);

    // The library database.
    void setupRecordingsList();

    // Library operations.
    // The tree and the disk change together; every change of the tree saves.
    // Adds "Category N" (first free, ignoring case) with its folder to the current category.
    void addGroup();
    // Adds an empty recording row (no file) to the current category.
    void addItem();
    // Removes every selected row with its files; a selected category stands for its contents.
    void removeSelected();
    bool removeItem(RecItem* item);
    bool removeGroup(RecGroup* group);
    // Renames the file or folder; refuses unsafe titles and names already
    // taken on disk, and then shows the old title again.
    bool renameItem(GeneralRecItem* item, const QString& title) override;
    // The first record under the category, depth-first, whose path equals
    // the given one ignoring case.
    GeneralRecItem* findItemByPath(const QString& path, const RecGroup* group) const;
    // The record's path when every title on its way is a single path
    // component (so the path lies inside the output folder); the output
    // folder for the root; null otherwise. Deleting, moving and creating use this.
    QString libraryPath(const GeneralRecItem* item) const;

    // OutlineDelegate
    void structChanged() override;
    void chiefSelectedChanged() override;
    bool isRecording() const override;
    QString restorePath(const GeneralRecItem* item) const override;

    // The pop-up window.
    void toggleAttachedWindowAtPoint(QPoint point) override;
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
    ZwAttachedWindow* window() const override { return m_attachedWindow.get(); }
    // Where the window shows when the desktop has no system tray.
    QWidget* plainWindow() const { return m_plainWindow.get(); }
    // Reads the pointer and the mouse buttons; tests may supply their own.
    void setPointerQuery(std::function<QPoint()> position, std::function<Qt::MouseButtons()> buttons);

    RecOutlineController* outlineController() const { return m_outlineController; }
    KvSoundFileRecorder* recorder() const { return m_recorder; }
    RecNavigController* recNavigController() const { return m_recNavigController; }
    TimeView* timeView() const { return m_timeView; }
    RecNavigatorView* recNavigatorView() const { return m_recNavigatorView; }
    SliderWithNotes* recSlider() const { return m_recSlider; }
    const AppHotKeys& hotKeys() const { return m_hotKeys; }
    MainView* mainView() const { return m_mainView; }
    QWidget* prefView() const { return m_prefView; }
    PageContainer* backView() const { return m_backView.get(); }
    CustomView* statusView() const { return m_statusView; }
    QTimer& hideTimer() { return m_hideTimer; }

private:
    void showAtStartupTimerFire();
    void setCurrentView(QWidget* view);
    void showAttachedWindow(QPoint point);
    void saveLibrary();
    // The category a new recording goes into: during a search with nothing
    // chosen that is the library root, not the list of results.
    RecGroup* newRecordingGroup() const;

    Settings m_settings;
    std::unique_ptr<QSystemTrayIcon> m_statusItem;
    CustomView* m_statusView = nullptr;
    std::unique_ptr<ZwAttachedWindow> m_attachedWindow;
    std::unique_ptr<QWidget> m_plainWindow;
    std::unique_ptr<PageContainer> m_backView;
    MainView* m_mainView;
    QWidget* m_prefView;
    RecOutlineController* m_outlineController;
    SearchController* m_searchController;
    KvSoundFileRecorder* m_recorder;
    RecNavigatorView* m_recNavigatorView;
    SliderWithNotes* m_recSlider;
    TimeView* m_timeView;
    RecNavigController* m_recNavigController;
    AppHotKeys m_hotKeys;
    QString m_resumingRecPath;
    QPointer<RecGroup> m_resumingRecGroup;
    RateController* m_rateController;
    QWidget* m_currentView = nullptr;
    QTimer m_hideTimer;
    std::function<QPoint()> m_pointerPosition;
    std::function<Qt::MouseButtons()> m_mouseButtons;
    bool m_initialized = false;
    bool m_recordResuming = false;
};
