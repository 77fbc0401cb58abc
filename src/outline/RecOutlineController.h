// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "outline/RecOutlineView.h"

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class GeneralRecItem;
class OutlineDelegate;
class OutlineKeyHandler;
class QScrollArea;
class RecGroup;
class RecItem;

// Owns the library tree as shown: layout, selection with its chief row,
// expansion, and making, adding and removing rows; its key handler moves
// through the rows. Main thread only.
class RecOutlineController : public QObject
{
    Q_OBJECT
public:
    // Modifier bits of a click.
    static constexpr unsigned kShiftKeyMask = 1u << 17;
    static constexpr unsigned kCommandKeyMask = 1u << 20;

    explicit RecOutlineController(QObject* parent = nullptr);
    ~RecOutlineController() override;

    void setAppDelegate(OutlineDelegate* delegate) { m_appDelegate = delegate; }
    // The document view inside its scroll area; the controller sizes it.
    void setOutlineView(RecOutlineView* view, QScrollArea* scrollView);
    RecOutlineView* outlineView() const { return m_outlineView; }
    QScrollArea* scrollView() const { return m_scrollView; }
    OutlineKeyHandler* keyHandler() const { return m_keyHandler; }
    // Reads the modifier state at click time; tests may supply their own.
    void setModifierQuery(std::function<unsigned()> query) { m_modifierQuery = std::move(query); }

    // The library's tree, which the outline shows and never owns.
    void setTree(RecGroup* root);
    RecGroup* mainGroup() const { return m_mainGroup; }
    RecGroup* searchGroup() const { return m_searchGroup.get(); }
    RecGroup* mainItem() const;
    bool isSearchMode() const { return m_searchGroup != nullptr; }
    // Switches the shown tree to the search results (null leaves search mode).
    void setSearchGroup(std::unique_ptr<RecGroup> group);
    // Shows the found recordings as one flat list (an empty list too), or,
    // without a list, the library tree again exactly as it was, and then
    // saves what changed during the search.
    void setSearchResults(const std::optional<QList<RecItem*>>& results);

    // A row came into the tree: listed with the results when a search is
    // shown, so the user sees the recording or category just made.
    void rowAdded(GeneralRecItem* row);
    // A row, and the rows under it, are about to leave the tree: their row
    // views go, and the chief row, when among them, is no longer chosen.
    void rowRemoving(GeneralRecItem* row);

    // The category that new rows and recordings go into: the chosen category,
    // the category of the chosen recording, or the library root when nothing
    // is chosen (also while a search is shown: the results never hold rows).
    RecGroup* currentGroup() const;
    QString groupPath(const GeneralRecItem* item) const;
    GeneralRecItem* itemByLabel(const QObject* label, RecGroup* group) const;

    void arrangeItems();
    // Gives the group's rows their frames from the top edge y down; answers
    // the bottom edge.
    int arrangeGroup(RecGroup* group, int x, int y, int width);

    void onItemClick(GeneralRecItem* item);
    // A click with the given modifier bits, as the keys make it.
    void clickItem(GeneralRecItem* item, unsigned modifiers);
    void onItemDClick(GeneralRecItem* item);
    void selectItem(GeneralRecItem* item);
    void addToSelection(GeneralRecItem* item);
    void removeFromSelection(GeneralRecItem* item);
    void deselectAll();
    void deselectGroup(RecGroup* group);
    void selectRange(GeneralRecItem* a, GeneralRecItem* b, bool* selecting, RecGroup* group);
    QList<GeneralRecItem*> selectedItemsOfGroup(const RecGroup* group) const;
    GeneralRecItem* chiefSelectedItem() const { return m_chiefSelectedItem; }
    void setChiefSelectedItem(GeneralRecItem* item);

    bool isRecording() const;

    void expandGroup(GeneralRecItem* item, bool state);
    void itemRenamed(const QObject* label);
    void itemDescrChanged();

    // Drag and drop (main thread). The marker line shows where a drop lands:
    // at the top of the first row when the pointer is nearer to that row's
    // top edge than to any row's bottom edge, else under the row whose
    // bottom edge is nearest. Points are in the outline view's coordinates.
    OutlineDelegate* appDelegate() const { return m_appDelegate; }
    void highlightInsertPoint(const QPoint& point);
    void hideInsertPoint(RecGroup* group);
    // The first shown row in document order.
    GeneralRecItem* findTopItem(RecGroup* group) const;
    // The shown row whose bottom edge is nearest to the point; the first one
    // met wins a tie.
    GeneralRecItem* findNearestItem(RecGroup* group, const QPoint& point) const;
    // The first row, shown or not, whose marker is on.
    GeneralRecItem* findHighlightedItem(RecGroup* group) const;
    // The first shown row whose frame holds the point.
    // The shown row under the point, in the view's coordinates.
    GeneralRecItem* itemByPos(const QPoint& point) const;
    // The files a drag starting on the row carries: every selected row's
    // when the row is selected (a selected category stands for its
    // contents), else the row's own; rows without a file on disk are left out.
    QStringList dragPaths(GeneralRecItem* item) const;
    // Hands dropped paths to the window at the marked place.
    void filesDropped(const QStringList& paths, const QPoint& point);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int rowHeight(const GeneralRecItem* item) const;
    // Whether the record or one of its categories is shown among the results.
    bool isListedAsResult(const GeneralRecItem* item) const;
    int countSelected(const RecGroup* group) const;
    void structChanged();

    OutlineDelegate* m_appDelegate = nullptr;
    QPointer<RecOutlineView> m_outlineView;
    QScrollArea* m_scrollView = nullptr;
    RecGroup* m_mainGroup = nullptr;
    std::unique_ptr<RecGroup> m_searchGroup;
    GeneralRecItem* m_chiefSelectedItem = nullptr;
    // Where the tree was scrolled to when a search began.
    int m_treeScrollValue = 0;
    std::function<unsigned()> m_modifierQuery;
    OutlineKeyHandler* m_keyHandler;
};
