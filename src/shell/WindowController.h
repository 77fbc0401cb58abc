// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "media/ExportOptions.h"
#include "outline/OutlineDelegate.h"
#include "playback/PlaybackDelegate.h"
#include "shell/DescrPanelDelegate.h"
#include "shell/StatusItemController.h"
#include "shell/TrayWatcher.h"
#include "widgets/AttachedSide.h"
#include "widgets/AttachedWindow.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>

class AppHotKeys;
class CustomView;
class DescrPanel;
class DescrPanelController;
class ExportQueue;
class Library;
class MainView;
class PageContainer;
class PreferencesView;
class ProgressSheet;
class QSystemTrayIcon;
class QWidget;
class QWindow;
class RateController;
class RecGroup;
class RecNavigController;
class RecNavigatorView;
class RecOutlineController;
class RecordingSession;
class SearchController;
class SliderWithNotes;
class TimeView;
class WindowKeyHandler;

// VoiceTray's window: the pop-up under the tray icon (or a plain window
// where the desktop has no tray), its two pages, the toolbar's states, the
// outline, the player and the notes panel, the Undo bar and the progress
// sheet, and the messages of the services. It follows the library's and the
// recording session's signals and hands what the user does to them; it
// keeps no rules of its own about files. Main thread only.
class WindowController : public QObject,
                         public OutlineDelegate,
                         public PlaybackDelegate,
                         public DescrPanelDelegate,
                         public StatusItemController
{
    Q_OBJECT
public:
    WindowController(Library& library, RecordingSession& session, const AppHotKeys& hotKeys,
                     QObject* parent = nullptr);
    ~WindowController() override;

    // Shows the icon in the tray, or waits for a tray; the notes panel
    // opens with the window when shown says so.
    void start(bool showNotesPanel);
    // Playback, notes and the tray icon let go before the program quits.
    void shutdown();
    // The library shows another folder: the search and the Undo bar end.
    void libraryClosing();

    // What the toolbar, the keys, the hot keys and the commands do.
    void toggleRecording(bool continuation);
    void play();
    void addNote();
    void removeNote();
    void jumpForward();
    void jumpBackward();
    void addCategory();
    // Moves the selection to the Trash as one step (a selected category
    // stands for its contents); undoDelete() takes it back, selected again.
    void removeSelected();
    bool undoDelete();
    void split();
    // Asks for a format and writes copies of the selected rows (a category
    // as a folder) outside the library, behind the progress sheet.
    void exportSelected() override;
    // The choices the export dialog starts with.
    void setExportOptions(const ExportOptions& options) { m_exportOptions = options; }
    void showPrefs();
    void showMainView();
    void showHideDescr(bool on);

    // The pages and widgets, for the keys and the preferences.
    MainView* mainView() const { return m_mainView.get(); }
    PreferencesView* prefView() const { return m_prefView.get(); }
    PageContainer* backView() const { return m_backView.get(); }
    CustomView* statusView() const { return m_statusView.get(); }
    SliderWithNotes* recSlider() const { return m_recSlider.get(); }
    DescrPanel* descrPanel() const { return m_descrPanel.get(); }
    RecOutlineController* outlineController() const { return m_outlineController.get(); }
    RecNavigController* recNavigController() const { return m_recNavigController.get(); }
    RecNavigatorView* recNavigatorView() const { return m_recNavigatorView.get(); }
    TimeView* timeView() const { return m_timeView.get(); }
    ProgressSheet* progressSheet() const { return m_progressSheet.get(); }
    AttachedWindow* window() const override { return m_attachedWindow.get(); }
    // Where the window shows when the desktop has no system tray.
    QWidget* plainWindow() const { return m_plainWindow.get(); }
    // Shows the plain window, made when needed (no tray, or none yet).
    QWidget* showPlainWindow();
    // Reads the pointer and the mouse buttons; tests may supply their own.
    void setPointerQuery(std::function<QPoint()> position,
                         std::function<Qt::MouseButtons()> buttons);

    // The pop-up hides once the pointer has left it after the focus went.
    void windowResignKey();
    void hideTimerFire();
    QTimer& hideTimer() { return m_hideTimer; }

    // The shown state of every button, and the record buttons' tool tips.
    void updateButtonsState() override;

    // The window's part in a drop of files from outside, and the device
    // the tray's tool tip names.
    bool importFiles(const QStringList& paths, GeneralRecItem* nearItem, bool beforeItem) override;
    QString recordingDevice() const override;

    // The next planned recording, for the tray's tool tip.
    void setNextPlan(const QString& text);

signals:
    // The user showed or hid the notes panel.
    void notesPanelChosen(bool shown);
    // The user asked for the planned recordings.
    void plansChosen();
    // The user chose how to export.
    void exportOptionsChosen(const ExportOptions& options);

private:
    // What the outline, the player, the notes panel and the tray icon ask
    // of the window; each hands it on to a service.
    void structChanged() override;
    void chiefSelectedChanged() override;
    bool renameItem(GeneralRecItem* item, const QString& title) override;
    bool isRecording() const override;
    QString restorePath(const GeneralRecItem* item) const override;
    bool isFilesForImport(const QStringList& paths) const override;
    bool moveFiles(const QStringList& paths, GeneralRecItem* nearItem, bool beforeItem) override;
    bool importMarks(const QString& path, RecItem* rec) override;
    void exportMarks(RecItem* rec) override;
    bool isSkipSilence() const override;
    float takeRecordedLevel() override;
    GeneralRecItem* chiefSelectedItem() const override;
    void toggleAttachedWindowAtPoint(QPoint point, AttachedSide side) override;
    double recordingTime() const override;
    double recordingTimeLeft() const override;
    QString nextPlanText() const override { return m_nextPlan; }

    void setupButtons();
    // A new recording that stops by itself; given while one runs, its length.
    void recordFor(std::chrono::minutes length);
    void connectServices();
    void setupStatusItem();
    void showAtStartupTimerFire();
    void moveToTray();
    void showAttachedWindow(QPoint point, AttachedSide side);
    QWidget* mainWindow() const;
    QWidget* sheetWindow() const;
    void placeDescrPanel();
    void showDescrWnd(bool show);
    void descrWindowWillClose();
    void switchToView(QWidget* view);
    void updatePlayBtnState();
    void updateRecBtnState();
    void updateContinueRecBtnState();
    // The player shows the current recording's file and length anew.
    void updateCurrentItemInfo();
    void select(const QList<GeneralRecItem*>& rows);
    // The category a new recording or category goes into: during a search
    // with nothing chosen that is the library root, not the list of results.
    RecGroup* targetCategory() const;
    void recordingStarted(RecItem* row, bool continuation);
    void recordingStopped(bool continuation);

    Library& m_library;
    RecordingSession& m_session;
    const AppHotKeys& m_hotKeys;
    // Declared in the order they are made, so that they go in the reverse
    // order: a widget before the one that holds it.
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
    std::unique_ptr<RecNavigatorView> m_recNavigatorView;
    std::unique_ptr<SliderWithNotes> m_recSlider;
    std::unique_ptr<TimeView> m_timeView;
    std::unique_ptr<RecNavigController> m_recNavigController;
    std::unique_ptr<RateController> m_rateController;
    std::unique_ptr<WindowKeyHandler> m_windowKeys;
    std::unique_ptr<ProgressSheet> m_progressSheet;
    std::unique_ptr<ExportQueue> m_exports;
    ExportOptions m_exportOptions;
    QTimer m_hideTimer;
    TrayWatcher m_trayWatcher;
    int m_placingTries = 0;
    bool m_showNotesPanel = false;
    bool m_started = false;
    QString m_nextPlan;
    // The window of VoiceTray that had the focus last, while it exists.
    QPointer<QWindow> m_lastFocus;
    QMetaObject::Connection m_quitWhenClosed;
    std::function<QPoint()> m_pointerPosition;
    std::function<Qt::MouseButtons()> m_mouseButtons;
};
