// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleWidget>

class RecOutlineView;

// What screen readers see of the outline: a tree whose items are the shown
// rows, the categories holding their rows while expanded. An empty library
// describes itself with the hint it shows. Main thread only.
class OutlineAccessible : public QAccessibleWidget
{
public:
    explicit OutlineAccessible(RecOutlineView* view);

    // Makes Qt ask this class for every outline view; once per process.
    static void installFactory();

    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

private:
    RecOutlineView* view() const;
};
