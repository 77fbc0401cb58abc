// SPDX-License-Identifier: GPL-3.0-or-later
#include "outline/OutlineKeyHandler.h"

#include "library/RecGroup.h"
#include "outline/EditableLabel.h"
#include "outline/RecOutlineController.h"
#include "outline/RecOutlineView.h"
#include "outline/RecRowView.h"

#include <QKeyEvent>
#include <QScrollArea>

namespace {

void appendShown(const RecGroup* group, QList<GeneralRecItem*>& rows)
{
    if (!group->isExpanded())
        return;
    for (GeneralRecItem* sub : group->subItems()) {
        if (!sub)
            continue;
        rows.append(sub);
        if (sub->isGroup())
            appendShown(static_cast<const RecGroup*>(sub), rows);
    }
}

} // namespace

OutlineKeyHandler::OutlineKeyHandler(RecOutlineController* controller)
    : QObject(controller), m_controller(controller)
{
}

QList<GeneralRecItem*> OutlineKeyHandler::shownRows() const
{
    QList<GeneralRecItem*> rows;
    appendShown(m_controller->mainItem(), rows);
    return rows;
}

bool OutlineKeyHandler::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched == m_controller->outlineView() &&
        keyPressed(*static_cast<QKeyEvent*>(event)))
        return true;
    return QObject::eventFilter(watched, event);
}

bool OutlineKeyHandler::keyPressed(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    const bool shift = modifiers == Qt::ShiftModifier;
    if (modifiers != Qt::NoModifier && !shift)
        return false;
    const int key = event.key();
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        moveTo(target(key, shownRows()), shift);
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (shift)
            return false;
        stepSideways(key == Qt::Key_Right);
        break;
    case Qt::Key_F2:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (shift)
            return false;
        rename();
        break;
    case Qt::Key_Delete:
        if (shift)
            return false;
        emit deleteRequested();
        break;
    default:
        return false;
    }
    m_controller->outlineView()->setFocusRingShown(true);
    return true;
}

GeneralRecItem* OutlineKeyHandler::target(int key, const QList<GeneralRecItem*>& rows) const
{
    if (rows.isEmpty())
        return nullptr;
    const int last = int(rows.size()) - 1;
    const int current = int(rows.indexOf(m_controller->outlineView()->currentItem()));
    if (key == Qt::Key_End)
        return rows.last();
    if (current < 0 || key == Qt::Key_Home)
        return rows.first();
    switch (key) {
    case Qt::Key_Up:
        return rows.at(std::max(0, current - 1));
    case Qt::Key_Down:
        return rows.at(std::min(last, current + 1));
    default:
        return pageTarget(rows, current, key == Qt::Key_PageDown);
    }
}

GeneralRecItem* OutlineKeyHandler::pageTarget(const QList<GeneralRecItem*>& rows, int from,
                                              bool down) const
{
    const RecOutlineView* view = m_controller->outlineView();
    const QScrollArea* scroll = m_controller->scrollView();
    const int page = scroll ? scroll->viewport()->height() : view->height();
    const QRect start = view->frameOf(rows.at(from));
    // One screen further, but always at least one row.
    if (down) {
        int to = std::min(int(rows.size()) - 1, from + 1);
        while (to + 1 < rows.size() &&
               view->frameOf(rows.at(to + 1)).bottom() <= start.bottom() + page)
            ++to;
        return rows.at(to);
    }
    int to = std::max(0, from - 1);
    while (to > 0 && view->frameOf(rows.at(to - 1)).top() >= start.top() - page)
        --to;
    return rows.at(to);
}

void OutlineKeyHandler::stepSideways(bool right)
{
    GeneralRecItem* current = m_controller->outlineView()->currentItem();
    if (!current)
        return;
    const QList<GeneralRecItem*> rows = shownRows();
    if (current->isGroup()) {
        auto* group = static_cast<RecGroup*>(current);
        if (group->isExpanded() != right) {
            m_controller->expandGroup(group, right);
            return;
        }
        if (right) {
            const int index = int(rows.indexOf(group));
            if (index + 1 < rows.size() && rows.at(index + 1)->parent() == group)
                moveTo(rows.at(index + 1), false);
            return;
        }
    } else if (right) {
        return;
    }
    // Left on a collapsed category or on a recording: to the category it is in.
    if (GeneralRecItem* parent = current->parent(); parent && rows.contains(parent))
        moveTo(parent, false);
}

void OutlineKeyHandler::moveTo(GeneralRecItem* row, bool extend)
{
    // While recording the selection shows the recording and stays.
    if (!row || m_controller->isRecording())
        return;
    const bool range = extend && m_controller->chiefSelectedItem();
    m_controller->clickItem(row, range ? RecOutlineController::kShiftKeyMask : 0);
    // A range keeps its anchor as the chief; the keys go on from its far end.
    m_controller->outlineView()->setCurrentItem(row);
    scrollTo(row);
}

void OutlineKeyHandler::rename()
{
    GeneralRecItem* chief = m_controller->chiefSelectedItem();
    RecOutlineView* view = m_controller->outlineView();
    if (!chief || view->frameOf(chief).isNull())
        return;
    scrollTo(chief);
    if (RecRowView* row = view->rowFor(chief))
        row->titleLabel()->beginEditing();
}

void OutlineKeyHandler::scrollTo(const GeneralRecItem* row)
{
    QScrollArea* scroll = m_controller->scrollView();
    const QRect frame = m_controller->outlineView()->frameOf(row);
    if (scroll && !frame.isNull())
        scroll->ensureVisible(frame.center().x(), frame.center().y(), 0, frame.height() / 2 + 1);
}
