// SPDX-License-Identifier: GPL-3.0-or-later
#include "outline/EditableLabel.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

EditableLabel::EditableLabel(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

EditableLabel::~EditableLabel()
{
    // The editor is a child and dies with the label; its focus-out during
    // destruction must not commit into a row that is going away.
    if (m_editor)
        m_editor->removeEventFilter(this);
}

void EditableLabel::setText(const QString& text)
{
    if (m_text == text)
        return;
    m_text = text;
    update();
}

void EditableLabel::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    update();
}

void EditableLabel::setTextColor(const QColor& color)
{
    // A row being recorded is brought up to date several times a second: a
    // palette set again repaints the label for nothing.
    QPalette p = palette();
    if (p.isBrushSet(QPalette::Active, QPalette::WindowText) &&
        p.color(QPalette::WindowText) == color)
        return;
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
}

void EditableLabel::setEditableByDClick(bool editable)
{
    m_isEditable = editable;
}

void EditableLabel::beginEditing()
{
    if (m_editor)
        return;
    m_editor = new QLineEdit(m_text, this);
    m_editor->setFrame(false);
    m_editor->setFont(font());
    m_editor->setGeometry(rect());
    m_editor->installEventFilter(this);
    m_editor->selectAll();
    m_editor->show();
    m_editor->setFocus(Qt::MouseFocusReason);
    update();
}

void EditableLabel::endEditing(bool commit)
{
    if (!m_editor)
        return;
    // The editor goes before anyone hears of the new text, so that a message
    // box opened by the rename cannot end the same edit a second time.
    QLineEdit* editor = m_editor;
    m_editor = nullptr;
    editor->removeEventFilter(this);
    const QString typed = editor->text();
    const bool hadFocus = editor->hasFocus();
    editor->hide();
    editor->deleteLater();
    if (hadFocus && parentWidget())
        parentWidget()->setFocus(Qt::OtherFocusReason);
    update();
    if (commit) {
        m_text = typed;
        emit editingFinished(typed);
    }
}

void EditableLabel::paintEvent(QPaintEvent*)
{
    if (m_editor || m_text.isEmpty())
        return;
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    const QString shown = fontMetrics().elidedText(m_text, Qt::ElideRight, width());
    p.drawText(rect(), int(m_alignment), shown);
}

void EditableLabel::resizeEvent(QResizeEvent*)
{
    if (m_editor)
        m_editor->setGeometry(rect());
}

void EditableLabel::mousePressEvent(QMouseEvent* event)
{
    // A single press belongs to the row (selection, the start of a drag).
    m_doubleClicked = false;
    event->ignore();
}

void EditableLabel::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (!m_isEditable || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_doubleClicked = true;
    beginEditing();
    event->accept();
}

void EditableLabel::mouseReleaseEvent(QMouseEvent* event)
{
    // The release of the double-click that opened the editor ends here.
    if (m_doubleClicked) {
        m_doubleClicked = false;
        event->accept();
        return;
    }
    event->ignore();
}

void EditableLabel::keyPressEvent(QKeyEvent* event)
{
    // Keys the editor leaves alone (arrows at the ends of the text, Delete at
    // its end) must not move the selection or delete rows behind it.
    if (m_editor)
        event->accept();
    else
        event->ignore();
}

bool EditableLabel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_editor)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        // Escape cancels and Return commits here, so that neither goes on to
        // the outline, where Return would open the editor again.
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Escape:
            endEditing(false);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            endEditing(true);
            return true;
        default:
            break;
        }
    }
    if (event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
        endEditing(true);
    return QWidget::eventFilter(watched, event);
}
