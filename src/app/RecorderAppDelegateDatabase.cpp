// SPDX-License-Identifier: GPL-3.0-or-later
// The library database: loading, saving and record paths.
#include "app/QnMessageBox.h"
#include "app/RecorderAppDelegate.h"
#include "library/LibraryPaths.h"
#include "library/RecGroup.h"
#include "library/RecordingsDBReader.h"
#include "library/XMLCreator.h"
#include "outline/RecOutlineController.h"
#include "shell/DescrPanel.h"
#include "shell/DescrPanelController.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

void RecorderAppDelegate::setupRecordingsList()
{
    const QString path = LibraryPaths::databasePath(outputFolder());
    QFile file(path);
    m_databaseUnreadable = false;
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        // Saving would replace the library that is there with an empty one.
        m_databaseUnreadable = true;
        QnMessageBox(tr("The library file \"%1\" cannot be read. Changes are not saved until "
                        "it can be read.")
                         .arg(path));
        return;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    RecordingsDBReader reader(outputFolder(),
                              [this](std::unique_ptr<GeneralRecItem> item, RecGroup* group) {
                                  m_outlineController->insertRow(std::move(item), group);
                              });
    if (!reader.loadBytes(bytes, m_outlineController->mainGroup())) {
        // Kept aside so that the next save does not wipe notes and
        // descriptions that a repaired file could still give back.
        const QString aside = "RecordingsDB.unreadable-" +
                              QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss") + ".xml";
        m_databaseUnreadable = !QFile::rename(path, outputFolder() + "/" + aside);
        QnMessageBox(m_databaseUnreadable
                         ? tr("The library file \"%1\" cannot be read. Changes are not saved "
                              "until it can be read.")
                               .arg(path)
                         : tr("The library file could not be read. It was kept as \"%1\" and "
                              "the library starts empty.")
                               .arg(aside));
        return;
    }
    m_outlineController->arrangeItems();
    structChanged();
}

void RecorderAppDelegate::structChanged()
{
    // The library root is saved, also while a search is shown, so that a
    // quit in the middle of a search loses nothing.
    if (!m_initialized)
        return;
    saveLibrary();
}

void RecorderAppDelegate::saveLibrary()
{
    if (m_databaseUnreadable)
        return;
    if (!XMLCreator().createXML(m_outlineController->mainGroup(),
                                LibraryPaths::databasePath(outputFolder())))
        QnMessageBox(tr("Unable to save the structure of recordings"));
    m_panelController->setCurrentFile(m_outlineController->chiefSelectedItem());
}

QString RecorderAppDelegate::restorePath(const GeneralRecItem* item) const
{
    return LibraryPaths::restorePath(outputFolder(), item, m_outlineController->mainGroup());
}
