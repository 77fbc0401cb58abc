// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class NoteTextField;
class QLabel;

// The content of a note pop-up: the editable note text over its position.
// Main thread only.
class NoteView : public QWidget
{
    Q_OBJECT
public:
    explicit NoteView(QWidget* parent = nullptr);

    // An empty text shows the placeholder "Type Note Here".
    void setText(const QString& text);
    QString text() const;
    // The position in whole seconds, e.g. "Position: 1m 5s".
    void setOffset(int seconds);
    static QString positionText(int seconds);

    NoteTextField* noteField() const { return m_noteField; }
    QLabel* positionField() const { return m_positionField; }

private:
    NoteTextField* m_noteField;
    QLabel* m_positionField;
};
