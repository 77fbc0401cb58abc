// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/GeneralRecItem.h"

#include <QList>
#include <memory>
#include <vector>

// A category: a folder under the output folder with its ordered sub-items,
// which it owns. A category made for the outline has an expand button; the
// library root and the search results are bare (no button, always expanded,
// title null). The search results list rows of the tree without owning them.
class RecGroup : public GeneralRecItem
{
    Q_OBJECT
public:
    enum Kind
    {
        Bare,
        WithExpandButton
    };
    explicit RecGroup(Kind kind = WithExpandButton);
    ~RecGroup() override;

    QString descr() const override { return m_description; }
    void setDescr(const QString& descr) override;

    // Every row in the order shown, owned or listed.
    const QList<GeneralRecItem*>& subItems() const { return m_subItems; }
    // Adding gives the category the row; answers the row (null for none).
    template <typename Row> Row* addSubItem(std::unique_ptr<Row> item)
    {
        Row* row = item.get();
        adopt(std::move(item), m_subItems.size());
        return row;
    }
    // Places the row next to the reference. When the reference is no row of
    // this category nothing is placed and the row comes back to the caller.
    [[nodiscard]] std::unique_ptr<GeneralRecItem>
    insertItemBefore(std::unique_ptr<GeneralRecItem> item, const GeneralRecItem* reference);
    [[nodiscard]] std::unique_ptr<GeneralRecItem>
    insertItemAfter(std::unique_ptr<GeneralRecItem> item, const GeneralRecItem* reference);
    // Takes an owned row out of the list and hands it to the caller, so that
    // dropping the answer deletes the row. Null when the row is not owned here.
    [[nodiscard]] std::unique_ptr<GeneralRecItem> removeSubItem(GeneralRecItem* item);
    // Every owned row, in the order listed, leaving the category empty: one
    // pass, where taking the rows one by one would cost a scan each.
    [[nodiscard]] std::vector<std::unique_ptr<GeneralRecItem>> takeSubItems();
    // Lists or unlists a row owned elsewhere (the search results).
    void listSubItem(GeneralRecItem* item);
    void unlistSubItem(GeneralRecItem* item);
    GeneralRecItem* subItemByTitle(const QString& title) const;

    bool hasExpandButton() const { return m_kind == WithExpandButton; }
    bool isExpanded() const { return !hasExpandButton() || m_expanded; }
    void setExpanded(bool expanded);
    void setHidden(bool hidden) override;
    void recalcLevel() override;

private:
    void adopt(std::unique_ptr<GeneralRecItem> item, qsizetype index);
    std::unique_ptr<GeneralRecItem> insertItemAt(std::unique_ptr<GeneralRecItem> item,
                                                 const GeneralRecItem* reference, int shift);

    Kind m_kind;
    bool m_expanded = false;
    // The rows this category owns, in no particular order.
    std::vector<std::unique_ptr<GeneralRecItem>> m_owned;
    QList<GeneralRecItem*> m_subItems;
    QString m_description = "";
};
