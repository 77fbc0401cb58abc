// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/UndoBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

UndoBar::UndoBar(QWidget* parent)
    : QFrame(parent), m_text(new QLabel(this)), m_undo(new QPushButton(tr("Undo"), this))
{
    setObjectName("UndoBar");
    setStyleSheet("#UndoBar { background: #2c2c2e; border-top: 1px solid rgba(255, 255, 255, "
                  "0.12); }");
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 4, 8, 4);
    row->addWidget(m_text, 1);
    row->addWidget(m_undo);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setMinimumWidth(0);
    m_timer.setSingleShot(true);
    m_timer.setInterval(kShownMs);
    connect(&m_timer, &QTimer::timeout, this, &QWidget::hide);
    connect(m_undo, &QPushButton::clicked, this, [this] {
        hide();
        emit undoRequested();
    });
    hide();
}

void UndoBar::showMessage(const QString& text)
{
    m_text->setText(text);
    m_text->setToolTip(text);
    setAccessibleName(text);
    show();
    m_timer.start();
}

QString UndoBar::text() const
{
    return isHidden() ? QString() : m_text->text();
}
