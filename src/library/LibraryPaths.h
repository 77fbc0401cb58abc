// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class GeneralRecItem;
class RecGroup;

// Where a record lives on disk: the titles from the top-level category down
// are path components below the output folder.
class LibraryPaths
{
public:
    // "/A/B" for category B in A; "/A/B/Talk" for recording Talk in it; ""
    // for null and for the shown root.
    static QString groupPath(const GeneralRecItem* item, const RecGroup* shownRoot);
    // The file of a recording (with ".m4a") or the folder of a category; the
    // output folder for a root; null for null or without an output folder.
    static QString restorePath(const QString& outputFolder, const GeneralRecItem* item,
                               const RecGroup* mainGroup);
    static QString databasePath(const QString& outputFolder);
    // The file system that holds the path, or would hold it if it were made:
    // the device of the path or of its nearest existing folder; 0 when none
    // can be looked at.
    static quint64 fileSystemOf(const QString& path);
};
