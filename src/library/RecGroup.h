// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/GeneralRecItem.h"

#include <QList>

// A category: a folder under the output folder with its ordered sub-items.
// A category made for the outline has an expand button; the library root and
// the search results are bare (no button, always expanded, title null).
class RecGroup : public GeneralRecItem
{
    Q_OBJECT
public:
    enum Kind
    {
        Bare,
        WithExpandButton
    };
    // The search results list found recordings without owning them.
    enum Ownership
    {
        OwnsSubItems,
        BorrowsSubItems
    };
    explicit RecGroup(Kind kind = WithExpandButton, Ownership ownership = OwnsSubItems);
    ~RecGroup() override;

    QString descr() const override { return m_description; }
    void setDescr(const QString& descr) override;

    const QList<GeneralRecItem*>& subItems() const { return m_subItems; }
    void addSubItem(GeneralRecItem* item);
    bool insertItemBefore(GeneralRecItem* item, GeneralRecItem* reference);
    bool insertItemAfter(GeneralRecItem* item, GeneralRecItem* reference);
    // Takes the record out of the list; the caller now owns it.
    void removeSubItem(GeneralRecItem* item);
    GeneralRecItem* subItemByTitle(const QString& title) const;

    bool hasExpandButton() const { return m_kind == WithExpandButton; }
    bool isExpanded() const { return !hasExpandButton() || m_expanded; }
    void setExpanded(bool expanded);
    void setHidden(bool hidden) override;
    void recalcLevel() override;

private:
    bool insertItemAt(GeneralRecItem* item, GeneralRecItem* reference, int shift);

    Kind m_kind;
    Ownership m_ownership;
    bool m_expanded = false;
    QList<GeneralRecItem*> m_subItems;
    QString m_description = "";
};
