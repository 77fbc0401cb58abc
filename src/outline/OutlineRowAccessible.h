// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleInterface>
#include <QList>
#include <QPointer>

class GeneralRecItem;
class RecOutlineView;

// One row of the outline's tree for screen readers: the title as its name,
// the date and length of a recording as its description, its selection and,
// for a category, whether it is expanded. Rows without a widget (those far
// from the visible area) are reported all the same. Main thread only.
class OutlineRowAccessible : public QAccessibleInterface
{
public:
    // The record's interface in the view, made and registered on first use;
    // Qt deletes it with the record.
    static QAccessibleInterface* of(RecOutlineView* view, GeneralRecItem* item);
    // The records shown directly under the row, or at the top of the view
    // for null.
    static QList<GeneralRecItem*> shownChildren(const RecOutlineView* view,
                                                const GeneralRecItem* item);
    // Where a child interface stands among them; -1 when it is not one.
    static int indexIn(const RecOutlineView* view, const GeneralRecItem* item,
                       const QAccessibleInterface* child);
    // The child of the row (or of the view's top for null) whose rows hold
    // the point, in screen coordinates.
    static QAccessibleInterface* childAtPoint(RecOutlineView* view, const GeneralRecItem* item,
                                              QPoint point);

    bool isValid() const override;
    QObject* object() const override;
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text t, const QString& text) override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;

private:
    OutlineRowAccessible(RecOutlineView* view, GeneralRecItem* item);

    QPointer<RecOutlineView> m_view;
    QPointer<GeneralRecItem> m_item;
};
