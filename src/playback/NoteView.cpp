// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/NoteView.h"

#include "library/RecItem.h"
#include "playback/NoteTextField.h"

#include <QLabel>
#include <QPalette>
#include <QVBoxLayout>

NoteView::NoteView(QWidget* parent)
    : QWidget(parent), m_noteField(new NoteTextField(this)), m_positionField(new QLabel(this))
{
    // Dark text on the pale yellow of the pop-up, whatever the application's theme.
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Window, Qt::transparent);
    palette.setColor(QPalette::Text, QColor(20, 20, 20));
    palette.setColor(QPalette::WindowText, QColor(70, 70, 60));
    setPalette(palette);
    m_noteField->setPalette(palette);
    m_positionField->setPalette(palette);
    m_noteField->setStyleSheet(
        QStringLiteral("QLineEdit { background: transparent; color: #141414; border: none; }"));
    m_positionField->setStyleSheet(
        QStringLiteral("QLabel { background: transparent; color: #46463c; }"));

    QFont small = m_positionField->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    m_positionField->setFont(small);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(2);
    layout->addWidget(m_noteField);
    layout->addWidget(m_positionField);
    resize(200, 52);
}

void NoteView::setText(const QString& text)
{
    m_noteField->setText(text.isEmpty() ? NoteTextField::placeholder() : text);
}

QString NoteView::text() const
{
    return m_noteField->text();
}

void NoteView::setOffset(int seconds)
{
    m_positionField->setText(positionText(seconds));
}

QString NoteView::positionText(int seconds)
{
    return tr("Position: %1").arg(RecItem::durationText(seconds));
}
