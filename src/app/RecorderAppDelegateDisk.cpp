// SPDX-License-Identifier: GPL-3.0-or-later
// The library follows the disk: files changed outside VoiceTray and an
// output folder on a drive that comes and goes.
#include "app/MainView.h"
#include "app/RecorderAppDelegate.h"
#include "audio/RecorderEngine.h"
#include "library/DiskScan.h"
#include "library/LibraryPaths.h"
#include "library/RecItem.h"
#include "library/WalkRows.h"
#include "outline/EmptyLibraryHint.h"
#include "outline/RecOutlineController.h"
#include "outline/RecOutlineView.h"
#include "playback/RecNavigController.h"
#include "widgets/Messages.h"

#include <QFileInfo>

bool RecorderAppDelegate::outputFolderGone() const
{
    const QString folder = outputFolder();
    if (QFileInfo(folder).isDir() || m_settings.outputFolderSeen() != folder)
        return false;
    // Where the folder was, the file system of the nearest folder still there
    // tells a deleted folder (the same one) from a drive not mounted (the one
    // below its mount point). Not known: taken as not mounted.
    const quint64 device = m_settings.outputFolderDevice();
    return device == 0 || LibraryPaths::fileSystemOf(folder) != device;
}

void RecorderAppDelegate::outputFolderSeen()
{
    m_settings.setOutputFolderSeen(outputFolder(), LibraryPaths::fileSystemOf(outputFolder()));
}

bool RecorderAppDelegate::refuseGoneFolder()
{
    if (!outputFolderGone())
        return false;
    setLibraryAvailable(false);
    showMessage(tr("The folder of the recordings is not available. Connect its drive or choose "
                   "another folder in the preferences.") +
                "\n\n" + outputFolder());
    return true;
}

void RecorderAppDelegate::setLibraryAvailable(bool available)
{
    if (available == m_libraryAvailable)
        return;
    m_libraryAvailable = available;
    m_mainView->outlineView()->emptyHint()->setUnavailableFolder(available ? QString()
                                                                           : outputFolder());
    if (available) {
        // The library comes back as the disk holds it now.
        if (m_outlineController->mainGroup()->subItems().isEmpty())
            setupRecordingsList();
        else
            rescanLibrary();
        return;
    }
    // Every change is in the database on the drive that went, so the rows
    // go until it is back; rows with changes not yet saved stay, shown missing.
    if (!m_unsavedChanges && !isRecording()) {
        if (m_recNavigController->playingNow())
            m_recNavigController->stop();
        m_recNavigController->setCurrentFile(nullptr);
        m_outlineController->clear();
    } else {
        walkRows(m_outlineController->mainGroup(), [](GeneralRecItem* row) {
            if (RecItem* item = row->asItem())
                item->setFileMissing(true);
        });
    }
    m_outlineController->arrangeItems();
    updateButtonsState();
}

void RecorderAppDelegate::rescanLibrary()
{
    // A split or an import is writing files that get their rows when done.
    if (m_progressPanel->isSheetShown()) {
        m_libraryWatcher->poke();
        return;
    }
    const DiskScan scan = DiskScan::of(outputFolder());
    m_libraryWatcher->watch(scan);
    if (!scan.available) {
        if (outputFolderGone()) {
            setLibraryAvailable(false);
        } else if (m_libraryAvailable) {
            // Deleted: the rows keep their notes, shown missing; the next
            // recording or change makes the folder anew.
            m_adopter->reconcile(outputFolder(), DiskScan::empty());
            updateButtonsState();
        }
        return;
    }
    outputFolderSeen();
    if (!m_libraryAvailable) {
        setLibraryAvailable(true);
        return;
    }
    RecItem* current = m_recNavigController->currentFile();
    const bool wasMissing = current && current->isFileMissing();
    const bool restored = bringBackFromTrash(scan);
    const bool changed = m_adopter->reconcile(outputFolder(), scan) || restored;
    // A recording whose file is back opens again for playing.
    if (current && wasMissing && !current->isFileMissing()) {
        m_recNavigController->setCurrentFile(nullptr);
        m_recNavigController->setCurrentFile(current);
    }
    updateButtonsState();
    if (changed || m_unsavedChanges)
        structChanged();
}
