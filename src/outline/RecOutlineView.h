// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QWidget>

class GeneralRecItem;
class RecOutlineController;
class RecRowView;

// The document view of the outline: every row is one of its children.
class RecOutlineView : public QWidget
{
    Q_OBJECT
public:
    explicit RecOutlineView(QWidget* parent = nullptr);

    void setController(RecOutlineController* controller) { m_controller = controller; }
    RecOutlineController* controller() const { return m_controller; }

    // The row showing the record, made on first use.
    RecRowView* rowFor(GeneralRecItem* item);
    RecRowView* existingRowFor(const GeneralRecItem* item) const;
    // Takes the record's row, and for a category every row under it, out of the view.
    void removeRows(GeneralRecItem* item);

private:
    RecOutlineController* m_controller = nullptr;
    QHash<const GeneralRecItem*, RecRowView*> m_rows;
};
