// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Settings.h"
#include "outline/OutlineDelegate.h"

#include <QObject>

#include <memory>

class GeneralRecItem;
class MainWindow;
class RecOutlineController;

// The application controller: holds the settings and carries out every
// operation that touches the recordings on disk. Main thread only.
class RecorderAppDelegate : public QObject, public OutlineDelegate
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

    // The library database.
    void setupRecordingsList();
    QString restorePath(const GeneralRecItem* item) const;

    // OutlineDelegate
    void structChanged() override;
    void chiefSelectedChanged() override;
    bool renameItem(GeneralRecItem* item, const QString& title) override;
    bool isRecording() const override;

    RecOutlineController* outlineController() const { return m_outlineController; }
    MainWindow* mainWindow() const { return m_mainWindow.get(); }

private:
    Settings m_settings;
    std::unique_ptr<MainWindow> m_mainWindow;
    RecOutlineController* m_outlineController;
    bool m_initialized = false;
    bool m_recordResuming = false;
};
