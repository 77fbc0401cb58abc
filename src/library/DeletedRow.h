// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/RecGroup.h"

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QString>
#include <utility>

// A row the user deleted, with what brings it back.
struct DeletedRow
{
    QString title;
    bool isGroup = false;
    // Its file or folder in the Trash; empty when it had none on disk.
    QString trashPath;
    // The row with everything under it, as the library file holds it.
    QByteArray document;
    // Where it was: its category, also as a path below the output folder,
    // and its place among the category's rows.
    QPointer<RecGroup> parent;
    QString category;
    int index = 0;
    // The imports that were converting into it or rows under it when it
    // went: the row's ID and the file converted.
    QList<std::pair<int, QString>> imports;
};
