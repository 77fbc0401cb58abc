// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QSet>
#include <QString>

// One look at the output tree: every recording file and every folder below
// the output folder, as paths relative to it ("/Talks/Monday.m4a",
// "/Talks"), the form LibraryPaths::groupPath() gives. Hidden files and
// folders (the program's own temporary files among them) and links to
// folders are left out, and so is everything that is not a ".m4a" file.
struct DiskScan
{
    // Whether the output folder is there at all.
    bool available = false;
    // Recording files with their sizes in bytes.
    QHash<QString, qint64> files;
    QSet<QString> folders;

    static DiskScan of(const QString& outputFolder);
    // An output folder that is there and holds nothing.
    static DiskScan empty()
    {
        DiskScan scan;
        scan.available = true;
        return scan;
    }
};
