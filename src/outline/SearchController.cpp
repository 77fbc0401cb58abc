// SPDX-License-Identifier: GPL-3.0-or-later
#include "outline/SearchController.h"

#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "library/WalkRows.h"
#include "outline/RecOutlineController.h"

#include <QLineEdit>
#include <QStringMatcher>

namespace {

bool matches(const QStringMatcher& matcher, const QString& string)
{
    return !string.isEmpty() && matcher.indexIn(string) >= 0;
}

bool itemMatches(const QStringMatcher& matcher, const RecItem* item)
{
    if (matches(matcher, item->title()) || matches(matcher, item->descr()))
        return true;
    for (const auto& mark : item->marks())
        if (matches(matcher, mark->descr()))
            return true;
    return false;
}

} // namespace

SearchController::SearchController(QLineEdit* searchField,
                                   RecOutlineController* recOutlineController, QObject* parent)
    : QObject(parent), m_searchField(searchField), m_recOutlineController(recOutlineController)
{
    if (searchField)
        connect(searchField, &QLineEdit::textChanged, this, &SearchController::searchTextChanged);
}

void SearchController::searchTextChanged()
{
    if (!m_recOutlineController)
        return;
    const QString text = m_searchField ? m_searchField->text() : QString();
    if (text.isEmpty())
        m_recOutlineController->setSearchResults(std::nullopt);
    else
        m_recOutlineController->setSearchResults(search(text, m_recOutlineController->mainGroup()));
}

QList<RecItem*> SearchController::search(const QString& text, const RecGroup* group)
{
    QList<RecItem*> found;
    if (text.isEmpty() || !group)
        return found;
    // One matcher for the whole walk: the text is prepared once, not once per field.
    const QStringMatcher matcher(text, Qt::CaseInsensitive);
    searchGroup(matcher, group, found);
    return found;
}

void SearchController::searchGroup(const QStringMatcher& matcher, const RecGroup* group,
                                   QList<RecItem*>& found)
{
    walkRows(group, [&](GeneralRecItem* row) {
        if (RecItem* item = row->asItem(); item && itemMatches(matcher, item))
            found.append(item);
    });
}

bool SearchController::stringContain(const QString& string, const QString& text)
{
    return !string.isEmpty() && !text.isEmpty() && string.contains(text, Qt::CaseInsensitive);
}
