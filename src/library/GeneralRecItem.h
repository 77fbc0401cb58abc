// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

class RecGroup;
class RecItem;

// What categories and recordings share: identifier, tree link, depth,
// selection and the title bookkeeping. The row widget that shows a record
// listens to changed().
class GeneralRecItem : public QObject
{
    Q_OBJECT
public:
    ~GeneralRecItem() override;

    bool isGroup() const { return m_isGroup; }
    // The row as a category or as a recording; null when it is the other kind.
    RecGroup* asGroup();
    const RecGroup* asGroup() const;
    RecItem* asItem();
    const RecItem* asItem() const;
    bool selected() const { return m_selected; }
    void setSelected(bool selected);

    GeneralRecItem* parent() const { return m_parent; }
    void setParent(GeneralRecItem* parent);
    int level() const { return m_level; }
    virtual void recalcLevel();

    int ID() const { return m_ID; }
    void setID(int id) { m_ID = id; }

    // The title as the row shows it now; during an in-place edit this is the
    // typed text, while prevTitle() keeps the name the file still has.
    QString title() const { return m_title; }
    // Sets the title and makes it the new prevTitle.
    void setTitle(const QString& title);
    // What the user typed into the title label; prevTitle stays.
    void setEditedTitle(const QString& title);
    const QString& prevTitle() const { return m_prevTitle; }

    virtual QString descr() const = 0;
    virtual void setDescr(const QString& descr) = 0;

    bool isHidden() const { return m_hidden; }
    virtual void setHidden(bool hidden);

    // A number that is new after every change of the rows below this one
    // or of their texts (titles, which also name files and folders,
    // descriptions, notes), unique across trees; what was made from a tree
    // (the search index, a look at the disk) is current while it holds.
    quint64 changeStamp() const { return m_changeStamp; }

    bool insertLineVisible() const { return m_showInsertLine; }
    bool insertLineAtTop() const { return m_showTopLine; }
    void showInsertLine(bool show, bool atTop);

signals:
    // Any shown value changed: texts, selection, level, expansion, visibility.
    void changed();

protected:
    explicit GeneralRecItem(bool isGroup);
    void notify() { emit changed(); }
    // Gives this row and every row above it a new change stamp.
    void noteTreeChange();

private:
    // Largest first, flags last: a library holds a row per recording, and
    // a row kind's own small members may fill the space after these.
    GeneralRecItem* m_parent = nullptr;
    quint64 m_changeStamp = 0;
    QString m_prevTitle;
    QString m_title;
    int m_level = 0;
    int m_ID = -1;
    bool m_showInsertLine = false;
    bool m_showTopLine = false;
    bool m_isGroup = false;
    bool m_selected = false;
    bool m_hidden = false;
};
