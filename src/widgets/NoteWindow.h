// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "widgets/AttachedWindow.h"

// The pop-up of a time mark's note: an attached window in pale yellow with a
// smaller arrow, remembering which mark it shows.
class NoteWindow : public AttachedWindow
{
    Q_OBJECT
public:
    static std::unique_ptr<NoteWindow> create(QWidget* view, QPointF point,
                                              AttachedSide side = AttachedSideAutomatic,
                                              qreal distance = 0, QWidget* window = nullptr);

    int shownNoteID() const { return m_shownNoteID; }
    void setShownNoteID(int noteID) { m_shownNoteID = noteID; }

private:
    NoteWindow(QWidget* view, QPointF point, QWidget* window, AttachedSide side, qreal distance);
    static Defaults noteDefaults();

    int m_shownNoteID = -1;
};
