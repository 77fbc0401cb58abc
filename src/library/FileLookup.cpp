// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/FileLookup.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <dirent.h>

bool FileLookup::isFile(const QString& folder, const QString& name)
{
    auto listing = m_folders.constFind(folder);
    if (listing == m_folders.constEnd())
        listing = m_folders.insert(folder, list(folder));
    const QByteArray encoded = QFile::encodeName(name);
    if (listing->listed && !listing->unsure.contains(encoded))
        return listing->files.contains(encoded);
    return QFileInfo(folder + "/" + name).isFile();
}

FileLookup::Listing FileLookup::list(const QString& folder)
{
    Listing listing;
    // The file of "folder" + "/" + name; an empty folder is the file system's root.
    DIR* dir = opendir(folder.isEmpty() ? "/" : QFile::encodeName(folder).constData());
    if (!dir) {
        // Nothing can be found below a folder that is not there; any other
        // failure (no permission to list) leaves each file to be asked for.
        listing.listed = errno == ENOENT || errno == ENOTDIR;
        return listing;
    }
    errno = 0;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_type == DT_REG)
            listing.files.insert(QByteArray(entry->d_name));
        else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN)
            listing.unsure.insert(QByteArray(entry->d_name));
    }
    // A listing that broke off says nothing about what it did not reach.
    listing.listed = errno == 0;
    closedir(dir);
    return listing;
}
