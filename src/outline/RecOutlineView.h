// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/GeneralRecItem.h"

#include <QHash>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <utility>
#include <vector>

class EmptyLibraryHint;
class RecOutlineController;
class RecRowView;

// The document view of the outline. The controller gives every shown record
// a frame; row widgets exist only for frames near the visible area, so a
// library of any size lays out and scrolls at the cost of one screen of rows.
// The view takes the keyboard focus for the whole outline; screen readers
// see it as a tree of its records.
class RecOutlineView : public QWidget
{
    Q_OBJECT
public:
    explicit RecOutlineView(QWidget* parent = nullptr);

    void setController(RecOutlineController* controller) { m_controller = controller; }
    RecOutlineController* controller() const { return m_controller; }

    // Starts a new layout: every frame of the previous one is forgotten.
    void clearFrames();
    void setRowFrame(GeneralRecItem* item, const QRect& frame);
    // The record's place in the view, or a null rect when it is not shown.
    QRect frameOf(const GeneralRecItem* item) const;
    // The shown record whose frame holds the point.
    GeneralRecItem* itemAt(const QPoint& point) const;
    // Makes rows for the frames that can be seen and lets go of rows that
    // scrolled away, so that the view holds about one screen of rows. A row
    // being edited stays until its edit ends.
    void realizeVisibleRows();

    // The row showing the record, made on first use.
    RecRowView* rowFor(GeneralRecItem* item);
    RecRowView* existingRowFor(const GeneralRecItem* item) const;
    // Takes the record's row, and for a category every row under it, out of the view.
    void removeRows(GeneralRecItem* item);

    // The row the keys act from: the chief selected row, or the end that a
    // range made with Shift and the arrow keys has reached.
    GeneralRecItem* currentItem() const { return m_currentItem; }
    void setCurrentItem(GeneralRecItem* item);
    // The current row shows the focus ring while the outline has the focus
    // and the user is working it with the keyboard; a click hides the ring.
    bool showsFocusRing() const { return m_focusRing && hasFocus(); }
    void setFocusRingShown(bool shown);

    // Shown over the outline while the library has no rows.
    EmptyLibraryHint* emptyHint() const { return m_emptyHint; }

    // Where the last mouse press on the outline began, in the view's own
    // coordinates; (-1, -1) when no press is pending.
    QPoint clickPos() const { return m_clickPos; }
    void setClickPos(const QPoint& pos) { m_clickPos = pos; }

    // Drag and drop. Rows are dragged out as file URLs once the pointer has
    // moved 5 points from the press; file URLs dropped in are imported or
    // moved; nothing is dropped while a search is shown.
    static constexpr double kDragThreshold = 5.0;
    // Starts the drag of the files; tests may watch instead of dragging.
    void beginDrag(const QStringList& paths, const QPoint& position);
    void setDragPerformer(std::function<void(const QStringList&, const QPoint&)> performer)
    {
        m_dragPerformer = std::move(performer);
    }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    static void acceptAsCopy(QDropEvent* event);
    QRect visibleArea() const;
    const QHash<const GeneralRecItem*, qsizetype>& frameIndex() const;
    // A new row for the record, placed and shown by the caller.
    RecRowView* makeRow(GeneralRecItem* item);
    void updateRow(const GeneralRecItem* item);
    // Tells screen readers which row has the focus.
    void announceCurrentItem();

    RecOutlineController* m_controller = nullptr;
    // Frames in layout order, so from top to bottom; a record taken out of
    // the view leaves a null record in its place until the next layout.
    std::vector<std::pair<const GeneralRecItem*, QRect>> m_frames;
    // Where each record's frame is in m_frames, made when first asked.
    mutable QHash<const GeneralRecItem*, qsizetype> m_frameIndex;
    mutable bool m_frameIndexed = true;
    QHash<const GeneralRecItem*, RecRowView*> m_rows;
    QPoint m_clickPos{-1, -1};
    QPointer<GeneralRecItem> m_currentItem;
    bool m_focusRing = false;
    EmptyLibraryHint* m_emptyHint;
    std::function<void(const QStringList&, const QPoint&)> m_dragPerformer;
};
