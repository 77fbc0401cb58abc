// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/NoteTextField.h"

#include <QFocusEvent>

const QString& NoteTextField::placeholder()
{
    static const QString text = QStringLiteral("Type Note Here");
    return text;
}

NoteTextField::NoteTextField(QWidget* parent) : QLineEdit(parent)
{
    setFrame(false);
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
