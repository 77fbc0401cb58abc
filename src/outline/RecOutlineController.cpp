// SPDX-License-Identifier: GPL-3.0-or-later
#include "outline/RecOutlineController.h"

#include "library/LibraryPaths.h"
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "library/WalkRows.h"
#include "outline/EmptyLibraryHint.h"
#include "outline/OutlineDelegate.h"
#include "outline/OutlineKeyHandler.h"
#include "outline/RecGroupView.h"
#include "outline/RecItemView.h"
#include "outline/RecOutlineView.h"

#include <QDateTime>
#include <QEvent>
#include <QGuiApplication>
#include <QScrollArea>
#include <QScrollBar>

namespace {

unsigned systemModifiers()
{
    const Qt::KeyboardModifiers mods = QGuiApplication::queryKeyboardModifiers();
    unsigned flags = 0;
    // Inside our own windows Command is the Control key.
    if (mods & Qt::ControlModifier)
        flags |= RecOutlineController::kCommandKeyMask;
    if (mods & Qt::ShiftModifier)
        flags |= RecOutlineController::kShiftKeyMask;
    return flags;
}

// Rows inside a collapsed category take no room.
Walk intoExpanded(const GeneralRecItem* row)
{
    const RecGroup* group = row->asGroup();
    return group && !group->isExpanded() ? Walk::Over : Walk::Into;
}

} // namespace

RecOutlineController::RecOutlineController(QObject* parent)
    : QObject(parent), m_modifierQuery(systemModifiers), m_keyHandler(new OutlineKeyHandler(this))
{
}

RecOutlineController::~RecOutlineController()
{
    if (m_outlineView) {
        if (m_searchGroup)
            m_outlineView->removeRows(m_searchGroup.get());
        if (m_mainGroup)
            m_outlineView->removeRows(m_mainGroup);
    }
}

void RecOutlineController::setTree(RecGroup* root)
{
    deselectAll();
    if (m_outlineView && m_mainGroup)
        m_outlineView->removeRows(m_mainGroup);
    m_mainGroup = root;
    // The root is no row of its own: only what it holds is shown.
    m_mainGroup->setHidden(true);
    m_mainGroup->setExpanded(true);
    arrangeItems();
}

void RecOutlineController::setOutlineView(RecOutlineView* view, QScrollArea* scrollView)
{
    m_outlineView = view;
    m_scrollView = scrollView;
    if (view) {
        view->setController(this);
        view->installEventFilter(m_keyHandler);
    }
    if (scrollView) {
        scrollView->setWidget(view);
        // Rows without a background let the window's dark panel show through.
        view->setAutoFillBackground(false);
        scrollView->viewport()->setAutoFillBackground(false);
        scrollView->setWidgetResizable(false);
        scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scrollView->viewport()->installEventFilter(this);
        connect(scrollView->verticalScrollBar(), &QScrollBar::valueChanged, view,
                &RecOutlineView::realizeVisibleRows);
    }
    arrangeItems();
}

bool RecOutlineController::eventFilter(QObject* watched, QEvent* event)
{
    if (m_scrollView && watched == m_scrollView->viewport() && event->type() == QEvent::Resize)
        arrangeItems();
    return QObject::eventFilter(watched, event);
}

RecGroup* RecOutlineController::mainItem() const
{
    return m_searchGroup ? m_searchGroup.get() : m_mainGroup;
}

void RecOutlineController::setSearchGroup(std::unique_ptr<RecGroup> group)
{
    // The found rows belong to the library tree; their row widgets stay for
    // the next layout to reuse or hide.
    m_searchGroup = std::move(group);
}

void RecOutlineController::setSearchResults(const std::optional<QList<RecItem*>>& results)
{
    const bool wasSearching = isSearchMode();
    QScrollBar* scrollBar = m_scrollView ? m_scrollView->verticalScrollBar() : nullptr;
    if (!wasSearching && results && scrollBar)
        m_treeScrollValue = scrollBar->value();
    setSearchGroup(nullptr);
    // The rows keep the tree's hidden flags: what is shown is what has a
    // frame, and touching every row at each keystroke would cost more than
    // the search.
    if (results) {
        auto found = std::make_unique<RecGroup>(RecGroup::Bare);
        found->setHidden(true);
        for (RecItem* item : *results)
            if (item)
                found->listSubItem(item);
        setSearchGroup(std::move(found));
    }
    arrangeItems();
    if (wasSearching && !results) {
        // The tree comes back where the user left it.
        if (scrollBar)
            scrollBar->setValue(m_treeScrollValue);
        // Nothing is saved while a search is shown, so what changed
        // meanwhile is saved the moment the tree comes back.
        structChanged();
    }
}

bool RecOutlineController::isListedAsResult(const GeneralRecItem* item) const
{
    for (const GeneralRecItem* p = item; p && m_searchGroup; p = p->parent())
        if (m_searchGroup->subItems().contains(p))
            return true;
    return false;
}

void RecOutlineController::rowAdded(GeneralRecItem* row)
{
    if (m_searchGroup && row && !isListedAsResult(row->parent())) {
        row->setHidden(false);
        m_searchGroup->listSubItem(row);
    }
    arrangeItems();
}

void RecOutlineController::rowRemoving(GeneralRecItem* row)
{
    if (!row)
        return;
    // Also when the chief is a row of a category that goes with it.
    for (const GeneralRecItem* p = m_chiefSelectedItem; p; p = p->parent())
        if (p == row) {
            setChiefSelectedItem(nullptr);
            break;
        }
    if (m_searchGroup)
        m_searchGroup->unlistSubItem(row);
    if (m_outlineView)
        m_outlineView->removeRows(row);
}

RecGroup* RecOutlineController::currentGroup() const
{
    if (!m_chiefSelectedItem)
        return m_mainGroup;
    if (RecGroup* group = m_chiefSelectedItem->asGroup())
        return group;
    return m_chiefSelectedItem->parent()->asGroup();
}

QString RecOutlineController::groupPath(const GeneralRecItem* item) const
{
    return LibraryPaths::groupPath(item, mainItem());
}

GeneralRecItem* RecOutlineController::itemByLabel(const QObject* label, RecGroup* group) const
{
    if (!label || !m_outlineView)
        return nullptr;
    GeneralRecItem* found = nullptr;
    walkRows(group, [&](GeneralRecItem* row) {
        const RecRowView* view = m_outlineView->existingRowFor(row);
        if (!view || !view->isOwner(label))
            return Walk::Into;
        found = row;
        return Walk::Stop;
    });
    return found;
}

int RecOutlineController::rowHeight(const GeneralRecItem* item) const
{
    return item->isGroup() ? RecGroupView::kHeight : RecItemView::kHeight;
}

void RecOutlineController::arrangeItems()
{
    RecGroup* root = mainItem();
    if (!root || !m_outlineView)
        return;
    const int width = m_scrollView ? m_scrollView->viewport()->width() : m_outlineView->width();
    m_outlineView->clearFrames();
    int height = arrangeGroup(root, 0, 1, width);
    if (m_scrollView)
        height = std::max(height, m_scrollView->viewport()->height());
    // The view grows and shrinks at its bottom edge, so the scroll offset
    // from the top keeps the same rows in view.
    m_outlineView->resize(width, height);
    EmptyLibraryHint* hint = m_outlineView->emptyHint();
    hint->setVisible(m_mainGroup->subItems().isEmpty() || hint->isUnavailable());
    m_outlineView->realizeVisibleRows();
    m_outlineView->update();
}

int RecOutlineController::arrangeGroup(RecGroup* group, int x, int y, int width)
{
    if (!group)
        return y;
    // Setting the state again brings the rows' hidden flags in line with it.
    group->setExpanded(group->isExpanded());
    if (!group->isExpanded())
        return y;
    if (group == m_searchGroup.get()) {
        // Found recordings, one flat list: laid out without a look into
        // each row, which costs more than the search when it finds 100,000.
        for (GeneralRecItem* row : group->subItems()) {
            m_outlineView->setRowFrame(row, QRect(x, y, width, RecItemView::kHeight));
            y += RecItemView::kHeight;
        }
        return y;
    }
    walkRows(group, [&](GeneralRecItem* row) {
        const int h = rowHeight(row);
        m_outlineView->setRowFrame(row, QRect(x, y, width, h));
        y += h;
        if (RecGroup* category = row->asGroup())
            category->setExpanded(category->isExpanded());
        return intoExpanded(row);
    });
    return y;
}

void RecOutlineController::onItemClick(GeneralRecItem* item)
{
    clickItem(item, m_modifierQuery ? m_modifierQuery() : 0);
}

void RecOutlineController::clickItem(GeneralRecItem* item, unsigned modifiers)
{
    if (!item || isRecording())
        return;
    if (modifiers & kCommandKeyMask) {
        if (item->selected())
            removeFromSelection(item);
        else
            addToSelection(item);
    } else if ((modifiers & kShiftKeyMask) && m_chiefSelectedItem) {
        GeneralRecItem* anchor = m_chiefSelectedItem;
        deselectAll();
        bool selecting = false;
        selectRange(item, anchor, &selecting, mainItem());
        setChiefSelectedItem(anchor);
    } else {
        selectItem(item);
    }
}

void RecOutlineController::onItemDClick(GeneralRecItem*) {}

int RecOutlineController::countSelected(const RecGroup* group) const
{
    int n = 0;
    walkRows(group, [&n](const GeneralRecItem* row) { n += row->selected() ? 1 : 0; });
    return n;
}

void RecOutlineController::selectItem(GeneralRecItem* item)
{
    if (item && item == m_chiefSelectedItem && countSelected(m_mainGroup) == 1)
        return;
    deselectAll();
    setChiefSelectedItem(item);
    if (item)
        item->setSelected(true);
}

void RecOutlineController::addToSelection(GeneralRecItem* item)
{
    if (!item)
        return;
    setChiefSelectedItem(item);
    item->setSelected(true);
}

void RecOutlineController::removeFromSelection(GeneralRecItem* item)
{
    if (!item)
        return;
    item->setSelected(false);
    if (item == m_chiefSelectedItem) {
        const QList<GeneralRecItem*> rest = selectedItemsOfGroup(mainItem());
        setChiefSelectedItem(rest.isEmpty() ? nullptr : rest.first());
    }
}

void RecOutlineController::deselectAll()
{
    deselectGroup(mainItem());
    setChiefSelectedItem(nullptr);
}

void RecOutlineController::deselectGroup(RecGroup* group)
{
    walkRows(group, [](GeneralRecItem* row) { row->setSelected(false); });
}

void RecOutlineController::selectRange(GeneralRecItem* a, GeneralRecItem* b, bool* selecting,
                                       RecGroup* group)
{
    if (!a || !b || a == b || !selecting)
        return;
    walkRows(group, [&](GeneralRecItem* row) {
        const bool end = row == a || row == b;
        if (end && *selecting) {
            row->setSelected(true);
            *selecting = false;
            return Walk::Stop;
        }
        *selecting = *selecting || end;
        if (*selecting)
            row->setSelected(true);
        return Walk::Into;
    });
}

QList<GeneralRecItem*> RecOutlineController::selectedItemsOfGroup(const RecGroup* group) const
{
    QList<GeneralRecItem*> result;
    // A selected category stands for its rows.
    walkRows(group, [&result](GeneralRecItem* row) {
        if (!row->selected())
            return Walk::Into;
        result.append(row);
        return Walk::Over;
    });
    return result;
}

void RecOutlineController::setChiefSelectedItem(GeneralRecItem* item)
{
    m_chiefSelectedItem = item;
    if (m_outlineView)
        m_outlineView->setCurrentItem(item);
    if (m_appDelegate)
        m_appDelegate->chiefSelectedChanged();
}

bool RecOutlineController::isRecording() const
{
    return m_appDelegate && m_appDelegate->isRecording();
}

void RecOutlineController::expandGroup(GeneralRecItem* item, bool state)
{
    RecGroup* group = item ? item->asGroup() : nullptr;
    if (!group)
        return;
    group->setExpanded(state);
    const QList<GeneralRecItem*> selected = selectedItemsOfGroup(mainItem());
    if (selected.isEmpty())
        setChiefSelectedItem(nullptr);
    else if (!selected.contains(m_chiefSelectedItem))
        setChiefSelectedItem(selected.first());
    arrangeItems();
    structChanged();
}

void RecOutlineController::itemRenamed(const QObject* label)
{
    GeneralRecItem* item = itemByLabel(label, mainItem());
    if (item && m_appDelegate)
        m_appDelegate->renameItem(item, item->title());
}

void RecOutlineController::itemDescrChanged()
{
    structChanged();
}

void RecOutlineController::structChanged()
{
    if (m_appDelegate)
        m_appDelegate->structChanged();
}
