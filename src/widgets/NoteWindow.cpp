// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/NoteWindow.h"

std::unique_ptr<NoteWindow> NoteWindow::create(QWidget* view, QPointF point, AttachedSide side,
                                               qreal distance, QWidget* window)
{
    if (!view)
        return nullptr;
    return std::unique_ptr<NoteWindow>(new NoteWindow(view, point, window, side, distance));
}

NoteWindow::NoteWindow(QWidget* view, QPointF point, QWidget* window, AttachedSide side,
                       qreal distance)
    : AttachedWindow(view, point, window, side, distance, noteDefaults())
{
}

AttachedWindow::Defaults NoteWindow::noteDefaults()
{
    Defaults defaults;
    defaults.backgroundColor = QColor::fromRgbF(0.97f, 0.97f, 0.77f, 0.9f);
    defaults.arrowBaseWidth = 10.0;
    defaults.arrowHeight = 8.0;
    return defaults;
}
