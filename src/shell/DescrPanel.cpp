// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/DescrPanel.h"

#include "shell/DarkTheme.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <algorithm>

DescrPanel::DescrPanel(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_titleField(new QLineEdit(this)), m_descrField(new QPlainTextEdit(this))
{
    setWindowTitle(tr("Recordings Editor"));
    resize(kWidth, kHeight);
    setMinimumSize(200, 180);
    DarkTheme::apply(this);
    setAutoFillBackground(true);

    m_descrField->setTabChangesFocus(true);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(6);
    // Each caption names its field for screen readers.
    const auto caption = [this](const QString& text, QWidget* field) {
        auto* label = new QLabel(text, this);
        label->setStyleSheet(QStringLiteral("color: #b0b0b4;"));
        label->setBuddy(field);
        return label;
    };
    column->addWidget(caption(tr("Title"), m_titleField));
    column->addWidget(m_titleField);
    column->addSpacing(4);
    column->addWidget(caption(tr("Description"), m_descrField));
    column->addWidget(m_descrField, 1);
}

bool DescrPanel::event(QEvent* event)
{
    if (event->type() == QEvent::WindowDeactivate)
        emit resignedKey();
    return QWidget::event(event);
}

void DescrPanel::closeEvent(QCloseEvent* event)
{
    emit windowWillClose();
    event->accept();
}

QPoint DescrPanel::besideWindow(const QRect& window, int top, const QSize& panel, const QRect& area)
{
    constexpr int kGap = 10;
    const int left = window.left() - kGap - panel.width();
    const int right = window.right() + 1 + kGap;
    const bool leftFits = left >= area.left();
    const bool rightFits = right + panel.width() - 1 <= area.right();
    int x = left;
    if (!leftFits && (rightFits || area.right() - window.right() > window.left() - area.left()))
        x = right;
    x = std::clamp(x, area.left(), std::max(area.left(), area.right() + 1 - panel.width()));
    const int y =
        std::clamp(top, area.top(), std::max(area.top(), area.bottom() + 1 - panel.height()));
    return QPoint(x, y);
}
