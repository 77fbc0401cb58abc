// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "outline/OutlineDelegate.h"
#include "outline/RecOutlineController.h"
#include "outline/RecOutlineView.h"
#include "support/QtApp.h"

#include <QApplication>
#include <QScrollArea>
#include <QStringList>
#include <gtest/gtest.h>

// Stands in for the application controller: counts what the outline asks
// and renames by accepting or refusing the typed title.
struct RecordingDelegate : OutlineDelegate
{
    int saves = 0;
    int chiefChanges = 0;
    bool recording = false;
    bool acceptRenames = true;
    QStringList renames;
    void structChanged() override { ++saves; }
    void chiefSelectedChanged() override { ++chiefChanges; }
    bool renameItem(GeneralRecItem* item, const QString& title) override
    {
        renames << title;
        item->setTitle(acceptRenames ? title : item->prevTitle());
        return acceptRenames;
    }
    bool isRecording() const override { return recording; }
};

// An outline 300 points wide in a shown scroll area.
class OutlineFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        scroll.setFrameShape(QFrame::NoFrame);
        scroll.resize(300, 400);
        outline.setAppDelegate(&delegate);
        outline.setOutlineView(view, &scroll);
        outline.setModifierQuery([] { return 0u; });
        scroll.show();
        QApplication::processEvents();
    }

    RecGroup* group(const QString& title, RecGroup* parent = nullptr, bool expanded = true)
    {
        auto owned = outline.createNewGroup();
        RecGroup* g = owned.get();
        g->setTitle(title);
        g->setExpanded(expanded);
        outline.addGroup(std::move(owned), parent ? parent : outline.mainGroup());
        return g;
    }
    RecItem* item(const QString& title, RecGroup* parent = nullptr, const QString& descr = "")
    {
        auto owned = outline.createNewItem();
        RecItem* i = owned.get();
        i->setTitle(title);
        i->setDescr(descr);
        outline.addItem(std::move(owned), parent ? parent : outline.mainGroup());
        return i;
    }
    QStringList titles(const QList<GeneralRecItem*>& items) const
    {
        QStringList result;
        for (const GeneralRecItem* i : items)
            result << i->title();
        return result;
    }
    QStringList shownTitles() const { return titles(outline.mainItem()->subItems()); }

    QApplication& app = qtApp();
    RecordingDelegate delegate;
    QScrollArea scroll;
    RecOutlineView* view = new RecOutlineView;
    RecOutlineController outline;
};
