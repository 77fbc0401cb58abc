// SPDX-License-Identifier: GPL-3.0-or-later
#include "outline/RecItemView.h"

#include "library/RecItem.h"
#include "outline/EditableLabel.h"
#include "outline/RecOutlineController.h"

#include <QPainter>
#include <algorithm>

namespace {
const QColor kSelected = QColor::fromRgbF(0.258f, 0.477f, 0.9f, 0.4f);
const QColor kTitleText(0xec, 0xec, 0xec);
const QColor kDetailText(0x9a, 0x9a, 0x9e);
const QColor kMissingText(0x62, 0x62, 0x66);
constexpr int kLineHeight = 18;
} // namespace

RecItemView::RecItemView(RecItem* item, RecOutlineController* controller, QWidget* parent)
    : RecRowView(item, controller, parent), m_titleField(new EditableLabel(this)),
      m_dateField(new EditableLabel(this)), m_descrField(new EditableLabel(this)),
      m_durationField(new EditableLabel(this))
{
    resize(width(), kHeight);
    QFont titleFont = font();
    titleFont.setBold(true);
    m_titleField->setFont(titleFont);
    QFont small = font();
    if (small.pointSizeF() > 0)
        small.setPointSizeF(small.pointSizeF() * 0.85);
    for (EditableLabel* label : {m_dateField, m_descrField, m_durationField})
        label->setFont(small);
    m_dateField->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_durationField->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_dateField->setEditableByDClick(false);
    m_durationField->setEditableByDClick(false);
    connect(m_titleField, &EditableLabel::editingFinished, this, &RecItemView::titleEdited);
    connect(m_descrField, &EditableLabel::editingFinished, this, &RecItemView::descrEdited);
    updateFromItem();
}

void RecItemView::updateFromItem()
{
    const RecItem* item = m_item->asItem();
    m_titleField->setText(item->title());
    m_dateField->setText(item->date());
    m_descrField->setText(item->descr());
    const bool missing = item->isFileMissing();
    m_durationField->setText(missing ? tr("File missing") : item->durationText());
    m_titleField->setTextColor(missing ? kMissingText : kTitleText);
    for (EditableLabel* label : {m_dateField, m_descrField, m_durationField})
        label->setTextColor(missing ? kMissingText : kDetailText);
    placeControls();
    RecRowView::updateFromItem();
}

void RecItemView::placeControls()
{
    const int x = indent(m_controller->isSearchMode() ? 0 : m_item->level());
    const int w = width();
    m_dateField->setGeometry(w - kDateWidth - 5, 2, kDateWidth, kLineHeight);
    // "File missing" takes more room than a duration.
    const int durationWidth =
        std::max(kDurationWidth,
                 m_durationField->fontMetrics().horizontalAdvance(m_durationField->text()) + 4);
    m_durationField->setGeometry(w - durationWidth - 5, 2 + kLineHeight, durationWidth,
                                 kLineHeight);
    m_titleField->setGeometry(x, 2, w - x - 10 - m_dateField->width() + 5, kLineHeight);
    m_descrField->setGeometry(x, 2 + kLineHeight, w - x - 10 - m_durationField->width() + 5,
                              kLineHeight);
}

bool RecItemView::isOwner(const QObject* label) const
{
    return label && (label == m_titleField || label == m_dateField || label == m_descrField);
}

void RecItemView::drawBackground(QPainter& p)
{
    if (m_item->selected())
        p.fillRect(rect(), kSelected);
}

void RecItemView::titleEdited(const QString& text)
{
    m_item->setEditedTitle(text);
    m_controller->itemRenamed(m_titleField);
}

void RecItemView::descrEdited(const QString& text)
{
    if (text == m_item->descr())
        return;
    m_item->setDescr(text);
    m_controller->itemDescrChanged();
}
