// SPDX-License-Identifier: GPL-3.0-or-later
// The library database: loading, saving with what others saved meanwhile, and record paths.
#include "app/MainView.h"
#include "app/RecorderAppDelegate.h"
#include "library/DiskScan.h"
#include "library/LibraryPaths.h"
#include "library/RecGroup.h"
#include "library/RecordingsDBReader.h"
#include "library/XMLCreator.h"
#include "outline/EmptyLibraryHint.h"
#include "outline/RecOutlineController.h"
#include "outline/RecOutlineView.h"
#include "playback/RecNavigController.h"
#include "shell/DescrPanel.h"
#include "shell/DescrPanelController.h"
#include "widgets/Messages.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

void RecorderAppDelegate::setupRecordingsList()
{
    m_merger.clearBase();
    m_dbStamp = {};
    m_adopter->reset();
    m_libraryWatcher->setFolder(outputFolder());
    m_libraryAvailable = !outputFolderGone();
    m_mainView->outlineView()->emptyHint()->setUnavailableFolder(
        m_libraryAvailable ? QString() : outputFolder());
    if (!m_libraryAvailable) {
        m_outlineController->arrangeItems();
        return;
    }
    const QString path = LibraryPaths::databasePath(outputFolder());
    bool loaded = false;
    m_databaseUnreadable = false;
    QFile file(path);
    const bool present = QFileInfo::exists(path) || QFileInfo(path).isSymLink();
    if (present && !file.open(QIODevice::ReadOnly)) {
        // Saving would replace the library that is there with an empty one.
        m_databaseUnreadable = true;
        showMessage(tr("The library file \"%1\" cannot be read. Changes are not saved until "
                       "it can be read.")
                        .arg(path));
    } else if (present) {
        const DatabaseStamp stamp = DatabaseStamp::of(path);
        const QByteArray bytes = file.readAll();
        file.close();
        RecordingsDBReader reader(outputFolder(),
                                  [this](std::unique_ptr<GeneralRecItem> item, RecGroup* group) {
                                      m_outlineController->insertRow(std::move(item), group);
                                  });
        loaded = reader.loadBytes(bytes, m_outlineController->mainGroup());
        if (loaded) {
            m_dbStamp = stamp;
            m_merger.setBase(m_outlineController->mainGroup());
        } else {
            // Kept aside so that the next save does not wipe notes and
            // descriptions that a repaired file could still give back.
            const QString aside = "RecordingsDB.unreadable-" +
                                  QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss") + ".xml";
            m_databaseUnreadable = !QFile::rename(path, outputFolder() + "/" + aside);
            showMessage(m_databaseUnreadable
                            ? tr("The library file \"%1\" cannot be read. Changes are not "
                                 "saved until it can be read.")
                                  .arg(path)
                            : tr("The library file could not be read. It was kept as \"%1\" "
                                 "and the library starts empty.")
                                  .arg(aside));
        }
    }
    const bool given = resumeImports();
    const DiskScan scan = DiskScan::of(outputFolder());
    if (scan.available)
        outputFolderSeen();
    m_libraryWatcher->watch(scan);
    const bool restored = scan.available && bringBackFromTrash(scan);
    const bool adopted = m_adopter->reconcile(outputFolder(), scan) || restored;
    m_outlineController->arrangeItems();
    if (loaded || adopted || given)
        structChanged();
}

void RecorderAppDelegate::structChanged()
{
    // The library root is saved, also while a search is shown, so that a
    // quit in the middle of a search loses nothing.
    if (!m_initialized || m_merging)
        return;
    m_lastLocalChangeNs = QDateTime::currentMSecsSinceEpoch() * 1000000;
    saveLibrary();
}

void RecorderAppDelegate::saveLibrary()
{
    if (m_databaseUnreadable)
        return;
    // Saving would make the folder anew on the bare mount point; the tree
    // keeps the change and is saved when the drive is back.
    if (outputFolderGone()) {
        m_unsavedChanges = true;
        setLibraryAvailable(false);
        return;
    }
    const QString path = LibraryPaths::databasePath(outputFolder());
    if (DatabaseStamp::of(path) != m_dbStamp)
        mergeDatabase(path);
    if (XMLCreator().createXML(m_outlineController->mainGroup(), path)) {
        m_dbStamp = DatabaseStamp::of(path);
        m_merger.setBase(m_outlineController->mainGroup());
        m_unsavedChanges = false;
    } else {
        m_unsavedChanges = true;
        showMessage(tr("Unable to save the structure of recordings"));
    }
    m_panelController->setCurrentFile(m_outlineController->chiefSelectedItem());
}

void RecorderAppDelegate::mergeDatabase(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const DatabaseStamp stamp = DatabaseStamp::of(path);
    RecGroup disk(RecGroup::Bare);
    RecordingsDBReader reader(outputFolder(),
                              [](std::unique_ptr<GeneralRecItem> item, RecGroup* group) {
                                  group->addSubItem(std::move(item))->setParent(group);
                              });
    if (!reader.loadBytes(file.readAll(), &disk))
        return;
    m_merging = true;
    const bool changed = m_merger.merge(
        m_outlineController->mainGroup(), &disk, stamp.modifiedNs > m_lastLocalChangeNs,
        [this](std::unique_ptr<GeneralRecItem> row, RecGroup* group) {
            m_outlineController->insertRow(std::move(row), group);
        },
        [this](GeneralRecItem* row) {
            if (m_recNavigController->currentFile() == row)
                m_recNavigController->setCurrentFile(nullptr);
            m_outlineController->removeItem(row);
        });
    m_merging = false;
    if (changed) {
        m_outlineController->arrangeItems();
        updateButtonsState();
    }
}

QString RecorderAppDelegate::restorePath(const GeneralRecItem* item) const
{
    return LibraryPaths::restorePath(outputFolder(), item, m_outlineController->mainGroup());
}
