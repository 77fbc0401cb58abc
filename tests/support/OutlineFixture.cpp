// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/OutlineFixture.h"

#include "support/TestFiles.h"

#include <QApplication>
#include <QDir>

bool StandInOutlineDelegate::renameItem(GeneralRecItem* item, const QString& title)
{
    renames << title;
    item->setTitle(acceptRenames ? title : item->prevTitle());
    return acceptRenames;
}

QString StandInOutlineDelegate::restorePath(const GeneralRecItem* item) const
{
    return dir.path() + outline->groupPath(item) + (item->isGroup() ? "" : ".m4a");
}

bool StandInOutlineDelegate::isFilesForImport(const QStringList& paths) const
{
    return !paths.first().startsWith(dir.path());
}

bool StandInOutlineDelegate::importFiles(const QStringList& paths, GeneralRecItem* nearItem,
                                         bool beforeItem)
{
    drop = Drop{true, paths, nearItem, beforeItem};
    return true;
}

bool StandInOutlineDelegate::moveFiles(const QStringList& paths, GeneralRecItem* nearItem,
                                       bool beforeItem)
{
    drop = Drop{false, paths, nearItem, beforeItem};
    return true;
}

void OutlineFixture::SetUp()
{
    delegate.outline = &outline;
    scroll.setFrameShape(QFrame::NoFrame);
    scroll.resize(300, 400);
    outline.setAppDelegate(&delegate);
    outline.setOutlineView(view, &scroll);
    outline.setTree(&root);
    outline.setModifierQuery([this] { return modifiers; });
    view->setDragPerformer([this](const QStringList& paths, const QPoint&) { dragged << paths; });
    scroll.show();
    QApplication::processEvents();
}

RecGroup* OutlineFixture::group(const QString& title, RecGroup* parent, bool expanded)
{
    auto owned = std::make_unique<RecGroup>(RecGroup::WithExpandButton);
    RecGroup* g = owned.get();
    g->setTitle(title);
    g->setExpanded(expanded);
    add(std::move(owned), parent);
    QDir().mkpath(delegate.restorePath(g));
    return g;
}

RecItem* OutlineFixture::item(const QString& title, RecGroup* parent, bool withFile)
{
    auto owned = std::make_unique<RecItem>();
    RecItem* i = owned.get();
    i->setTitle(title);
    add(std::move(owned), parent);
    if (withFile)
        writeFile(delegate.restorePath(i));
    return i;
}

void OutlineFixture::add(std::unique_ptr<GeneralRecItem> row, RecGroup* parent)
{
    row->setID(m_nextID++);
    RecGroup* into = parent ? parent : &root;
    GeneralRecItem* added = into->addSubItem(std::move(row));
    added->setParent(into);
    outline.rowAdded(added);
}

void OutlineFixture::remove(GeneralRecItem* row)
{
    outline.rowRemoving(row);
    const auto gone = row->parent()->asGroup()->removeSubItem(row);
    outline.arrangeItems();
}

void OutlineFixture::click(GeneralRecItem* row, unsigned keys)
{
    modifiers = keys;
    outline.onItemClick(row);
    modifiers = 0;
}

QStringList OutlineFixture::titles(const QList<GeneralRecItem*>& items)
{
    QStringList result;
    for (const GeneralRecItem* i : items)
        result << i->title();
    return result;
}

QStringList OutlineFixture::selectedTitles() const
{
    return titles(outline.selectedItemsOfGroup(outline.mainItem()));
}
