// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up, settings and shutdown.
#include "app/RecorderAppDelegate.h"

#include "app/MainView.h"
#include "app/QnMessageBox.h"
#include "app/WindowKeyHandler.h"
#include "audio/KvSoundFileRecorder.h"
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
#include "shell/Images.h"
#include "shell/PageContainer.h"
#include "shell/PreferencesView.h"
#include "shell/RateController.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QVBoxLayout>

RecorderAppDelegate::RecorderAppDelegate(QObject* parent)
    : QObject(parent), m_backView(std::make_unique<PageContainer>()),
      m_mainView(new MainView(m_backView.get())), m_prefView(new PreferencesView(m_backView.get())),
      m_descrPanel(std::make_unique<DescrPanel>()),
      m_panelController(new DescrPanelController(m_descrPanel.get(), this)),
      m_outlineController(new RecOutlineController(this)),
      m_searchController(new SearchController(m_mainView->searchField(), m_outlineController,
                                              m_outlineController)),
      m_recorder(new KvSoundFileRecorder(this)), m_recNavigatorView(new RecNavigatorView),
      m_recSlider(new SliderWithNotes(m_recNavigatorView)), m_timeView(new TimeView),
      m_recNavigController(new RecNavigController(this)),
      m_rateController(new RateController(this)), m_pointerPosition([] { return QCursor::pos(); }),
      m_mouseButtons([] { return QGuiApplication::mouseButtons(); })
{
    m_backView->resize(m_mainView->size());
    // Only the page the container shows is visible.
    m_prefView->hide();
    m_prefView->setAppDelegate(this);
    connect(m_prefView, &PreferencesView::backClicked, this, &RecorderAppDelegate::showMainView);
    connect(m_prefView, &PreferencesView::startAtLoginChanged, this,
            &RecorderAppDelegate::setStartAtLogin);
    m_panelController->setAppDelegate(this);
    connect(m_descrPanel.get(), &DescrPanel::windowWillClose, this,
            &RecorderAppDelegate::descrWindowWillClose);
    m_outlineController->setAppDelegate(this);
    m_outlineController->setOutlineView(m_mainView->outlineView(), m_mainView->scrollView());

    // The marks strip lies over the position slider.
    m_recNavigatorView->setFixedHeight(34);
    m_recSlider->setGeometry(8, 14, MainView::kWidth - 36, 18);
    m_mainView->navigatorArea()->addWidget(m_recNavigatorView);
    m_mainView->clockArea()->addWidget(m_timeView);
    m_recNavigatorView->setAppDelegate(this);
    m_recNavigatorView->setRecNavigController(m_recNavigController);
    m_recNavigatorView->setRecSlider(m_recSlider);
    m_timeView->setAppDelegate(this);
    m_recNavigController->setAppDelegate(this);
    m_recNavigController->setRecNavigatorView(m_recNavigatorView);
    m_recNavigController->setRecSlider(m_recSlider);
    m_recNavigController->setTimeView(m_timeView);

    connect(m_recorder, &KvSoundFileRecorder::userMessage, this,
            [](const QString& text) { QnMessageBox(text); });
    m_hideTimer.setInterval(100);
    connect(&m_hideTimer, &QTimer::timeout, this, &RecorderAppDelegate::hideTimerFire);
    new WindowKeyHandler(this);
}

RecorderAppDelegate::~RecorderAppDelegate()
{
    m_recNavigController->setCurrentFile(nullptr);
    // The rows live in the main view; the tree goes first so that no record
    // outlives its row's parent.
    delete m_outlineController;
    m_attachedWindow.reset();
}

void RecorderAppDelegate::applicationDidFinishLaunching()
{
    m_initialized = false;
    m_recordResuming = false;

    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        m_statusItem = std::make_unique<QSystemTrayIcon>();
        m_statusItem->setIcon(Images::icon("microphone.png"));
        m_statusItem->setToolTip("VoiceTray");
        m_statusView = new CustomView(m_statusItem.get(), this, this);
        // A click opens the window; the menu is the way to quit.
        auto* menu = new QMenu(m_mainView);
        menu->addAction(tr("Quit VoiceTray"), qApp, &QCoreApplication::quit);
        m_statusItem->setContextMenu(menu);
        m_statusItem->show();
    }

    m_currentView = m_mainView;
    m_backView->setCurrentView(m_mainView);

    setupInputDevice();
    setupOutputFolder();
    setupRecordingSettings();
    setupRecordingsList();
    setupButtons();
    setupHotKeys();
    m_prefView->setStartAtLogin(m_autostart.isEnabled());

    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive)
                    windowResignKey();
            });
    QTimer::singleShot(100, this, &RecorderAppDelegate::showAtStartupTimerFire);

    m_initialized = true;
    updateButtonsState();
}

void RecorderAppDelegate::showAtStartupTimerFire()
{
    if (m_statusView) {
        m_statusView->mouseDown();
        setupOtherPreferences();
    } else {
        // Without a system tray the window is an ordinary one.
        m_plainWindow = std::make_unique<QWidget>();
        m_plainWindow->setWindowTitle("VoiceTray");
        auto* layout = new QVBoxLayout(m_plainWindow.get());
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_backView.get());
        m_plainWindow->show();
        m_mainView->outlineView()->setFocus(Qt::ActiveWindowFocusReason);
        // Closing the only window of a program without a tray icon quits it.
        connect(qApp, &QGuiApplication::lastWindowClosed, qApp, &QCoreApplication::quit);
    }
    m_rateController->offerRateApp();
}

bool RecorderAppDelegate::applicationShouldTerminate()
{
    // An open note pop-up saves what was typed into it as it closes.
    m_recNavigController->hideNote();
    if (m_recNavigController->playingNow())
        m_recNavigController->stop();
    stopRecording();
    disconnect(qApp, &QGuiApplication::applicationStateChanged, this, nullptr);
    m_hideTimer.stop();
    if (m_statusItem)
        m_statusItem->hide();
    m_statusView = nullptr;
    m_statusItem.reset();
    m_hotKeys.release();
    m_descrPanel->hide();
    return true;
}

void RecorderAppDelegate::setupInputDevice()
{
    const QStringList devices = KvSoundFileRecorder::availableInputDevices();
    m_prefView->setInputDevices(devices);
    QString chosen = KvSoundFileRecorder::defaultInputDevice();
    if (!m_settings.inputDevice().isNull())
        chosen = m_settings.inputDevice();
    if (chosen.isNull()) {
        if (devices.isEmpty())
            return;
        chosen = devices.first();
    }
    // A stored device that is not connected now is still handed over.
    m_recorder->setInputDevice(chosen);
    m_prefView->selectDevice(chosen);
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
}

void RecorderAppDelegate::setupHotKeys()
{
    m_hotKeys.setupHotKeys(this, !m_settings.ignoreGlobalHotKeys());
    m_prefView->setUseHotKeys(!m_settings.ignoreGlobalHotKeys());
    updateEmptyLibraryHint();
}

void RecorderAppDelegate::updateEmptyLibraryHint()
{
    m_mainView->outlineView()->emptyHint()->setRecordKeys(m_hotKeys.recordKeysText());
}

void RecorderAppDelegate::setInputDevice(const QString& name)
{
    if (!KvSoundFileRecorder::availableInputDevices().contains(name))
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

void RecorderAppDelegate::setUseHotKeys(bool use)
{
    m_settings.setIgnoreGlobalHotKeys(!use);
    m_hotKeys.setUseHotKeys(use);
    updateEmptyLibraryHint();
}

void RecorderAppDelegate::setStartAtLogin(bool start)
{
    if (!m_autostart.setEnabled(start))
        QnMessageBox(start ? tr("Unable to start VoiceTray at login")
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
    if (path.isEmpty() || path.compare(outputFolder(), Qt::CaseInsensitive) == 0)
        return;
    // Stopped while the old folder is still the output folder, so that the
    // finished recording's length is saved into its own library.
    stopRecording();
    if (m_recNavigController->playingNow())
        m_recNavigController->stop();
    m_settings.setOutputFolder(path);
    m_outlineController->clear();
    setupRecordingsList();
}

bool RecorderAppDelegate::isRecording() const
{
    return m_recorder->isRecording();
}
