// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class EditableLabel;
class GeneralRecItem;
class RecOutlineController;

// The row that shows one record in the outline; it follows the record's
// changes, draws the selection, separator and drop marker, and hands clicks
// to the controller. Rows are made only for records near the visible area.
// The keyboard focus of a row is the outline's.
class RecRowView : public QWidget
{
    Q_OBJECT
public:
    RecRowView(GeneralRecItem* item, RecOutlineController* controller, QWidget* parent);

    GeneralRecItem* item() const { return m_item; }
    // Lays the labels out for the record's level and the row's width.
    virtual void placeControls() = 0;
    // Whether the label belongs to this row.
    virtual bool isOwner(const QObject* label) const = 0;
    // The title, edited in place.
    virtual EditableLabel* titleLabel() const = 0;
    // Whether one of the row's labels is being edited.
    bool isEditing() const;

    // The left edge of a row's controls: 10 points, plus 14 per level.
    static int indent(int level) { return level <= 0 ? 10 : 10 + 14 * level; }

protected:
    // Refreshes texts and state from the record.
    virtual void updateFromItem();
    // The selection background; nothing by default.
    virtual void drawBackground(QPainter& p);
    // Lines drawn over the separator, such as a category's top highlight.
    virtual void drawHighlight(QPainter& p);
    void drawInsertLine(QPainter& p);
    void drawFocusRing(QPainter& p);

    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    GeneralRecItem* m_item;
    RecOutlineController* m_controller;

private:
    bool m_doubleClickPending = false;
};
