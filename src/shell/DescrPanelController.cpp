// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/DescrPanelController.h"

#include "library/GeneralRecItem.h"
#include "shell/DescrPanel.h"
#include "shell/DescrPanelDelegate.h"

#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopedValueRollback>

DescrPanelController::DescrPanelController(DescrPanel* descrPanel, QObject* parent)
    : QObject(parent), m_descrPanel(descrPanel),
      m_titleField(descrPanel ? descrPanel->titleField() : nullptr),
      m_descrField(descrPanel ? descrPanel->descrField() : nullptr)
{
    if (m_titleField)
        connect(m_titleField, &QLineEdit::editingFinished, this,
                &DescrPanelController::titleChanged);
    if (m_descrField)
        m_descrField->installEventFilter(this);
    if (m_descrPanel)
        connect(m_descrPanel, &DescrPanel::resignedKey, this,
                &DescrPanelController::windowResignKey);
    showRow(nullptr, false);
}

DescrPanelController::~DescrPanelController() = default;

void DescrPanelController::setCurrentFile(GeneralRecItem* item)
{
    // The row shown until now gets what was typed for it, even when the click
    // that selected another row arrives before the panel loses the focus.
    if (item != m_currentRec && m_currentRec && !m_updating)
        commitEdits();
    showRow(item, item == m_currentRec);
}

void DescrPanelController::showRow(GeneralRecItem* item, bool keepEdits)
{
    // Filling or disabling a field can move the focus; that is no edit.
    const QScopedValueRollback<bool> filling(m_updating, true);
    if (item != m_currentRec) {
        disconnect(m_rowDestroyed);
        if (item)
            m_rowDestroyed =
                connect(item, &QObject::destroyed, this, [this] { showRow(nullptr, false); });
    }
    m_currentRec = item;
    const bool enabled = item != nullptr;
    if (m_titleField) {
        if (!(keepEdits && m_titleField->isModified()))
            m_titleField->setText(enabled ? item->title() : QString());
        m_titleField->setEnabled(enabled);
    }
    if (m_descrField) {
        if (!(keepEdits && m_descrField->document()->isModified())) {
            m_descrField->setPlainText(enabled ? item->descr() : QString());
            m_descrField->document()->setModified(false);
        }
        m_descrField->setEnabled(enabled);
    }
}

GeneralRecItem* DescrPanelController::rowToEdit() const
{
    if (m_currentRec)
        return m_currentRec;
    return m_appDelegate ? m_appDelegate->chiefSelectedItem() : nullptr;
}

void DescrPanelController::titleChanged()
{
    if (!m_titleField || m_updating)
        return;
    commitTitle(rowToEdit(), m_titleField->text());
}

void DescrPanelController::descrChanged()
{
    if (!m_descrField || m_updating)
        return;
    commitDescr(rowToEdit(), m_descrField->toPlainText());
}

void DescrPanelController::windowResignKey()
{
    if (!m_updating)
        commitEdits();
}

void DescrPanelController::commitEdits()
{
    QPointer<GeneralRecItem> row = m_currentRec;
    if (!row)
        return;
    // Read both fields first: saving one edit may refill the panel.
    const bool titleEdited = m_titleField && m_titleField->isModified();
    const bool descrEdited = m_descrField && m_descrField->document()->isModified();
    const QString title = titleEdited ? m_titleField->text() : QString();
    const QString descr = descrEdited ? m_descrField->toPlainText() : QString();
    const QScopedValueRollback<bool> updating(m_updating, true);
    if (descrEdited)
        commitDescr(row, descr);
    if (titleEdited && row)
        commitTitle(row, title);
}

void DescrPanelController::commitTitle(GeneralRecItem* row, const QString& title)
{
    // A rename shows a message box on failure, which moves the focus and
    // would end the same edit a second time.
    if (!row || title.isNull() || m_renaming)
        return;
    const bool shown = row == m_currentRec;
    if (row->title() == title) {
        if (shown && m_titleField)
            m_titleField->setModified(false);
        return;
    }
    QPointer<GeneralRecItem> guard(row);
    bool renamed = false;
    {
        const QScopedValueRollback<bool> renaming(m_renaming, true);
        renamed = m_appDelegate && m_appDelegate->renameItem(row, title);
    }
    // After a refusal the old title comes back; after a rename the field
    // shows the name the row now has.
    if (guard && guard == m_currentRec && m_titleField && (!renamed || m_titleField->isModified()))
        m_titleField->setText(guard->title());
}

void DescrPanelController::commitDescr(GeneralRecItem* row, const QString& descr)
{
    if (!row)
        return;
    const QString old = row->descr();
    const bool shown = row == m_currentRec && m_descrField;
    if (!old.isNull() && !descr.isNull() && old == descr) {
        if (shown)
            m_descrField->document()->setModified(false);
        return;
    }
    row->setDescr(descr);
    if (shown)
        m_descrField->document()->setModified(false);
    if (m_appDelegate)
        m_appDelegate->structChanged();
}

bool DescrPanelController::eventFilter(QObject* watched, QEvent* event)
{
    // A field being destroyed loses focus too; by then it is no longer a
    // text edit, which the cast tells, and there is nothing to commit.
    if (event->type() == QEvent::FocusOut) {
        auto* field = qobject_cast<QPlainTextEdit*>(watched);
        if (field && field->document()->isModified())
            descrChanged();
    }
    return QObject::eventFilter(watched, event);
}
