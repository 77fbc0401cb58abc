// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class GeneralRecItem;
class RecItem;

// What the outline asks of the window that shows it.
class OutlineDelegate
{
public:
    virtual ~OutlineDelegate() = default;
    // The tree or a saved value changed: save the library.
    virtual void structChanged() = 0;
    virtual void chiefSelectedChanged() = 0;
    // The user finished typing a new title into a row.
    virtual bool renameItem(GeneralRecItem* item, const QString& title) = 0;
    virtual bool isRecording() const = 0;

    // Drag and drop. A row's file or folder on disk, null when it has none.
    virtual QString restorePath(const GeneralRecItem*) const { return QString(); }
    // Whether dropped paths are imported (they come from outside the library)
    // rather than moved.
    virtual bool isFilesForImport(const QStringList&) const { return false; }
    // The place of a drop: after the near row, or before it; no near row
    // means the top of the outline.
    virtual bool importFiles(const QStringList&, GeneralRecItem*, bool) { return false; }
    virtual bool moveFiles(const QStringList&, GeneralRecItem*, bool) { return false; }

    // Time marks to and from other tools: a label file dropped on a
    // recording's row adds its labels; the row's menu exports the marks.
    virtual bool importMarks(const QString&, RecItem*) { return false; }
    virtual void exportMarks(RecItem*) {}
    // Copies of the selected rows in another format, outside the library.
    virtual void exportSelected() {}
};
