// SPDX-License-Identifier: GPL-3.0-or-later
#include "outline/RecGroupView.h"

#include "library/RecGroup.h"
#include "outline/RecOutlineController.h"

#include <QLabel>
#include <QToolButton>

RecGroupView::RecGroupView(RecGroup* group, RecOutlineController* controller, QWidget* parent)
    : RecRowView(group, controller, parent), m_expandButton(new QToolButton(this)),
      m_titleField(new QLabel(this))
{
    resize(width(), kHeight);
    m_expandButton->setCheckable(true);
    m_expandButton->setAutoRaise(true);
    m_titleField->setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(m_expandButton, &QToolButton::clicked, this,
            [this](bool on) { m_controller->expandGroup(m_item, on); });
    updateFromItem();
}

void RecGroupView::updateFromItem()
{
    auto* group = static_cast<RecGroup*>(m_item);
    m_titleField->setText(group->title());
    m_expandButton->setChecked(group->isExpanded());
    m_expandButton->setArrowType(group->isExpanded() ? Qt::DownArrow : Qt::RightArrow);
    placeControls();
    RecRowView::updateFromItem();
}

void RecGroupView::placeControls()
{
    const int level = m_item->level();
    const int indent = level <= 0 ? 10 : 10 + 14 * level;
    const int buttonWidth = 16;
    m_expandButton->setGeometry(indent, (kHeight - 16) / 2, buttonWidth, 16);
    const int x = indent + buttonWidth;
    m_titleField->setGeometry(x, 2, width() - x - 15, kHeight - 4);
}

bool RecGroupView::isOwner(const QObject* label) const
{
    return label && label == m_titleField;
}
