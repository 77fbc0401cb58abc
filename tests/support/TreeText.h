// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class RecGroup;
class RecItem;

// The titles of the rows right under the category.
QStringList titles(const RecGroup* group);
// The tree under the category on one line, categories with their rows in
// brackets: "Talks[One Inner[Two]] Memo".
QString treeText(const RecGroup* group);
// The row at the index under the category, when it is a recording (a category).
RecItem* itemAt(const RecGroup* group, int index);
RecGroup* groupAt(const RecGroup* group, int index);
