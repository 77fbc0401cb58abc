// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <string>
#include <vector>

class RecGroup;
class RecItem;

// The texts a search looks in (every recording's title, description and
// notes) folded for case and laid end to end, so that a keystroke is one
// byte search through one buffer, whatever the size of the library. The
// index is made again when the tree's change stamp says that rows or their
// texts changed since. Main thread only.
class SearchIndex
{
public:
    // The recordings below the category whose title, description or a note
    // contains the text, ignoring case, in document order, each once.
    QList<RecItem*> find(const RecGroup* root, const QString& text);
    // Makes the index now, so that the first keystroke does not wait for it.
    void prepare(const RecGroup* root);
    // Lets go of the index's memory; the next search makes it again.
    void clear();

    // The text folded code point by code point, as QStringMatcher folds it
    // when it ignores case, in UTF-8.
    static QByteArray fold(const QString& text);

private:
    const RecGroup* m_root = nullptr;
    quint64 m_stamp = 0;
    // Each recording's texts, each followed by a NUL, which no typed text
    // holds, so that a match never spans two texts or two recordings.
    std::string m_text;
    std::vector<size_t> m_starts;
    std::vector<RecItem*> m_items;
};
