// SPDX-License-Identifier: GPL-3.0-or-later
#include "outline/RecItemView.h"

#include "library/RecItem.h"
#include "outline/RecOutlineController.h"

#include <QLabel>

namespace {
constexpr int kDateWidth = 70;
constexpr int kDurationWidth = 50;
} // namespace

RecItemView::RecItemView(RecItem* item, RecOutlineController* controller, QWidget* parent)
    : RecRowView(item, controller, parent), m_titleField(new QLabel(this)),
      m_dateField(new QLabel(this)), m_descrField(new QLabel(this)),
      m_durationField(new QLabel(this))
{
    resize(width(), kHeight);
    m_dateField->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_durationField->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (QLabel* label : {m_titleField, m_dateField, m_descrField, m_durationField})
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
    updateFromItem();
}

void RecItemView::updateFromItem()
{
    auto* item = static_cast<RecItem*>(m_item);
    m_titleField->setText(item->title());
    m_dateField->setText(item->date());
    m_descrField->setText(item->descr());
    m_durationField->setText(item->durationText());
    placeControls();
    RecRowView::updateFromItem();
}

void RecItemView::placeControls()
{
    const int level = m_controller->isSearchMode() ? 0 : m_item->level();
    const int indent = level <= 0 ? 10 : 10 + 14 * level;
    const int w = width();
    m_dateField->setGeometry(w - kDateWidth - 5, 2, kDateWidth, 18);
    m_durationField->setGeometry(w - kDurationWidth - 5, 20, kDurationWidth, 18);
    m_titleField->setGeometry(indent, 2, w - indent - kDateWidth - 5, 18);
    m_descrField->setGeometry(indent, 20, w - indent - kDurationWidth - 5, 18);
}

bool RecItemView::isOwner(const QObject* label) const
{
    return label && (label == m_titleField || label == m_dateField || label == m_descrField);
}
