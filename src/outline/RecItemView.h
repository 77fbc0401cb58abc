// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "outline/RecRowView.h"

class QLabel;
class RecItem;

// The row of a recording: title and date on the first line, description and
// duration on the second.
class RecItemView : public RecRowView
{
    Q_OBJECT
public:
    static constexpr int kHeight = 40;

    RecItemView(RecItem* item, RecOutlineController* controller, QWidget* parent);

    void placeControls() override;
    bool isOwner(const QObject* label) const override;
    QLabel* titleField() const { return m_titleField; }
    QLabel* dateField() const { return m_dateField; }
    QLabel* descrField() const { return m_descrField; }
    QLabel* durationField() const { return m_durationField; }

protected:
    void updateFromItem() override;

private:
    QLabel* m_titleField;
    QLabel* m_dateField;
    QLabel* m_descrField;
    QLabel* m_durationField;
};
