// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class GeneralRecItem;
class RecOutlineController;

// The row that shows one record in the outline; it follows the record's
// changes and hands clicks to the controller.
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

protected:
    // Refreshes texts and state from the record.
    virtual void updateFromItem();
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    GeneralRecItem* m_item;
    RecOutlineController* m_controller;
};
