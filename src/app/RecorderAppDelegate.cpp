// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up, settings and shutdown.
#include "app/RecorderAppDelegate.h"

#include "app/MainView.h"
#include "outline/RecOutlineController.h"
#include "outline/SearchController.h"
#include "shell/CustomView.h"
#include "shell/Images.h"
#include "shell/PageContainer.h"
#include "shell/RateController.h"
#include "shell/ZwAttachedWindow.h"

#include <QCursor>
#include <QGuiApplication>
#include <QSystemTrayIcon>
#include <QVBoxLayout>

RecorderAppDelegate::RecorderAppDelegate(QObject* parent)
    : QObject(parent), m_backView(std::make_unique<PageContainer>()),
      m_mainView(new MainView(m_backView.get())), m_prefView(new QWidget(m_backView.get())),
      m_outlineController(new RecOutlineController(this)),
      m_searchController(new SearchController(m_mainView->searchField(), m_outlineController,
                                              m_outlineController)),
      m_rateController(new RateController(this)), m_pointerPosition([] { return QCursor::pos(); }),
      m_mouseButtons([] { return QGuiApplication::mouseButtons(); })
{
    m_backView->resize(m_mainView->size());
    m_prefView->resize(m_mainView->size());
    m_outlineController->setAppDelegate(this);
    m_outlineController->setOutlineView(m_mainView->outlineView(), m_mainView->scrollView());
    m_hideTimer.setInterval(100);
    connect(&m_hideTimer, &QTimer::timeout, this, &RecorderAppDelegate::hideTimerFire);
}

RecorderAppDelegate::~RecorderAppDelegate()
{
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
        m_statusItem->show();
    }

    m_currentView = m_mainView;
    m_backView->setCurrentView(m_mainView);

    setupRecordingsList();
    setupButtons();

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
    } else {
        // Without a system tray the window is an ordinary one.
        m_plainWindow = std::make_unique<QWidget>();
        m_plainWindow->setWindowTitle("VoiceTray");
        auto* layout = new QVBoxLayout(m_plainWindow.get());
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_backView.get());
        m_plainWindow->show();
    }
    m_rateController->offerRateApp();
}

bool RecorderAppDelegate::applicationShouldTerminate()
{
    disconnect(qApp, &QGuiApplication::applicationStateChanged, this, nullptr);
    m_hideTimer.stop();
    if (m_statusItem)
        m_statusItem->hide();
    m_statusView = nullptr;
    m_statusItem.reset();
    return true;
}

void RecorderAppDelegate::outputFolderChanged(const QString& path)
{
    if (path.isEmpty() || path.compare(outputFolder(), Qt::CaseInsensitive) == 0)
        return;
    m_settings.setOutputFolder(path);
    m_outlineController->clear();
    setupRecordingsList();
}

void RecorderAppDelegate::chiefSelectedChanged()
{
    updateButtonsState();
}

bool RecorderAppDelegate::isRecording() const
{
    return false;
}
