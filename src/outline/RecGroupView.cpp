// SPDX-License-Identifier: GPL-3.0-or-later
#include "outline/RecGroupView.h"

#include "library/RecGroup.h"
#include "outline/EditableLabel.h"
#include "outline/ExpandButton.h"
#include "outline/RecOutlineController.h"

#include <QPainter>

namespace {
const QColor kBackground = QColor::fromRgbF(0.07f, 0.07f, 0.07f, 0.44f);
const QColor kSelected = QColor::fromRgbF(0.4f, 0.6f, 1.0f, 0.5f);
const QColor kTopHighlight = QColor::fromRgbF(0.288f, 0.288f, 0.288f, 0.75f);
const QColor kTitleText(0xec, 0xec, 0xec);
} // namespace

RecGroupView::RecGroupView(RecGroup* group, RecOutlineController* controller, QWidget* parent)
    : RecRowView(group, controller, parent), m_expandButton(new ExpandButton(this)),
      m_titleField(new EditableLabel(this))
{
    resize(width(), kHeight);
    QFont titleFont = font();
    titleFont.setBold(true);
    m_titleField->setFont(titleFont);
    m_titleField->setTextColor(kTitleText);
    connect(m_expandButton, &ExpandButton::clicked, this,
            [this](bool on) { m_controller->expandGroup(m_item, on); });
    connect(m_titleField, &EditableLabel::editingFinished, this, &RecGroupView::titleEdited);
    updateFromItem();
}

void RecGroupView::updateFromItem()
{
    const RecGroup* group = m_item->asGroup();
    m_titleField->setText(group->title());
    m_expandButton->setChecked(group->isExpanded());
    placeControls();
    RecRowView::updateFromItem();
}

void RecGroupView::placeControls()
{
    const int x = indent(m_item->level());
    m_expandButton->setGeometry(x, (kHeight - ExpandButton::kSize) / 2, ExpandButton::kSize,
                                ExpandButton::kSize);
    const int titleX = x + m_expandButton->width();
    m_titleField->setGeometry(titleX, 2, width() - titleX - 15, kHeight - 4);
}

bool RecGroupView::isOwner(const QObject* label) const
{
    return label && label == m_titleField;
}

void RecGroupView::drawBackground(QPainter& p)
{
    p.fillRect(rect(), m_item->selected() ? kSelected : kBackground);
}

void RecGroupView::drawHighlight(QPainter& p)
{
    if (m_item->selected())
        return;
    p.setPen(QPen(kTopHighlight, 1));
    p.drawLine(QPointF(0, 0.5), QPointF(width(), 0.5));
}

void RecGroupView::titleEdited(const QString& text)
{
    m_item->setEditedTitle(text);
    m_controller->itemRenamed(m_titleField);
}
