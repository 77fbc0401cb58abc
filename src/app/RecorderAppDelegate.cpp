// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RecorderAppDelegate.h"

#include "app/MainWindow.h"
#include "outline/RecOutlineController.h"
#include "outline/SearchController.h"

RecorderAppDelegate::RecorderAppDelegate(QObject* parent)
    : QObject(parent), m_mainWindow(std::make_unique<MainWindow>()),
      m_outlineController(new RecOutlineController(this))
{
    m_outlineController->setAppDelegate(this);
    m_outlineController->setOutlineView(m_mainWindow->outlineView(), m_mainWindow->scrollView());
    new SearchController(m_mainWindow->searchField(), m_outlineController, m_outlineController);
}

RecorderAppDelegate::~RecorderAppDelegate()
{
    // The rows live in the window; the tree goes first so that no record
    // outlives its row's parent.
    delete m_outlineController;
}

void RecorderAppDelegate::applicationDidFinishLaunching()
{
    m_initialized = false;
    m_recordResuming = false;
    setupRecordingsList();
    m_initialized = true;
    m_mainWindow->show();
}

bool RecorderAppDelegate::applicationShouldTerminate()
{
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

void RecorderAppDelegate::chiefSelectedChanged() {}

bool RecorderAppDelegate::isRecording() const
{
    return false;
}
