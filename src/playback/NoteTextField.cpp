// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/NoteTextField.h"

#include <QFocusEvent>

QString NoteTextField::placeholder()
{
    return tr("Type Note Here");
}

NoteTextField::NoteTextField(QWidget* parent) : QLineEdit(parent)
{
    setFrame(false);
    setAccessibleName(tr("Note"));
    setAttribute(Qt::WA_MacShowFocusRect, false);
    // Only a click puts the caret here: a pop-up that opens keeps the placeholder.
    setFocusPolicy(Qt::ClickFocus);
}

void NoteTextField::focusInEvent(QFocusEvent* event)
{
    // setText() is not an edit: nothing reaches the mark until the user types.
    if (text() == placeholder())
        setText(QString());
    QLineEdit::focusInEvent(event);
}
