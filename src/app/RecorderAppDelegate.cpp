// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up, settings and shutdown.
#include "app/RecorderAppDelegate.h"

#include "app/AppLog.h"
#include "app/MainView.h"
#include "app/PlatformChoice.h"
#include "app/WindowKeyHandler.h"
#include "audio/RecorderEngine.h"
#include "hotkeys/HotKeyCombination.h"
#include "library/RecGroup.h"
#include "outline/EmptyLibraryHint.h"
#include "outline/RecOutlineController.h"
#include "outline/RecOutlineView.h"
#include "outline/SearchController.h"
#include "playback/RecNavigController.h"
#include "playback/RecNavigatorView.h"
#include "playback/SliderWithNotes.h"
#include "playback/TimeView.h"
#include "shell/CustomView.h"
#include "shell/DescrPanel.h"
#include "shell/DescrPanelController.h"
#include "shell/HotKeyPreferences.h"
#include "shell/PageContainer.h"
#include "shell/PreferencesView.h"
#include "shell/RateController.h"
#include "shell/UndoBar.h"
#include "widgets/Messages.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QVBoxLayout>
#include <QWindow>

namespace {

// How long VoiceTray waits at start-up for the session's panel and its tray.
constexpr int kTrayPatienceMs = 60000;
// How often, and how far apart, the start-up looks whether the icon has its
// place: the tray usually takes it in within a few hundredths of a second.
constexpr int kPlacingTries = 100;
constexpr int kPlacingIntervalMs = 20;

} // namespace

RecorderAppDelegate::RecorderAppDelegate(QObject* parent)
    : QObject(parent), m_backView(std::make_unique<PageContainer>()),
      m_mainView(std::make_unique<MainView>(m_backView.get())),
      m_prefView(std::make_unique<PreferencesView>(m_backView.get())),
      m_descrPanel(std::make_unique<DescrPanel>()),
      m_panelController(std::make_unique<DescrPanelController>(m_descrPanel.get())),
      m_outlineController(std::make_unique<RecOutlineController>()),
      m_searchController(
          std::make_unique<SearchController>(m_mainView->searchField(), m_outlineController.get())),
      m_recorder(std::make_unique<RecorderEngine>()),
      m_recNavigatorView(std::make_unique<RecNavigatorView>()),
      m_recSlider(std::make_unique<SliderWithNotes>(m_recNavigatorView.get())),
      m_timeView(std::make_unique<TimeView>()),
      m_recNavigController(std::make_unique<RecNavigController>()),
      m_rateController(std::make_unique<RateController>()),
      m_pointerPosition([] { return QCursor::pos(); }),
      m_mouseButtons([] { return QGuiApplication::mouseButtons(); })
{
    m_backView->resize(m_mainView->size());
    // Only the page the container shows is visible.
    m_prefView->hide();
    m_prefView->setAppDelegate(this);
    connect(m_prefView.get(), &PreferencesView::backClicked, this,
            &RecorderAppDelegate::showMainView);
    connect(m_prefView.get(), &PreferencesView::startAtLoginChanged, this,
            &RecorderAppDelegate::setStartAtLogin);
    connect(m_prefView->hotKeys(), &HotKeyPreferences::combinationChosen, this,
            [this](int action, QKeyCombination combination) {
                setHotKey(action == 0 ? AppHotKeys::Action::Record : AppHotKeys::Action::Continue,
                          combination);
            });
    connect(m_prefView->hotKeys(), &HotKeyPreferences::capturingChanged, &m_hotKeys,
            &AppHotKeys::setSuspended);
    connect(&m_hotKeys, &AppHotKeys::statusChanged, this, &RecorderAppDelegate::hotKeysChanged);
    connect(&m_trayWatcher, &TrayWatcher::trayAppeared, this, &RecorderAppDelegate::moveToTray);
    connect(&m_trayWatcher, &TrayWatcher::patienceRanOut, this, [this] {
        qCInfo(lcApp, "No system tray came: VoiceTray shows a plain window");
        showPlainWindow();
        m_rateController->offerRateApp();
    });
    m_panelController->setAppDelegate(this);
    connect(m_descrPanel.get(), &DescrPanel::windowWillClose, this,
            &RecorderAppDelegate::descrWindowWillClose);
    m_outlineController->setAppDelegate(this);
    m_outlineController->setOutlineView(m_mainView->outlineView(), m_mainView->scrollView());

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

    connect(m_recorder.get(), &RecorderEngine::userMessage, this,
            [](const QString& text) { showMessage(text); });
    connect(m_recorder.get(), &RecorderEngine::isListeningChanged, this, [this](bool on) {
        if (m_statusView)
            m_statusView->setListening(on);
    });
    connect(
        m_recorder.get(), &RecorderEngine::soundFileRecorderWasInterrupted, this,
        [this](RecorderEngine*, RecorderEngine::Interruption why) { recordingInterrupted(why); });
    ConversionQueue& conversions = m_conversions.queue();
    connect(&conversions, &ConversionQueue::loaded, this, [this](int id) { conversionLoaded(id); });
    connect(&conversions, &ConversionQueue::progress, this, [this](int, double fraction) {
        movieShouldContinueOperation(QTMovieOperationPhase::UpdatePercent, fraction);
    });
    connect(&conversions, &ConversionQueue::finished, this,
            &RecorderAppDelegate::conversionFinished);
    m_hideTimer.setInterval(100);
    connect(&m_hideTimer, &QTimer::timeout, this, &RecorderAppDelegate::hideTimerFire);
    m_windowKeys = std::make_unique<WindowKeyHandler>(this);
    connect(m_mainView->undoBar(), &UndoBar::undoRequested, this, [this] { undoDelete(); });

    m_libraryWatcher = std::make_unique<LibraryWatcher>();
    m_adopter = std::make_unique<LibraryAdopter>(m_outlineController.get());
    connect(m_libraryWatcher.get(), &LibraryWatcher::treeChanged, this,
            &RecorderAppDelegate::rescanLibrary);
    connect(m_adopter.get(), &LibraryAdopter::measured, this, [this] { structChanged(); });
    m_adopter->setBusy([this](const QString& path) {
        return (isRecording() && m_recorder->outputFilePath() == path) || isWaitingPath(path);
    });
}

RecorderAppDelegate::~RecorderAppDelegate()
{
    // The player lets go of its recording before the tree that holds it goes.
    m_recNavigController->setCurrentFile(nullptr);
}

void RecorderAppDelegate::applicationDidFinishLaunching()
{
    m_initialized = false;
    m_recordResuming = false;

    if (TrayWatcher::isTrayAvailable())
        setupStatusItem();

    m_currentView = m_mainView.get();
    m_backView->setCurrentView(m_mainView.get());

    setupInputDevice();
    setupOutputFolder();
    setupRecordingSettings();
    setupRecordingsList();
    setupButtons();
    setupHotKeys();
    m_prefView->setStartAtLogin(m_autostart.isEnabled());

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
    QTimer::singleShot(0, this, &RecorderAppDelegate::showAtStartupTimerFire);

    m_initialized = true;
    updateButtonsState();
}

void RecorderAppDelegate::setupStatusItem()
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
    m_statusView->setListening(m_recorder->isListening());
}

void RecorderAppDelegate::showAtStartupTimerFire()
{
    if (m_statusView) {
        // Until its tray has taken it in, the icon does not know its place.
        if (!m_statusView->isPlaced() && ++m_placingTries < kPlacingTries) {
            QTimer::singleShot(kPlacingIntervalMs, this,
                               &RecorderAppDelegate::showAtStartupTimerFire);
            return;
        }
        m_statusView->showWindow();
        setupOtherPreferences();
        m_rateController->offerRateApp();
        return;
    }
    // The session's panel often starts after the programs of the login.
    qCInfo(lcApp, "No system tray yet: waiting up to a minute for one");
    m_trayWatcher.start(kTrayPatienceMs);
}

QWidget* RecorderAppDelegate::showPlainWindow()
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
    setupOtherPreferences();
    return m_plainWindow.get();
}

void RecorderAppDelegate::moveToTray()
{
    qCInfo(lcApp, "A system tray appeared: the window moves there");
    disconnect(m_quitWhenClosed);
    if (m_plainWindow) {
        m_descrPanel->hide();
        m_backView->setParent(nullptr);
        m_plainWindow.reset();
    }
    setupStatusItem();
    // Opens the pop-up as the start-up does, once the icon has its place.
    m_placingTries = 0;
    QTimer::singleShot(0, this, &RecorderAppDelegate::showAtStartupTimerFire);
}

bool RecorderAppDelegate::applicationShouldTerminate()
{
    // An open note pop-up saves what was typed into it as it closes.
    m_recNavigController->hideNote();
    if (m_recNavigController->playingNow())
        m_recNavigController->stop();
    stopRecording();
    finishConversions();
    disconnect(qApp, &QGuiApplication::focusWindowChanged, this, nullptr);
    m_hideTimer.stop();
    m_trayWatcher.stop();
    if (m_statusItem)
        m_statusItem->hide();
    m_statusView.reset();
    m_statusItem.reset();
    m_hotKeys.release();
    m_descrPanel->hide();
    return true;
}

void RecorderAppDelegate::setupInputDevice()
{
    // Without a chosen device the recorder asks for the default one at every
    // start; a chosen one that is not connected now is still handed over.
    if (!m_settings.inputDevice().isNull())
        m_recorder->setInputDevice(m_settings.inputDevice());
    showInputDevices();
    if (m_deviceWatcher)
        return;
    m_deviceWatcher = std::make_unique<PulseDeviceWatcher>();
    connect(m_deviceWatcher.get(), &PulseDeviceWatcher::devicesChanged, this, [this] {
        showInputDevices();
        m_recorder->followDevices();
    });
    m_deviceWatcher->start();
}

void RecorderAppDelegate::showInputDevices()
{
    const QStringList devices = RecorderEngine::availableInputDevices();
    m_prefView->setInputDevices(devices,
                                devices.isEmpty() ? QString() : RecorderEngine::mixedInputDevice());
    // The default is shown as the one in use, without choosing it for good;
    // with no microphone at all nothing is shown as in use.
    QString chosen = m_settings.inputDevice();
    if (chosen.isNull())
        chosen = RecorderEngine::defaultInputDevice();
    m_prefView->selectDevice(chosen.isNull() ? QStringLiteral("") : chosen);
}

QString RecorderAppDelegate::recordingDevice() const
{
    return isRecording() ? m_recorder->sourceDescription() : QString();
}

void RecorderAppDelegate::setupOutputFolder()
{
    m_prefView->setOutputFolder(outputFolder());
}

void RecorderAppDelegate::setupOtherPreferences()
{
    if (!m_settings.hideDescrWnd())
        showDescrWnd(true);
}

void RecorderAppDelegate::setupRecordingSettings()
{
    // Each value goes through its control, which hands it back to its setter.
    m_prefView->setSoundThreshold(m_settings.soundThreshold());
    m_prefView->setSkipSilence(m_settings.skipSilence());
    m_prefView->setRecQuality(m_settings.recQuality());
    m_prefView->setPreRoll(m_settings.preRoll());
}

void RecorderAppDelegate::setupHotKeys()
{
    // On Wayland X11 grabs see keys only while a VoiceTray window is active.
    m_hotKeys.setPreferPortal(PlatformChoice::isWaylandSession());
    if (const auto chosen = m_settings.hotKey(Settings::kRecordShortcut, Settings::kRecordHotKey))
        m_hotKeys.setInitialCombination(AppHotKeys::Action::Record, *chosen);
    if (const auto chosen =
            m_settings.hotKey(Settings::kContinueShortcut, Settings::kContinueHotKey))
        m_hotKeys.setInitialCombination(AppHotKeys::Action::Continue, *chosen);
    m_hotKeys.setupHotKeys(this, !m_settings.ignoreGlobalHotKeys());
    m_prefView->setUseHotKeys(!m_settings.ignoreGlobalHotKeys());
    hotKeysChanged();
}

bool RecorderAppDelegate::setHotKey(AppHotKeys::Action action, QKeyCombination combination)
{
    if (!m_hotKeys.setCombination(action, combination)) {
        hotKeysChanged();
        return false;
    }
    m_settings.setHotKey(action == AppHotKeys::Action::Record ? Settings::kRecordShortcut
                                                              : Settings::kContinueShortcut,
                         combination);
    return true;
}

void RecorderAppDelegate::hotKeysChanged()
{
    HotKeyPreferences* prefs = m_prefView->hotKeys();
    prefs->setStatus(m_hotKeys.status());
    prefs->setCombinationText(
        0, HotKeyCombination::text(m_hotKeys.combination(AppHotKeys::Action::Record)));
    prefs->setCombinationText(
        1, HotKeyCombination::text(m_hotKeys.combination(AppHotKeys::Action::Continue)));
    m_mainView->outlineView()->emptyHint()->setRecordKeys(m_hotKeys.recordKeysText());
    // The tool tips of the record buttons name the combinations.
    if (m_initialized)
        updateButtonsState();
}

void RecorderAppDelegate::setInputDevice(const QString& name)
{
    if (name != RecorderEngine::mixedInputDevice() &&
        !RecorderEngine::availableInputDevices().contains(name))
        return;
    // Changing the device ends the capture; stopped here the recording keeps
    // its duration and a continuation is joined.
    if (name != m_recorder->inputDevice())
        stopRecording();
    m_settings.setInputDevice(name);
    m_recorder->setInputDevice(name);
}

void RecorderAppDelegate::setSkipSilence(bool skip)
{
    if (skip != m_settings.skipSilence())
        stopRecording();
    m_settings.setSkipSilence(skip);
    m_recorder->setSkipSilence(skip);
}

void RecorderAppDelegate::setSoundThreshold(float threshold)
{
    m_settings.setSoundThreshold(threshold);
    m_recorder->setThreshold(threshold);
}

void RecorderAppDelegate::setRecQuality(int quality)
{
    if (quality < 1 || quality > 3)
        return;
    stopRecording();
    m_recorder->setQuality(quality);
    m_settings.setRecQuality(quality);
}

void RecorderAppDelegate::setPreRoll(int seconds)
{
    m_settings.setPreRoll(seconds);
    m_recorder->setPreRoll(m_settings.preRoll());
}

void RecorderAppDelegate::setUseHotKeys(bool use)
{
    m_settings.setIgnoreGlobalHotKeys(!use);
    m_hotKeys.setUseHotKeys(use);
}

void RecorderAppDelegate::setStartAtLogin(bool start)
{
    if (!m_autostart.setEnabled(start))
        showMessage(start ? tr("Unable to start VoiceTray at login")
                          : tr("Unable to stop starting VoiceTray at login"));
    m_prefView->setStartAtLogin(m_autostart.isEnabled());
}

bool RecorderAppDelegate::isSkipSilence() const
{
    return m_recorder->isSkipSilence();
}

float RecorderAppDelegate::inputLevel() const
{
    return m_recorder->inputLevel();
}

float RecorderAppDelegate::takeRecordedLevel()
{
    return m_recorder->takeRecordedLevel();
}

void RecorderAppDelegate::startPseudoRecord()
{
    if (m_recorder->isRecording())
        return;
    m_recorder->setPseudoRecord(true);
    m_recorder->start();
}

void RecorderAppDelegate::stopPseudoRecord()
{
    m_recorder->stop();
    m_recorder->setPseudoRecord(false);
}

void RecorderAppDelegate::outputFolderChanged(const QString& path)
{
    if (path.isEmpty() || path == outputFolder())
        return;
    // Stopped while the old folder is still the output folder, so that the
    // finished recording's length is saved into its own library.
    stopRecording();
    if (m_recNavigController->playingNow())
        m_recNavigController->stop();
    finishConversions();
    // The search list holds rows of the old library: it goes before them.
    m_mainView->searchField()->clear();
    m_settings.setOutputFolder(path);
    // What was deleted from the other library stays in the Trash.
    m_deleteSteps.clear();
    m_mainView->undoBar()->hide();
    m_outlineController->clear();
    setupRecordingsList();
}

bool RecorderAppDelegate::isRecording() const
{
    return m_recorder->isRecording();
}
