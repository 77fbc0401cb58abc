// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "widgets/AttachedWindow.h"

// The pop-up of a time mark's note: an attached window in pale yellow with a
// smaller arrow, remembering which mark it shows.
class NoteWindow : public AttachedWindow
{
    Q_OBJECT
public:
    static std::unique_ptr<NoteWindow> create(QWidget* view, QPointF point, QWidget* window,
                                              AttachedSide side, qreal distance);
    static std::unique_ptr<NoteWindow> create(QWidget* view, QPointF point, QWidget* window,
                                              qreal distance)
    {
        return create(view, point, window, AttachedSideAutomatic, distance);
    }
    static std::unique_ptr<NoteWindow> create(QWidget* view, QPointF point, AttachedSide side,
                                              qreal distance)
    {
        return create(view, point, nullptr, side, distance);
    }
    static std::unique_ptr<NoteWindow> create(QWidget* view, QPointF point, qreal distance)
    {
        return create(view, point, nullptr, AttachedSideAutomatic, distance);
    }
    static std::unique_ptr<NoteWindow> create(QWidget* view, QPointF point, QWidget* window)
    {
        return create(view, point, window, AttachedSideAutomatic, 0.0);
    }
    static std::unique_ptr<NoteWindow> create(QWidget* view, QPointF point, AttachedSide side)
    {
        return create(view, point, nullptr, side, 0.0);
    }
    static std::unique_ptr<NoteWindow> create(QWidget* view, QPointF point)
    {
        return create(view, point, nullptr, AttachedSideAutomatic, 0.0);
    }

    int shownNoteID() const { return m_shownNoteID; }
    void setShownNoteID(int noteID) { m_shownNoteID = noteID; }

private:
    NoteWindow(QWidget* view, QPointF point, QWidget* window, AttachedSide side, qreal distance);
    static Defaults noteDefaults();

    int m_shownNoteID = -1;
};
