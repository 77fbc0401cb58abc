// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Settings.h"
#include "outline/OutlineDelegate.h"

#include <QObject>

#include <memory>

class GeneralRecItem;
class MainWindow;
class RecGroup;
class RecItem;
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

    RecOutlineController* outlineController() const { return m_outlineController; }
    MainWindow* mainWindow() const { return m_mainWindow.get(); }

private:
    Settings m_settings;
    std::unique_ptr<MainWindow> m_mainWindow;
    RecOutlineController* m_outlineController;
    bool m_initialized = false;
    bool m_recordResuming = false;
};
