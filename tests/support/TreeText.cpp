// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TreeText.h"

#include "library/RecGroup.h"
#include "library/RecItem.h"

QStringList titles(const RecGroup* group)
{
    QStringList list;
    for (const GeneralRecItem* sub : group->subItems())
        list << sub->title();
    return list;
}

QString treeText(const RecGroup* group)
{
    QStringList rows;
    for (const GeneralRecItem* sub : group->subItems())
        rows << (sub->isGroup() ? sub->title() + '[' + treeText(sub->asGroup()) + ']'
                                : sub->title());
    return rows.join(' ');
}

RecItem* itemAt(const RecGroup* group, int index)
{
    return qobject_cast<RecItem*>(group->subItems().value(index));
}

RecGroup* groupAt(const RecGroup* group, int index)
{
    return qobject_cast<RecGroup*>(group->subItems().value(index));
}
