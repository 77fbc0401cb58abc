// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/VoiceTrayApp.h"

#include "app/BusInterface.h"
#include "app/PlatformChoice.h"
#include "app/PreferencesController.h"
#include "library/Library.h"
#include "media/MediaFileJobs.h"
#include "session/RecordingPlans.h"
#include "session/RecordingSession.h"
#include "shell/PlansDialog.h"
#include "shell/WindowController.h"
#include "widgets/Messages.h"

#include <QTimer>

VoiceTrayApp::VoiceTrayApp(QObject* parent)
    : QObject(parent), m_jobs(std::make_unique<MediaFileJobs>()),
      m_library(std::make_unique<Library>(m_jobs.get())),
      m_session(std::make_unique<RecordingSession>(*m_library)),
      m_window(std::make_unique<WindowController>(*m_library, *m_session, m_hotKeys)),
      m_preferences(std::make_unique<PreferencesController>(m_settings, *m_session, m_hotKeys,
                                                            m_autostart, *m_window->prefView())),
      m_plans(std::make_unique<RecordingPlans>(*m_library, *m_session)),
      m_bus(std::make_unique<BusInterface>(*m_session, *m_window))
{
    connect(m_plans.get(), &RecordingPlans::changed, this,
            [this] { m_settings.setRecordingPlans(m_plans->toJson()); });
    connect(m_plans.get(), &RecordingPlans::message, this,
            [](const QString& text) { showMessage(text); });
    connect(m_plans.get(), &RecordingPlans::nextChanged, m_window.get(),
            &WindowController::setNextPlan);
    connect(m_window.get(), &WindowController::plansChosen, this, &VoiceTrayApp::showPlans);
    m_library->setConfirm(&askToConfirm);
    connect(m_library.get(), &Library::folderSeen, this, [this](const Library::SeenFolder& seen) {
        m_settings.setOutputFolderSeen(seen.path, seen.device);
    });
    connect(&m_hotKeys, &AppHotKeys::pressed, m_window.get(), [this](AppHotKeys::Action action) {
        m_window->toggleRecording(action == AppHotKeys::Action::Continue);
    });
    m_window->setExportOptions(m_settings.exportOptions());
    connect(m_window.get(), &WindowController::exportOptionsChosen, this,
            [this](const ExportOptions& options) { m_settings.setExportOptions(options); });
    connect(m_window.get(), &WindowController::notesPanelChosen, this,
            [this](bool shown) { m_settings.setHideDescrWnd(!shown); });
    connect(m_preferences.get(), &PreferencesController::outputFolderChosen, this,
            &VoiceTrayApp::changeOutputFolder);
}

VoiceTrayApp::~VoiceTrayApp() = default;

void VoiceTrayApp::start()
{
    m_preferences->load(PlatformChoice::isWaylandSession());
    openLibrary();
    m_library->enableSaving();
    m_window->start(!m_settings.hideDescrWnd());
    m_bus->publish();
    // Once the window is there to tell what was missed.
    QTimer::singleShot(0, m_plans.get(), [this] { m_plans->load(m_settings.recordingPlans()); });
}

void VoiceTrayApp::showPlans()
{
    PlansDialog dialog(*m_plans, *m_library);
    dialog.exec();
}

void VoiceTrayApp::openLibrary()
{
    m_library->open(m_settings.outputFolder(),
                    {m_settings.outputFolderSeen(), m_settings.outputFolderDevice()});
}

void VoiceTrayApp::changeOutputFolder(const QString& path)
{
    // Stopped while the old folder is still the output folder, so that the
    // finished recording's length is saved into its own library.
    m_session->stop();
    m_window->libraryClosing();
    m_library->finishImports();
    m_settings.setOutputFolder(path);
    openLibrary();
}

void VoiceTrayApp::quit()
{
    m_window->shutdown();
    m_session->stop();
    m_library->finishImports();
    m_hotKeys.release();
}
