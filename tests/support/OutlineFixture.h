// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "outline/OutlineDelegate.h"
#include "outline/RecOutlineController.h"
#include "outline/RecOutlineView.h"

#include <QScrollArea>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>
#include <utility>
#include <vector>

// Stands in for the window of an outline. It counts saves
// and changes of the chief row, renames by accepting or refusing the typed
// title, keeps each row's file under a private folder (so that drags carry
// real paths) and writes down the drop it is asked to take. Every answer is
// a field a test can change.
struct StandInOutlineDelegate : OutlineDelegate
{
    struct Drop
    {
        bool import;
        QStringList paths;
        GeneralRecItem* nearItem;
        bool beforeItem;
    };

    RecOutlineController* outline = nullptr;
    QTemporaryDir dir;
    int saves = 0;
    int chiefChanges = 0;
    bool recording = false;
    bool acceptRenames = true;
    QStringList renames;
    std::optional<Drop> drop;
    std::vector<std::pair<QString, RecItem*>> markImports;

    void structChanged() override { ++saves; }
    void chiefSelectedChanged() override { ++chiefChanges; }
    bool renameItem(GeneralRecItem* item, const QString& title) override;
    bool isRecording() const override { return recording; }
    // dir + the row's path in the outline, with ".m4a" for a recording.
    QString restorePath(const GeneralRecItem* item) const override;
    // Paths from outside the private folder are imported, the others moved.
    bool isFilesForImport(const QStringList& paths) const override;
    bool importFiles(const QStringList& paths, GeneralRecItem* nearItem, bool beforeItem) override;
    bool moveFiles(const QStringList& paths, GeneralRecItem* nearItem, bool beforeItem) override;
    bool importMarks(const QString& path, RecItem* rec) override
    {
        markImports.emplace_back(path, rec);
        return true;
    }
};

// An outline 300 points wide in a shown, frameless 400-point-high scroll
// area, with the stand-in delegate. Modifier keys come from `modifiers`; the
// drags the view starts are collected in `dragged`.
class OutlineFixture : public ::testing::Test
{
protected:
    static constexpr unsigned kCmd = RecOutlineController::kCommandKeyMask;
    static constexpr unsigned kShift = RecOutlineController::kShiftKeyMask;

    void SetUp() override;

    // An expanded (or collapsed) category at the end of the parent (the
    // root by default), with its folder.
    RecGroup* group(const QString& title, RecGroup* parent = nullptr, bool expanded = true);
    // A recording at the end of the parent, with its file unless told otherwise.
    RecItem* item(const QString& title, RecGroup* parent = nullptr, bool withFile = true);
    // Into the tree as the library puts rows in, with the next ID; and out.
    void add(std::unique_ptr<GeneralRecItem> row, RecGroup* parent);
    void remove(GeneralRecItem* row);
    // A click on a row through the controller, with the modifier keys held.
    void click(GeneralRecItem* row, unsigned keys = 0);

    static QStringList titles(const QList<GeneralRecItem*>& items);
    // The rows the outline shows at its top level: the tree, or the search results.
    QStringList shownTitles() const { return titles(outline.mainItem()->subItems()); }
    QStringList selectedTitles() const;

    StandInOutlineDelegate delegate;
    RecGroup root{RecGroup::Bare};
    QScrollArea scroll;
    RecOutlineView* view = new RecOutlineView;
    RecOutlineController outline;
    unsigned modifiers = 0;
    QList<QStringList> dragged;

private:
    int m_nextID = 0;
};
