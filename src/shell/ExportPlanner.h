// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "media/ExportOptions.h"

#include <QList>
#include <QSet>
#include <vector>

class GeneralRecItem;
class Library;
class RecGroup;
class RecItem;

// Where the copies of chosen rows go: a recording as a file named after it
// in the folder, a category as a folder of its recordings (its categories
// as folders inside), no name used twice nor over an existing file; each
// copy carries the recording's title, date, description and marks.
class ExportPlanner
{
public:
    // skip: files that must not be exported (the recording being made).
    ExportPlanner(const Library& library, QSet<QString> skip);

    std::vector<ExportItem> plan(const QList<GeneralRecItem*>& rows, const ExportOptions& options);

private:
    void addRecording(const RecItem& rec, const QString& folder, const QString& suffix);
    void addCategory(const RecGroup& category, const QString& folder, const QString& suffix);
    QString freeName(const QString& folder, const QString& title, const QString& suffix);

    const Library& m_library;
    QSet<QString> m_skip;
    QSet<QString> m_taken;
    std::vector<ExportItem> m_items;
};
