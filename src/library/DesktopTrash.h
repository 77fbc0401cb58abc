// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The desktop's Trash as file managers keep it (freedesktop.org): the home
// Trash, or a drive's own Trash folder for what lies on that drive. Main
// thread only.
class DesktopTrash
{
public:
    // Moves the file or folder, whole, to the Trash; answers where it lies
    // there, or null when it could not go to any Trash (nothing is moved then).
    static QString moveToTrash(const QString& path);
    // Puts a Trash entry back at the path, which must be free, as a file
    // manager's restore does.
    static bool restore(const QString& trashPath, const QString& path);
    // The entry's ".trashinfo" file.
    static QString infoPath(const QString& trashPath);
};
