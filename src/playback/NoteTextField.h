// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLineEdit>

// The note text of a pop-up. Taking the focus empties the placeholder text,
// so the placeholder is never stored as a note unless the user types it.
// Main thread only.
class NoteTextField : public QLineEdit
{
    Q_OBJECT
public:
    static QString placeholder();

    explicit NoteTextField(QWidget* parent = nullptr);

protected:
    void focusInEvent(QFocusEvent* event) override;
};
