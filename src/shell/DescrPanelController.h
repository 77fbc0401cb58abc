// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/GeneralRecItem.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>

class DescrPanel;
class DescrPanelDelegate;
class QLineEdit;
class QPlainTextEdit;

// Shows the title and the description of one row (a recording or a
// category) in the description panel and carries the user's edits back: a
// new title renames the row through the window, a new
// description is stored in the row and saved. Main thread only.
class DescrPanelController : public QObject
{
    Q_OBJECT
public:
    // The panel is not owned.
    explicit DescrPanelController(DescrPanel* descrPanel, QObject* parent = nullptr);
    ~DescrPanelController() override;

    // Not owned; may be null.
    void setAppDelegate(DescrPanelDelegate* appDelegate) { m_appDelegate = appDelegate; }
    DescrPanelDelegate* appDelegate() const { return m_appDelegate; }

    // Shows the row, or empties and disables both fields for null. Text typed
    // for the row shown until now is committed to that row first; for the
    // same row, a field being edited keeps what the user typed.
    void setCurrentFile(GeneralRecItem* item);
    GeneralRecItem* currentRec() const { return m_currentRec; }
    DescrPanel* descrPanel() const { return m_descrPanel; }

public slots:
    // The title field's action (Return, or the field losing focus).
    void titleChanged();
    // The description field's action (the field losing focus).
    void descrChanged();
    // The panel stopped being the active window: commit what is being typed.
    void windowResignKey();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    GeneralRecItem* rowToEdit() const;
    void commitTitle(GeneralRecItem* row, const QString& title);
    void commitDescr(GeneralRecItem* row, const QString& descr);
    void commitEdits();
    void showRow(GeneralRecItem* item, bool keepEdits);

    DescrPanelDelegate* m_appDelegate = nullptr;
    QPointer<DescrPanel> m_descrPanel;
    QPointer<QLineEdit> m_titleField;
    QPointer<QPlainTextEdit> m_descrField;
    QPointer<GeneralRecItem> m_currentRec;
    QMetaObject::Connection m_rowDestroyed;
    // Filling the fields or committing an edit: focus moves meanwhile are
    // no edits of their own.
    bool m_updating = false;
    bool m_renaming = false;
};
