// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/SearchIndex.h"

#include <QLineEdit>
#include <QList>
#include <QObject>
#include <QPointer>

class RecGroup;
class RecItem;
class RecOutlineController;

// Filters the outline by the text of the search field: every recording whose
// title, description or a note contains the text, ignoring case, as one flat
// list; an empty field brings the tree back. Main thread only.
class SearchController : public QObject
{
    Q_OBJECT
public:
    SearchController(QLineEdit* searchField, RecOutlineController* recOutlineController,
                     QObject* parent = nullptr);

    QLineEdit* searchField() const { return m_searchField; }
    // The field's action, sent on every change of its text.
    void searchTextChanged();

    // The recordings under the category that contain the text, in document
    // order, each once; empty for a null or empty text or a null category.
    QList<RecItem*> search(const QString& text, const RecGroup* group);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QLineEdit> m_searchField;
    RecOutlineController* m_recOutlineController;
    SearchIndex m_index;
};
