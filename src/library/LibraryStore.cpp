// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/LibraryStore.h"

#include "library/DatabaseMerger.h"
#include "library/Library.h"
#include "library/LibraryPaths.h"
#include "library/RecGroup.h"
#include "library/RecordingsDBReader.h"
#include "library/XMLCreator.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool readInto(const QString& folder, const QByteArray& bytes, RecGroup* root)
{
    return RecordingsDBReader(folder,
                              [](std::unique_ptr<GeneralRecItem> row, RecGroup* group) {
                                  group->addSubItem(std::move(row))->setParent(group);
                              })
        .loadBytes(bytes, root);
}

} // namespace

bool LibraryStore::load()
{
    m_kept.clear();
    m_stamp = {};
    m_unreadable = false;
    m_unsaved = false;
    const QString folder = m_library.folder();
    const QString path = LibraryPaths::databasePath(folder);
    QFile file(path);
    const bool present = QFileInfo::exists(path) || QFileInfo(path).isSymLink();
    if (!present)
        return false;
    if (!file.open(QIODevice::ReadOnly)) {
        // Saving would replace the library that is there with an empty one.
        m_unreadable = true;
        emit m_library.message(Library::tr("The library file \"%1\" cannot be read. Changes are "
                                           "not saved until it can be read.")
                                   .arg(path));
        return false;
    }
    const DatabaseStamp stamp = DatabaseStamp::of(file.handle());
    QByteArray bytes = file.readAll();
    const int fd = ::fcntl(file.handle(), F_DUPFD_CLOEXEC, 0);
    // Kept before the read overwrites the bytes; dropped if they do not load.
    m_kept.keep(fd, bytes);
    RecordingsDBReader reader(folder, [this](std::unique_ptr<GeneralRecItem> row, RecGroup* group) {
        m_library.insert(std::move(row), group);
    });
    // The library is opened: the output tree is being listed meanwhile.
    reader.leaveFilesToTheScan();
    const bool loaded = reader.loadOwnedBytes(std::move(bytes), m_library.root(), [&file] {
        return file.seek(0) ? file.readAll() : QByteArray();
    });
    file.close();
    if (loaded) {
        m_stamp = stamp;
        return true;
    }
    m_kept.clear();
    // Kept aside so that the next save does not wipe notes and descriptions
    // that a repaired file could still give back.
    const QString aside = "RecordingsDB.unreadable-" +
                          QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss") + ".xml";
    m_unreadable = !QFile::rename(path, folder + "/" + aside);
    emit m_library.message(
        m_unreadable ? Library::tr("The library file \"%1\" cannot be read. Changes are not "
                                   "saved until it can be read.")
                           .arg(path)
                     : Library::tr("The library file could not be read. It was kept as \"%1\" "
                                   "and the library starts empty.")
                           .arg(aside));
    return false;
}

void LibraryStore::noteChange()
{
    m_lastLocalChangeNs = QDateTime::currentMSecsSinceEpoch() * 1000000;
}

bool LibraryStore::save()
{
    if (m_unreadable)
        return false;
    const QString path = LibraryPaths::databasePath(m_library.folder());
    if (DatabaseStamp::of(path) != m_stamp)
        merge(path);
    if (!XMLCreator().createXML(m_library.root(), path, &m_kept)) {
        m_unsaved = true;
        emit m_library.message(Library::tr("Unable to save the structure of recordings"));
        return false;
    }
    const DatabaseStamp written = m_kept.stamp();
    m_stamp = written.exists ? written : DatabaseStamp::of(path);
    m_unsaved = false;
    return true;
}

void LibraryStore::merge(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const DatabaseStamp stamp = DatabaseStamp::of(file.handle());
    DatabaseMerger merger;
    // Without the version this program last read or wrote (another program
    // wrote into that very file), every row merges as one both sides made.
    if (const std::optional<QByteArray> kept = m_kept.bytes()) {
        RecGroup base(RecGroup::Bare);
        if (readInto(m_library.folder(), *kept, &base))
            merger.setBase(&base);
    }
    RecGroup disk(RecGroup::Bare);
    if (!readInto(m_library.folder(), file.readAll(), &disk))
        return;
    m_merging = true;
    const bool changed = merger.merge(
        m_library.root(), &disk, stamp.modifiedNs > m_lastLocalChangeNs,
        [this](std::unique_ptr<GeneralRecItem> row, RecGroup* group) {
            m_library.insert(std::move(row), group);
        },
        [this](GeneralRecItem* row) { m_library.erase(row); });
    m_merging = false;
    if (changed)
        emit m_library.treeChanged();
}
