// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/WindowController.h"

#include "hotkeys/AppHotKeys.h"
#include "hotkeys/HotKeyCombination.h"
#include "library/FileFingerprint.h"
#include "library/Library.h"
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "media/ExportQueue.h"
#include "outline/EmptyLibraryHint.h"
#include "outline/RecOutlineController.h"
#include "outline/RecOutlineView.h"
#include "outline/SearchController.h"
#include "playback/RecNavigController.h"
#include "playback/RecNavigatorView.h"
#include "playback/SliderWithNotes.h"
#include "playback/TimeView.h"
#include "session/RecordingSession.h"
#include "shell/CustomView.h"
#include "shell/DescrPanel.h"
#include "shell/DescrPanelController.h"
#include "shell/ExportDialog.h"
#include "shell/ExportPlanner.h"
#include "shell/MainView.h"
#include "shell/PageContainer.h"
#include "shell/PreferencesView.h"
#include "shell/ProgressSheet.h"
#include "shell/RateController.h"
#include "shell/StopAfterMenu.h"
#include "shell/UndoBar.h"
#include "shell/WindowKeyHandler.h"
#include "widgets/AttachedWindow.h"
#include "widgets/Images.h"
#include "widgets/Messages.h"
#include "widgets/SwitchToolbarBtn.h"
#include "widgets/ToolbarButton.h"

#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLoggingCategory>
#include <QMenu>
#include <QScreen>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QVBoxLayout>
#include <QWindow>

Q_LOGGING_CATEGORY(lcWindow, "voicetray.window")

namespace {

// How long VoiceTray waits at start-up for the session's panel and its tray.
constexpr int kTrayPatienceMs = 60000;
// How often, and how far apart, the start-up looks whether the icon has its
// place: the tray usually takes it in within a few hundredths of a second.
constexpr int kPlacingTries = 100;
constexpr int kPlacingIntervalMs = 20;

} // namespace

WindowController::WindowController(Library& library, RecordingSession& session,
                                   const AppHotKeys& hotKeys, QObject* parent)
    : QObject(parent), m_library(library), m_session(session), m_hotKeys(hotKeys),
      m_backView(std::make_unique<PageContainer>()),
      m_mainView(std::make_unique<MainView>(m_backView.get())),
      m_prefView(std::make_unique<PreferencesView>(m_backView.get())),
      m_descrPanel(std::make_unique<DescrPanel>()),
      m_panelController(std::make_unique<DescrPanelController>(m_descrPanel.get())),
      m_outlineController(std::make_unique<RecOutlineController>()),
      m_searchController(
          std::make_unique<SearchController>(m_mainView->searchField(), m_outlineController.get())),
      m_recNavigatorView(std::make_unique<RecNavigatorView>()),
      m_recSlider(std::make_unique<SliderWithNotes>(m_recNavigatorView.get())),
      m_timeView(std::make_unique<TimeView>()),
      m_recNavigController(std::make_unique<RecNavigController>()),
      m_rateController(std::make_unique<RateController>()),
      m_progressSheet(std::make_unique<ProgressSheet>()),
      m_exports(std::make_unique<ExportQueue>()), m_pointerPosition([] { return QCursor::pos(); }),
      m_mouseButtons([] { return QGuiApplication::mouseButtons(); })
{
    m_backView->resize(m_mainView->size());
    // Only the page the container shows is visible.
    m_prefView->hide();
    connect(m_prefView.get(), &PreferencesView::backClicked, this, &WindowController::showMainView);
    connect(&m_trayWatcher, &TrayWatcher::trayAppeared, this, &WindowController::moveToTray);
    connect(&m_trayWatcher, &TrayWatcher::patienceRanOut, this, [this] {
        qCInfo(lcWindow, "No system tray came: VoiceTray shows a plain window");
        showPlainWindow();
        m_rateController->offerRateApp();
    });
    m_panelController->setAppDelegate(this);
    connect(m_descrPanel.get(), &DescrPanel::windowWillClose, this,
            &WindowController::descrWindowWillClose);
    m_outlineController->setAppDelegate(this);
    m_outlineController->setOutlineView(m_mainView->outlineView(), m_mainView->scrollView());
    m_outlineController->setTree(m_library.root());

    // The marks strip lies over the position slider.
    m_recNavigatorView->setFixedHeight(34);
    m_recSlider->setGeometry(8, 14, MainView::kWidth - 36, 18);
    m_mainView->navigatorArea()->addWidget(m_recNavigatorView.get());
    m_mainView->clockArea()->addWidget(m_timeView.get());
    m_recNavigatorView->setAppDelegate(this);
    m_recNavigatorView->setRecNavigController(m_recNavigController.get());
    m_recNavigatorView->setRecSlider(m_recSlider.get());
    m_timeView->setAppDelegate(this);
    m_recNavigController->setAppDelegate(this);
    m_recNavigController->setRecNavigatorView(m_recNavigatorView.get());
    m_recNavigController->setRecSlider(m_recSlider.get());
    m_recNavigController->setTimeView(m_timeView.get());

    m_hideTimer.setInterval(100);
    connect(&m_hideTimer, &QTimer::timeout, this, &WindowController::hideTimerFire);
    m_windowKeys = std::make_unique<WindowKeyHandler>(this);
    connect(m_mainView->undoBar(), &UndoBar::undoRequested, this, [this] { undoDelete(); });
    connect(&m_hotKeys, &AppHotKeys::statusChanged, this, [this] {
        m_mainView->outlineView()->emptyHint()->setRecordKeys(m_hotKeys.recordKeysText());
        // The tool tips of the record buttons name the combinations.
        if (m_started)
            updateButtonsState();
    });
    m_mainView->outlineView()->emptyHint()->setRecordKeys(m_hotKeys.recordKeysText());
    setupButtons();
    connectServices();
}

WindowController::~WindowController()
{
    // The player lets go of its recording before the tree that holds it goes.
    m_recNavigController->setCurrentFile(nullptr);
}

void WindowController::connectServices()
{
    connect(&m_library, &Library::message, this, [](const QString& text) { showMessage(text); });
    connect(&m_session, &RecordingSession::message, this,
            [](const QString& text) { showMessage(text); });
    connect(&m_library, &Library::rowAdded, m_outlineController.get(),
            &RecOutlineController::rowAdded);
    connect(&m_library, &Library::rowRemoving, m_outlineController.get(),
            &RecOutlineController::rowRemoving);
    connect(&m_library, &Library::treeChanged, this, [this] {
        m_outlineController->arrangeItems();
        updateButtonsState();
    });
    connect(&m_library, &Library::saved, this, [this] {
        m_panelController->setCurrentFile(m_outlineController->chiefSelectedItem());
    });
    connect(&m_library, &Library::fileReturned, this, [this](RecItem* row) {
        // A recording whose file is back opens again for playing.
        if (row != m_recNavigController->currentFile())
            return;
        m_recNavigController->setCurrentFile(nullptr);
        m_recNavigController->setCurrentFile(row);
        updateButtonsState();
    });
    connect(&m_library, &Library::availabilityChanged, this, [this](bool available) {
        m_mainView->outlineView()->emptyHint()->setUnavailableFolder(
            available ? QString() : m_library.folder());
        m_outlineController->arrangeItems();
        updateButtonsState();
    });
    connect(&m_library, &Library::removed, m_mainView->undoBar(), &UndoBar::showMessage);
    connect(&m_library, &Library::jobStarted, this, [this](const QString& title) {
        m_progressSheet->setProgress(0);
        m_progressSheet->progressTitle()->setText(title);
        m_progressSheet->beginSheet(sheetWindow());
    });
    connect(&m_library, &Library::jobProgress, m_progressSheet.get(), &ProgressSheet::setProgress);
    connect(&m_library, &Library::jobEnded, m_progressSheet.get(), &ProgressSheet::endSheet);

    connect(m_exports.get(), &ExportQueue::progress, this,
            [this](double fraction) { m_progressSheet->setProgress(fraction * 100); });
    connect(m_progressSheet.get(), &ProgressSheet::cancelRequested, m_exports.get(),
            &ExportQueue::cancel);
    connect(m_exports.get(), &ExportQueue::finished, this,
            [this](int written, const QString& error, bool cancelled) {
                m_progressSheet->endSheet();
                if (!error.isEmpty())
                    showMessage(tr("Not every copy could be written (%1 written).").arg(written) +
                                QLatin1Char('\n') + error);
                else if (!cancelled && written == 0)
                    showMessage(tr("There was nothing to export."));
            });

    connect(&m_session, &RecordingSession::aboutToStart, this, [this] {
        if (m_recNavigController->playingNow())
            m_recNavigController->stop();
    });
    connect(&m_session, &RecordingSession::startFailed, this,
            &WindowController::updateButtonsState);
    connect(&m_session, &RecordingSession::started, this, &WindowController::recordingStarted);
    connect(&m_session, &RecordingSession::stopped, this,
            [this](RecItem*, bool continuation) { recordingStopped(continuation); });
    connect(&m_session, &RecordingSession::markAdded, this, [this](RecItem* row) {
        if (row == m_recNavigController->currentFile())
            m_recNavigController->updateNotes();
        updateButtonsState();
    });
    connect(&m_session, &RecordingSession::partKept, this,
            [this](RecItem* row) { m_outlineController->selectItem(row); });
    connect(&m_session.engine(), &RecorderEngine::isListeningChanged, this, [this](bool on) {
        if (m_statusView)
            m_statusView->setListening(on);
    });
}

void WindowController::start(bool showNotesPanel)
{
    m_showNotesPanel = showNotesPanel;
    if (TrayWatcher::isTrayAvailable())
        setupStatusItem();
    m_backView->setCurrentView(m_mainView.get());
    // VoiceTray resigns being active when the focus leaves its windows for
    // another program's. A window that went meanwhile does not count: the
    // plain window that a tray appearing later replaced is no turning away.
    // The focus coming back before the hide timer decided keeps the window.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* focus) {
        const bool resigned = !focus && m_lastFocus;
        m_lastFocus = focus;
        if (resigned)
            windowResignKey();
        else if (focus)
            m_hideTimer.stop();
    });
    // Once the loop runs, the tray has had its first chance to take the icon in.
    QTimer::singleShot(0, this, &WindowController::showAtStartupTimerFire);
    m_started = true;
    updateButtonsState();
}

void WindowController::shutdown()
{
    // An open note pop-up saves what was typed into it as it closes.
    m_recNavigController->hideNote();
    if (m_recNavigController->playingNow())
        m_recNavigController->stop();
    disconnect(qApp, &QGuiApplication::focusWindowChanged, this, nullptr);
    m_hideTimer.stop();
    m_trayWatcher.stop();
    if (m_statusItem)
        m_statusItem->hide();
    m_statusView.reset();
    m_statusItem.reset();
    m_descrPanel->hide();
}

void WindowController::libraryClosing()
{
    if (m_recNavigController->playingNow())
        m_recNavigController->stop();
    // The search list holds rows of the old library: it goes before them.
    m_mainView->searchField()->clear();
    m_mainView->undoBar()->hide();
}

void WindowController::setupStatusItem()
{
    m_statusItem = std::make_unique<QSystemTrayIcon>();
    m_statusView = std::make_unique<CustomView>(m_statusItem.get(), this);
    // A click opens the window; the menu is the way to quit.
    auto* menu = new QMenu(m_mainView.get());
    menu->addAction(tr("Quit VoiceTray"), qApp, &QCoreApplication::quit);
    m_statusItem->setContextMenu(menu);
    m_statusItem->show();
    if (isRecording())
        m_statusView->recordingStarted();
    m_statusView->setListening(m_session.engine().isListening());
}

void WindowController::showAtStartupTimerFire()
{
    if (m_statusView) {
        // Until its tray has taken it in, the icon does not know its place.
        if (!m_statusView->isPlaced() && ++m_placingTries < kPlacingTries) {
            QTimer::singleShot(kPlacingIntervalMs, this, &WindowController::showAtStartupTimerFire);
            return;
        }
        m_statusView->showWindow();
        if (m_showNotesPanel)
            showDescrWnd(true);
        m_rateController->offerRateApp();
        return;
    }
    // The session's panel often starts after the programs of the login.
    qCInfo(lcWindow, "No system tray yet: waiting up to a minute for one");
    m_trayWatcher.start(kTrayPatienceMs);
}

QWidget* WindowController::showPlainWindow()
{
    if (m_plainWindow) {
        m_plainWindow->show();
        return m_plainWindow.get();
    }
    m_plainWindow = std::make_unique<QWidget>();
    m_plainWindow->setWindowTitle("VoiceTray");
    auto* layout = new QVBoxLayout(m_plainWindow.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_backView.get());
    // As large as the pages, and placed by VoiceTray itself (mid-screen), so
    // that the editor opens beside it before the window manager has placed it.
    QRect frame(QPoint(), m_backView->size());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        frame.moveCenter(screen->availableGeometry().center());
    m_plainWindow->setGeometry(frame);
    // Closing the only window of a program without a tray icon quits it.
    m_quitWhenClosed =
        connect(qApp, &QGuiApplication::lastWindowClosed, qApp, &QCoreApplication::quit);
    m_plainWindow->show();
    m_mainView->outlineView()->setFocus(Qt::ActiveWindowFocusReason);
    if (m_showNotesPanel)
        showDescrWnd(true);
    return m_plainWindow.get();
}

void WindowController::moveToTray()
{
    qCInfo(lcWindow, "A system tray appeared: the window moves there");
    disconnect(m_quitWhenClosed);
    if (m_plainWindow) {
        m_descrPanel->hide();
        m_backView->setParent(nullptr);
        m_plainWindow.reset();
    }
    setupStatusItem();
    // Opens the pop-up as the start-up does, once the icon has its place.
    m_placingTries = 0;
    QTimer::singleShot(0, this, &WindowController::showAtStartupTimerFire);
}

void WindowController::setPointerQuery(std::function<QPoint()> position,
                                       std::function<Qt::MouseButtons()> buttons)
{
    m_pointerPosition = std::move(position);
    m_mouseButtons = std::move(buttons);
}

void WindowController::showAttachedWindow(QPoint point, AttachedSide side)
{
    m_attachedWindow.reset();
    m_attachedWindow = AttachedWindow::create(m_backView.get(), point, side, 5.0);
    // Wholly inside the work area of the icon's screen, clear of the panels.
    const QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        m_attachedWindow->fitInside(screen->availableGeometry());
    m_attachedWindow->show();
    m_attachedWindow->raise();
    m_attachedWindow->activateWindow();
    // The keys go to the outline first, not to the Record button.
    m_mainView->outlineView()->setFocus(Qt::ActiveWindowFocusReason);
}

void WindowController::toggleAttachedWindowAtPoint(QPoint point, AttachedSide side)
{
    if (m_attachedWindow && m_attachedWindow->isVisible()) {
        m_descrPanel->hide();
        m_attachedWindow->hide();
        switchToView(m_mainView.get());
        return;
    }
    // Made anew at each opening, so the window lands under the icon wherever
    // the tray is now, on the side where it fits.
    showAttachedWindow(point, side);
    if (m_mainView->showDescrBtn->state() && !m_descrPanel->isVisible()) {
        placeDescrPanel();
        m_descrPanel->show();
        m_attachedWindow->activateWindow();
    }
}

double WindowController::recordingTime() const
{
    return m_timeView->time();
}

double WindowController::recordingTimeLeft() const
{
    const auto left = m_session.timeLeft();
    return left ? double(left->count()) / 1000 : -1;
}

void WindowController::setNextPlan(const QString& text)
{
    m_nextPlan = text;
    if (m_statusView)
        m_statusView->updateToolTip();
}

void WindowController::recordFor(std::chrono::minutes length)
{
    if (!isRecording())
        toggleRecording(false);
    m_session.limitTo(length);
}

QString WindowController::recordingDevice() const
{
    return m_session.device();
}

QWidget* WindowController::mainWindow() const
{
    if (m_attachedWindow)
        return m_attachedWindow.get();
    return m_plainWindow.get();
}

QWidget* WindowController::sheetWindow() const
{
    if (m_attachedWindow && m_attachedWindow->isVisible())
        return m_attachedWindow.get();
    return m_plainWindow.get();
}

void WindowController::placeDescrPanel()
{
    QWidget* window = mainWindow();
    const QRect frame = window->frameGeometry();
    // Its top level with the top of the window's body, below the arrow strip.
    int top = frame.top();
    if (window == m_attachedWindow.get())
        top += qRound(m_attachedWindow->viewFrame().top() - m_attachedWindow->viewMargin());
    const QScreen* screen = QGuiApplication::screenAt(frame.center());
    if (!screen)
        screen = window->screen();
    const QRect area = screen ? screen->availableGeometry() : frame;
    m_descrPanel->move(
        DescrPanel::besideWindow(frame, top, m_descrPanel->frameGeometry().size(), area));
}

void WindowController::showHideDescr(bool on)
{
    showDescrWnd(on);
    emit notesPanelChosen(on);
}

void WindowController::showDescrWnd(bool show)
{
    if (!mainWindow())
        return;
    m_mainView->showDescrBtn->setState(show);
    if (show) {
        m_mainView->showDescrBtn->setToolTip(tr("Hide Recordings Editor"));
        placeDescrPanel();
        m_descrPanel->show();
        m_descrPanel->raise();
        m_descrPanel->activateWindow();
    } else {
        m_mainView->showDescrBtn->setToolTip(tr("Show Recordings Editor"));
        m_descrPanel->close();
    }
}

void WindowController::descrWindowWillClose()
{
    if (!m_descrPanel->isVisible())
        return;
    m_mainView->showDescrBtn->setState(false);
    m_mainView->showDescrBtn->setToolTip(tr("Show Recordings Editor"));
    if (QWidget* window = mainWindow()) {
        window->raise();
        window->activateWindow();
    }
    emit notesPanelChosen(false);
}

void WindowController::switchToView(QWidget* view)
{
    if (view == m_prefView.get())
        m_backView->setDirection(PageContainer::Direction::FromRight);
    else if (view == m_mainView.get())
        m_backView->setDirection(PageContainer::Direction::FromLeft);
    else
        return;
    m_backView->setCurrentView(view);
    m_prefView->setCurrent(view == m_prefView.get());
}

void WindowController::showPrefs()
{
    switchToView(m_prefView.get());
}

void WindowController::showMainView()
{
    switchToView(m_mainView.get());
}

void WindowController::windowResignKey()
{
    if (!m_prefView->inOpenDialog() && m_statusView && m_attachedWindow &&
        m_attachedWindow->isVisible())
        m_hideTimer.start();
}

void WindowController::hideTimerFire()
{
    if (m_mouseButtons() == Qt::LeftButton)
        return;
    m_hideTimer.stop();
    if (!m_attachedWindow)
        return;
    const QPoint local = m_attachedWindow->mapFromGlobal(m_pointerPosition());
    // The window's body, on whichever side its arrow strip lies, is what counts.
    const qreal m = m_attachedWindow->viewMargin();
    if (m_attachedWindow->viewFrame().adjusted(-m, -m, m, m).contains(local))
        return;
    if (m_descrPanel->isVisible() &&
        m_descrPanel->rect().contains(m_descrPanel->mapFromGlobal(m_pointerPosition())))
        return;
    if (m_statusView && m_attachedWindow->isVisible())
        m_statusView->hideWindow();
}

void WindowController::setupButtons()
{
    MainView* v = m_mainView.get();
    const std::pair<ToolbarButton*, const char*> disabled[] = {
        {v->playBtn, "play_disabled.png"},
        {v->jumpForward, "play_right_disabled.png"},
        {v->jumpBackward, "play_left_disabled.png"},
        {v->addCategoryBtn, "add_category_disabled.png"},
        {v->deleteBtn, "delete_disabled.png"},
        {v->addMarkBtn, "add_marker_disabled.png"},
        {v->removeMarkBtn, "delete_marker_disabled.png"},
        {v->splitBtn, "split_disabled.png"},
        {v->recordBtn, "record_disabled.png"},
        {v->continueBtn, "record_continue_disabled.png"},
        {v->prefsBtn, "preferences_disabled.png"},
    };
    for (auto [button, image] : disabled)
        button->setDisabledImage(Images::pixmap(image));

    const std::pair<ToolbarButton*, void (WindowController::*)()> actions[] = {
        {v->playBtn, &WindowController::play},
        {v->jumpForward, &WindowController::jumpForward},
        {v->jumpBackward, &WindowController::jumpBackward},
        {v->addCategoryBtn, &WindowController::addCategory},
        {v->deleteBtn, &WindowController::removeSelected},
        {v->addMarkBtn, &WindowController::addNote},
        {v->removeMarkBtn, &WindowController::removeNote},
        {v->splitBtn, &WindowController::split},
        {v->prefsBtn, &WindowController::showPrefs},
    };
    for (auto [button, action] : actions)
        connect(button, &ToolbarButton::clicked, this, action);
    connect(v->showDescrBtn, &SwitchToolbarBtn::clicked, this, &WindowController::showHideDescr);
    // Each record button stops only what it started.
    connect(v->recordBtn, &ToolbarButton::clicked, this, [this] {
        if (!isRecording() || !m_session.isContinuing())
            toggleRecording(false);
    });
    connect(v->continueBtn, &ToolbarButton::clicked, this, [this] {
        if (!isRecording() || m_session.isContinuing())
            toggleRecording(true);
    });
    auto* lengths = new StopAfterMenu(v->recordBtn);
    connect(lengths, &StopAfterMenu::chosen, this, &WindowController::recordFor);
    connect(lengths, &StopAfterMenu::plansChosen, this, &WindowController::plansChosen);
    v->recordBtn->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(v->recordBtn, &QWidget::customContextMenuRequested, lengths,
            [lengths, v](QPoint at) { lengths->popup(v->recordBtn->mapToGlobal(at)); });
}

RecGroup* WindowController::targetCategory() const
{
    RecGroup* group = m_outlineController->currentGroup();
    if (group && group == m_outlineController->searchGroup())
        return m_outlineController->mainGroup();
    return group;
}

void WindowController::toggleRecording(bool continuation)
{
    RecItem* recording = nullptr;
    if (continuation && !isRecording()) {
        GeneralRecItem* chief = m_outlineController->chiefSelectedItem();
        recording = chief ? chief->asItem() : nullptr;
        if (!recording || recording->isFileMissing())
            return;
        m_outlineController->selectItem(recording);
    }
    m_session.toggle(continuation, targetCategory(), recording);
    updateButtonsState();
}

void WindowController::recordingStarted(RecItem* row, bool continuation)
{
    if (m_statusView)
        m_statusView->recordingStarted();
    if (!continuation)
        m_outlineController->selectItem(row);
    m_recNavigController->setRecordingMode(true);
    if (continuation)
        m_recNavigController->updateNotes();
    else
        // The file begins with the seconds heard before the start.
        m_timeView->setTime(float(m_session.engine().preRollTaken()));
    m_timeView->startRecording();
    updateButtonsState();
}

void WindowController::recordingStopped(bool continuation)
{
    if (m_statusView)
        m_statusView->recordingStopped();
    m_recNavigController->setRecordingMode(false);
    m_timeView->stopRecording();
    if (continuation)
        QTimer::singleShot(100, this, &WindowController::updateCurrentItemInfo);
    else
        updateCurrentItemInfo();
    updateButtonsState();
}

void WindowController::chiefSelectedChanged()
{
    GeneralRecItem* chief = m_outlineController->chiefSelectedItem();
    m_panelController->setCurrentFile(chief);
    m_recNavigController->setCurrentFile(chief && !chief->isGroup() ? chief : nullptr);
    updateButtonsState();
}

void WindowController::updateCurrentItemInfo()
{
    RecItem* current = m_recNavigController->currentFile();
    if (!current)
        return;
    m_panelController->setCurrentFile(current);
    m_recNavigController->setCurrentFile(nullptr);
    m_recNavigController->setCurrentFile(current);
    current->setDuration(m_recNavigController->curFileDuration());
    // Taken at once, so that the file is known again if it is renamed before the next start.
    current->setFingerprint(FileFingerprint::of(m_library.restorePath(current)));
    m_library.save();
    updateButtonsState();
}

void WindowController::play()
{
    if (m_recNavigController->playingNow())
        m_recNavigController->stop();
    else if (!m_recNavigController->play() && m_recNavigController->movie())
        showMessage(tr("Unable to play the recording"));
    updatePlayBtnState();
}

void WindowController::addNote()
{
    m_recNavigController->addNote();
}

void WindowController::removeNote()
{
    m_recNavigController->removeNote();
}

void WindowController::jumpForward()
{
    m_recNavigController->jumpForward();
}

void WindowController::jumpBackward()
{
    m_recNavigController->jumpBackward();
}

void WindowController::addCategory()
{
    RecGroup* parent = m_outlineController->currentGroup();
    if (parent == m_outlineController->searchGroup())
        parent = m_outlineController->mainGroup();
    if (RecGroup* made = m_library.addCategory(parent))
        m_outlineController->selectItem(made);
}

void WindowController::select(const QList<GeneralRecItem*>& rows)
{
    m_outlineController->deselectAll();
    for (GeneralRecItem* row : rows)
        m_outlineController->addToSelection(row);
    if (!rows.isEmpty())
        m_outlineController->setChiefSelectedItem(rows.first());
    updateButtonsState();
}

void WindowController::removeSelected()
{
    const QList<GeneralRecItem*> selected =
        m_outlineController->selectedItemsOfGroup(m_outlineController->mainItem());
    if (selected.isEmpty())
        return;
    m_library.remove(selected);
    m_outlineController->deselectAll();
    updateButtonsState();
}

bool WindowController::undoDelete()
{
    if (!m_library.canUndoRemove())
        return false;
    m_mainView->undoBar()->hide();
    select(m_library.undoRemove());
    return true;
}

void WindowController::split()
{
    RecItem* item = m_recNavigController->currentFile();
    if (!item || isRecording())
        return;
    m_outlineController->deselectAll();
    const QList<RecItem*> pieces = m_library.split(item);
    select(QList<GeneralRecItem*>(pieces.cbegin(), pieces.cend()));
}

bool WindowController::renameItem(GeneralRecItem* item, const QString& title)
{
    return m_library.rename(item, title);
}

void WindowController::structChanged()
{
    m_library.save();
}

bool WindowController::isRecording() const
{
    return m_session.isRecording();
}

QString WindowController::restorePath(const GeneralRecItem* item) const
{
    return m_library.restorePath(item);
}

bool WindowController::isFilesForImport(const QStringList& paths) const
{
    return m_library.isImport(paths);
}

bool WindowController::importFiles(const QStringList& paths, GeneralRecItem* nearItem,
                                   bool beforeItem)
{
    m_outlineController->deselectAll();
    const QList<GeneralRecItem*> made = m_library.import(paths, nearItem, beforeItem);
    select(made);
    return !made.isEmpty();
}

bool WindowController::moveFiles(const QStringList& paths, GeneralRecItem* nearItem,
                                 bool beforeItem)
{
    return m_library.move(paths, nearItem, beforeItem);
}

bool WindowController::importMarks(const QString& path, RecItem* rec)
{
    if (!m_library.importMarks(path, rec))
        return false;
    if (m_recNavigController->currentFile() == rec)
        m_recNavigController->updateNotes();
    updateButtonsState();
    return true;
}

void WindowController::exportSelected()
{
    QList<GeneralRecItem*> rows =
        m_outlineController->selectedItemsOfGroup(m_outlineController->mainItem());
    if (rows.isEmpty() && chiefSelectedItem())
        rows.append(chiefSelectedItem());
    if (rows.isEmpty() || m_exports->isRunning())
        return;
    const QString what = rows.size() == 1 ? tr("Export \u201c%1\u201d").arg(rows.first()->title())
                                          : tr("Export %1 chosen rows").arg(rows.size());
    ExportOptions start = m_exportOptions;
    if (start.folder.isEmpty())
        start.folder = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    ExportDialog dialog(what, start, window());
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_exportOptions = dialog.options();
    emit exportOptionsChosen(m_exportOptions);
    if (!QDir().mkpath(m_exportOptions.folder)) {
        showMessage(tr("The folder %1 cannot be made.").arg(m_exportOptions.folder));
        return;
    }
    // The recording being made is not whole yet.
    const QStringList recording = m_session.recordingPaths();
    std::vector<ExportItem> items =
        ExportPlanner(m_library, QSet<QString>(recording.cbegin(), recording.cend()))
            .plan(rows, m_exportOptions);
    if (items.empty()) {
        showMessage(tr("There was nothing to export."));
        return;
    }
    m_progressSheet->setProgress(0);
    m_progressSheet->progressTitle()->setText(tr("Exporting..."));
    m_progressSheet->setCancelable(true);
    m_progressSheet->beginSheet(sheetWindow());
    m_exports->start(std::move(items), m_exportOptions);
}

void WindowController::exportMarks(RecItem* rec)
{
    if (!rec || rec->marks().empty())
        return;
    const QString labelFilter = tr("Label file (*.txt)");
    const QString cueFilter = tr("CUE sheet (*.cue)");
    QString filter = labelFilter;
    QString path = QFileDialog::getSaveFileName(
        window(), tr("Export marks"), QDir(m_library.folder()).filePath(rec->title() + ".txt"),
        labelFilter + QStringLiteral(";;") + cueFilter, &filter);
    if (path.isEmpty())
        return;
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool cue =
        suffix == QStringLiteral("cue") || (suffix != QStringLiteral("txt") && filter == cueFilter);
    if (suffix.isEmpty())
        path += cue ? QStringLiteral(".cue") : QStringLiteral(".txt");
    m_library.exportMarks(rec, path, cue);
}

bool WindowController::isSkipSilence() const
{
    return m_session.engine().isSkipSilence();
}

float WindowController::takeRecordedLevel()
{
    return m_session.engine().takeRecordedLevel();
}

GeneralRecItem* WindowController::chiefSelectedItem() const
{
    return m_outlineController->chiefSelectedItem();
}

void WindowController::updateButtonsState()
{
    updatePlayBtnState();
    updateRecBtnState();
    updateContinueRecBtnState();
    MainView* v = m_mainView.get();
    const bool rec = isRecording();
    const RecItem* current = m_recNavigController->currentFile();
    const bool hasMarks = current && !current->marks().empty();
    const bool playable = current && !current->isFileMissing();
    v->jumpForward->setEnabled(playable && !rec);
    v->jumpBackward->setEnabled(playable && !rec);
    v->addCategoryBtn->setEnabled(!rec);
    v->deleteBtn->setEnabled(m_outlineController->chiefSelectedItem() && !rec);
    v->addMarkBtn->setEnabled(current);
    v->removeMarkBtn->setEnabled(current && m_recNavigController->selectedMarkID() >= 0);
    v->splitBtn->setEnabled(hasMarks && playable && !rec);
    v->prefsBtn->setEnabled(!rec);
}

void WindowController::updatePlayBtnState()
{
    ToolbarButton* b = m_mainView->playBtn;
    const bool playing = m_recNavigController->playingNow();
    b->setImage(Images::pixmap(playing ? "stop_playing.png" : "play.png"));
    b->setAlternateImage(Images::pixmap(playing ? "stop_playing_pressed.png" : "play_pressed.png"));
    b->setToolTip(playing ? tr("Stop") : tr("Play"));
    const RecItem* current = m_recNavigController->currentFile();
    b->setEnabled(current && !current->isFileMissing() && !isRecording());
}

void WindowController::updateRecBtnState()
{
    ToolbarButton* b = m_mainView->recordBtn;
    const bool rec = isRecording();
    const bool stop = rec && !m_session.isContinuing();
    b->setImage(Images::pixmap(stop ? "stop.png" : "record.png"));
    b->setAlternateImage(Images::pixmap(stop ? "stop_pressed.png" : "record_pressed.png"));
    const QString keys = HotKeyCombination::text(m_hotKeys.combination(AppHotKeys::Action::Record));
    b->setToolTip(stop ? tr("Stop Recording (%1)").arg(keys)
                       : tr("Start a New Recording (%1)").arg(keys));
    b->setEnabled(!rec || !m_session.isContinuing());
}

void WindowController::updateContinueRecBtnState()
{
    ToolbarButton* b = m_mainView->continueBtn;
    const bool rec = isRecording();
    const bool stop = rec && m_session.isContinuing();
    b->setImage(Images::pixmap(stop ? "stop_continue.png" : "record_continue.png"));
    b->setAlternateImage(
        Images::pixmap(stop ? "stop_continue_pressed.png" : "record_continue_pressed.png"));
    const QString keys =
        HotKeyCombination::text(m_hotKeys.combination(AppHotKeys::Action::Continue));
    b->setToolTip(stop ? tr("Stop Recording (%1)").arg(keys)
                       : tr("Continue Recording (%1)").arg(keys));
    const RecItem* current = m_recNavigController->currentFile();
    b->setEnabled((!rec && current && !current->isFileMissing()) || stop);
}
