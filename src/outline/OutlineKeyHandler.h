// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QObject>

class GeneralRecItem;
class QKeyEvent;
class RecOutlineController;

// The outline's keys, on its view: the arrows, Home, End and the page keys
// move the chief selection through the shown rows (with Shift they make the
// range a Shift-click would make), Left and Right collapse, expand and step
// between a category and its rows, F2 and Return rename the chief row in
// place, and Delete asks for the selection to be deleted. Keys it does not
// use go on to the window. Main thread only.
class OutlineKeyHandler : public QObject
{
    Q_OBJECT
public:
    explicit OutlineKeyHandler(RecOutlineController* controller);

    // The rows shown now, in document order.
    QList<GeneralRecItem*> shownRows() const;

signals:
    // Delete was pressed: the Delete button's action is wanted.
    void deleteRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool keyPressed(const QKeyEvent& event);
    // The row the arrows, Home, End and the page keys lead to from the current row.
    GeneralRecItem* target(int key, const QList<GeneralRecItem*>& rows) const;
    GeneralRecItem* pageTarget(const QList<GeneralRecItem*>& rows, int from, bool down) const;
    void stepSideways(bool right);
    void moveTo(GeneralRecItem* row, bool extend);
    void rename();
    void scrollTo(const GeneralRecItem* row);

    RecOutlineController* m_controller;
};
